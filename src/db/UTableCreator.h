#pragma once

#include "app/base/UComponent.h"

// Builds and runs CREATE TABLE and CREATE INDEX scripts for one database
// type; created by the qualified name "U<type>TableCreator.T<type>TableCreator".
class TTableCreator : public TObject {
};
