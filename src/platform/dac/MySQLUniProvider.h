#pragma once

#include "UUniProvider.h"

// The MySQL/MariaDB provider ("MySQL"); created by the qualified name
// "MySQLUniProvider.TMySQLUniProvider".
class TMySQLUniProvider : public TUniProvider {
public:
    explicit TMySQLUniProvider(TComponent* owner = nullptr) : TUniProvider(owner) {}
    QString GetProviderName() const override;
};
