#include "UNewTableCreator.h"

#include "UCreateTableCommand.h"
#include "UTableCreateHelper.h"
#include "db/UDBObjectFactory.h"
#include "db/UTableCreator.h"

bool TNewTableCreator::Execute()
{
    // Declared so that they are freed as the creator, the helper, then the
    // command with its dialog.
    auto command = std::make_unique<TCreateTableCommand>();
    auto helper = std::make_unique<TTableCreateHelper>();
    command->SetDictionary(FFactory->GetDictionary());
    command->SetCreateHelper(helper.get());
    std::unique_ptr<TTableCreator> creator = TDBObjectFactory::CreateTableCreator(FFactory->GetDBType());
    creator->SetExecutor(FFactory->GetSqlExecutor());
    command->SetTableCreator(creator.get());
    helper->TableName.clear();
    if (OnPrepared)
        OnPrepared(*command);
    const bool created = command->Execute();
    FTableName = command->GetTableName();
    return created;
}
