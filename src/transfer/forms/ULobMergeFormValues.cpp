#include "ULobMergeFormValues.h"

#include "transfer/ULobMerger.h"

TValidationResult TLobMergeFormValues::Validate() const
{
    if (Table.isEmpty())
        return TValidationFailure{QStringLiteral("select a table"), QStringLiteral("cbTable")};
    if (LobField.isEmpty())
        return TValidationFailure{QStringLiteral("select a lob field"), QStringLiteral("cbLobField")};
    if (SaveFile.isEmpty())
        return TValidationFailure{QStringLiteral("select a file"), QStringLiteral("edtSaveFile")};
    return std::nullopt;
}

void TLobMergeFormValues::ToMerger(TLobMerger& merger) const
{
    merger.SetSchema(Schema);
    merger.SetTable(Table);
    merger.SetWhere(Where);
    merger.SetLobField(LobField);
    merger.SetFileName(SaveFile);
}
