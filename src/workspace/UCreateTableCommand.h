#pragma once

#include "db/UNameValueList.h"

#include <QString>
#include <memory>

class TCreateTableDlg;
class TDBDictionary;
class TTableCreateHelper;
class TTableCreator;

// Prepares a create-table dialog for a new table, shows it and tells whether
// a table was created. Owns its dialog; borrows the rest.
class TCreateTableCommand {
public:
    TCreateTableCommand();
    ~TCreateTableCommand();

    void SetDictionary(TDBDictionary* dictionary) { FDictionary = dictionary; }
    void SetCreateHelper(TTableCreateHelper* helper) { FCreateHelper = helper; }
    void SetTableCreator(TTableCreator* creator);
    bool Execute();
    QString GetTableName() const;
    TCreateTableDlg* Dialog() const { return FDialog.get(); }

private:
    TNameValueList FFieldList;
    TTableCreateHelper* FCreateHelper = nullptr;
    TTableCreator* FTableCreator = nullptr;
    std::unique_ptr<TCreateTableDlg> FDialog;
    TDBDictionary* FDictionary = nullptr;
};
