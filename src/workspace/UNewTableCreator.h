#pragma once

#include <QString>
#include <functional>

class TCreateTableCommand;
class TDBObjectFactory;

// Runs the create-table dialog for a new table with the factory's dictionary,
// executor and a table creator of its database type.
class TNewTableCreator {
public:
    void SetFactory(TDBObjectFactory* factory) { FFactory = factory; }   // borrowed
    // True when a table was created.
    bool Execute();
    // The table name the dialog held when it closed.
    const QString& TableName() const { return FTableName; }

    // Called with the prepared command just before its dialog is shown (tests
    // drive the dialog from it).
    std::function<void(TCreateTableCommand&)> OnPrepared;

private:
    TDBObjectFactory* FFactory = nullptr;
    QString FTableName;
};
