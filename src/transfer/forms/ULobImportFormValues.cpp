#include "ULobImportFormValues.h"

#include "transfer/ULobImportSession.h"

TValidationResult TLobImportFormValues::Validate() const
{
    if (Table.isEmpty())
        return TValidationFailure{QStringLiteral("select a table"), QStringLiteral("cbTable")};
    if (LobField.isEmpty())
        return TValidationFailure{QStringLiteral("select a lob field"), QStringLiteral("cbLobField")};
    if (NameField.isEmpty())
        return TValidationFailure{QStringLiteral("select a field as name"), QStringLiteral("cbNameField")};
    if (HasFolderField && FolderField.isEmpty())
        return TValidationFailure{QStringLiteral("select a folder field "), QStringLiteral("cbbFolderField")};
    if (ExtType == TImportExtType::OnlyExt && Ext.isEmpty())
        return TValidationFailure{QStringLiteral("input file extension"), QStringLiteral("edtExt")};
    if (LoadFolder.isEmpty() || LoadFolder == TTaskSession::NoFolderText)
        return TValidationFailure{QStringLiteral("select a directory"), QStringLiteral("edtLoadFolder")};
    return std::nullopt;
}

void TLobImportFormValues::ToSession(TLobImportSession& session) const
{
    session.Schema = Schema;
    session.Table = Table;
    session.LobField = LobField;
    session.LoadFolder = LoadFolder;
    session.IncludeSubFolder = IncludeSubFolder;
    session.NameField = NameField;
    session.HasFolderField = HasFolderField;
    session.FolderField = HasFolderField ? FolderField : QString();
    session.IncludeNameExt = IncludeNameExt;
    session.ImportType = ImportType;
    session.ExtType = ExtType;
    session.Ext = ExtItemText == QStringLiteral("All") ? QString() : Ext;
}
