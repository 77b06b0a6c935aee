#pragma once

#include <QString>
#include <vector>

// Root of the classes that are created by qualified name.
class TObject {
public:
    virtual ~TObject() = default;
    QString ClassName() const;   // the dynamic class name, e.g. "TMysqlDBHelper"
};

// An object with an owner: the owner frees the components it owns, in reverse
// order of their insertion, when it is freed itself.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Asks to be told (through Notification) when component is freed; a
    // link to a component one does not own is cleared that way.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

protected:
    // component is being freed.
    virtual void Notification(TComponent* component) { (void)component; }

private:
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;   // both ways: each side tells the other
};

// The demangled name of a C++ type, without namespaces.
QString DemangledTypeName(const char* mangled);
