#pragma once

#include "UComponent.h"
#include "UException.h"

#include <functional>
#include <memory>
#include <typeinfo>

// Creates objects and components by qualified class name ("Unit.TClass").
// A class is findable once it was registered (the program's start-up
// registers the database classes); the lookup ignores letter case.
class TRttiUtil {
public:
    using TObjectMaker = std::function<TObject*()>;
    using TComponentMaker = std::function<TComponent*(TComponent* owner)>;

    template <class T>
    static void RegisterObjectClass(const QString& qualifiedName)
    {
        RegisterMaker(qualifiedName, [] { return static_cast<TObject*>(new T()); }, {});
    }
    template <class T>
    static void RegisterComponentClass(const QString& qualifiedName)
    {
        RegisterMaker(qualifiedName, {}, [](TComponent* owner) { return static_cast<TComponent*>(new T(owner)); });
    }
    static void Unregister(const QString& qualifiedName);
    static bool IsRegistered(const QString& qualifiedName);

    // The new object belongs to the caller. An unknown name logs
    // "Can not find class type: " + name on "Global" and raises it.
    static TObject* CreateObject(const QString& qualifiedName);
    // The new component belongs to owner (or to the caller without owner).
    static TComponent* CreateComponent(const QString& qualifiedName, TComponent* owner);

    // Typed creation: the object must be a T or derive from it, else
    // "Cast Error: TObject to T, Real type: X" is raised and the object freed.
    template <class T>
    static std::unique_ptr<T> CreateObjectAs(const QString& qualifiedName)
    {
        std::unique_ptr<TObject> object(CreateObject(qualifiedName));
        if (T* typed = dynamic_cast<T*>(object.get())) {
            object.release();
            return std::unique_ptr<T>(typed);
        }
        throw EConvertError(CastErrorText(QStringLiteral("TObject"), typeid(T).name(), *object));
    }
    template <class T>
    static T* CreateComponentAs(const QString& qualifiedName, TComponent* owner)
    {
        std::unique_ptr<TComponent> component(CreateComponent(qualifiedName, owner));
        if (T* typed = dynamic_cast<T*>(component.get())) {
            component.release();
            return typed;
        }
        throw EConvertError(CastErrorText(QStringLiteral("TComponent"), typeid(T).name(), *component));
    }

private:
    static void RegisterMaker(const QString& qualifiedName, TObjectMaker objectMaker,
                              TComponentMaker componentMaker);
    static QString CastErrorText(const QString& source, const char* wantedMangled, const TObject& real);
};
