#include "UComponent.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

QString DemangledTypeName(const char* mangled)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled : mangled);
    std::free(demangled);
    const qsizetype colon = name.lastIndexOf(QStringLiteral("::"));
    return colon >= 0 ? name.mid(colon + 2) : name;
}

QString TObject::ClassName() const
{
    return DemangledTypeName(typeid(*this).name());
}

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& back = other->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this);
    }
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        FComponents.pop_back();
        last->FOwner = nullptr;
        delete last;
    }
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    component->FOwner = this;
    FComponents.push_back(component);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it != FComponents.end()) {
        FComponents.erase(it);
        component->FOwner = nullptr;
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this
        || std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) != FFreeNotifies.end())
        return;
    FFreeNotifies.push_back(component);
    component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component), FFreeNotifies.end());
    if (component) {
        auto& back = component->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
    }
}
