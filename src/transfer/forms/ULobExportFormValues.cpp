#include "ULobExportFormValues.h"

#include "transfer/ULobExportSession.h"

#include <QDir>
#include <QFileInfo>

TValidationResult TLobExportFormValues::Validate() const
{
    if (FromType == TExportFromType::Table && Table.isEmpty())
        return TValidationFailure{QStringLiteral("select a table"), QStringLiteral("cbTable")};
    if (FromType == TExportFromType::Query && QueryEditorText.trimmed().isEmpty())
        return TValidationFailure{QStringLiteral("input a query"), QStringLiteral("edtQuery")};
    if (LobField.isEmpty())
        return TValidationFailure{QStringLiteral("select a lob field"), QStringLiteral("cbLobField")};
    if (NameType == TExportNameType::FromField && NameField.isEmpty())
        return TValidationFailure{QStringLiteral("select a field as name"), QStringLiteral("cbNameField")};
    if (ExtType == TExportExtType::FromField && ExtField.isEmpty())
        return TValidationFailure{QStringLiteral("select a field as file extension"), QStringLiteral("cbExtField")};
    if (SaveTo.isEmpty() || SaveTo == TTaskSession::NoFolderText)
        return TValidationFailure{QStringLiteral("select a directory"), QStringLiteral("deSaveTo")};
    if (!QFileInfo(SaveTo.trimmed()).isDir())
        return TValidationFailure{QStringLiteral("The \"Save To\" folder is not exists."), QStringLiteral("deSaveTo")};
    if (SubFolderCreateType == TSubFolderCreateType::ByField && SubField.isEmpty())
        return TValidationFailure{QStringLiteral("select a field as sub folder"), QStringLiteral("cbSubFolderField")};
    return std::nullopt;
}

void TLobExportFormValues::ToSession(TLobExportSession& session) const
{
    session.FromType = FromType;
    session.Schema = Schema;
    session.Table = Table;
    session.Where = TTaskSession::JoinLines(Where);
    session.Query = TTaskSession::JoinLines(QueryText(QueryEditorText));
    session.LobField = LobField;
    session.NameType = NameType;
    session.NameField = NameField;
    session.ExtType = ExtType;
    session.ExtField = ExtField;
    session.Ext = Ext;
    session.UnloadFolder = SaveTo;
    session.SubFolderCreateType = SubFolderCreateType;
    session.SubCount = SubCount;
    session.SubField = SubField;
}

QString TLobExportFormValues::QueryText(const QString& editorText)
{
    QString text = editorText.trimmed();
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    return text;
}
