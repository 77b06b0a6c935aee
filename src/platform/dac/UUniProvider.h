#pragma once

#include "base/UComponent.h"

#include <QString>

// A database provider: names the protocol that a connection with the same
// ProviderName speaks. One descendant per database type.
class TUniProvider : public TComponent {
public:
    explicit TUniProvider(TComponent* owner = nullptr) : TComponent(owner) {}
    virtual QString GetProviderName() const = 0;
};
