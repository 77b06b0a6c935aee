#pragma once

#include "base/UComponent.h"

#include <QString>

// Carries the name a new-table dialog opens with.
class TTableCreateHelper : public TObject {
public:
    QString TableName;
};
