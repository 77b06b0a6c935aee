#include "UCreateTableCommand.h"

#include "UCreateTableDlg.h"
#include "UTableCreateHelper.h"

TCreateTableCommand::TCreateTableCommand() : FDialog(std::make_unique<TCreateTableDlg>())
{
}

TCreateTableCommand::~TCreateTableCommand() = default;

void TCreateTableCommand::SetTableCreator(TTableCreator* creator)
{
    FTableCreator = creator;
    FDialog->SetTableCreator(creator);
}

bool TCreateTableCommand::Execute()
{
    FDialog->SetDictionary(FDictionary);
    FDialog->SetTableName(FCreateHelper->TableName);
    FDialog->SetSourceFields(&FFieldList);
    FDialog->LoadSourceFields();
    FDialog->exec();
    return FDialog->Created();
}

QString TCreateTableCommand::GetTableName() const
{
    return FDialog->GetTableName();
}
