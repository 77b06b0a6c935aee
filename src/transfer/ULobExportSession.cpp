#include "ULobExportSession.h"

#include "base/UException.h"
#include "base/UStringUtil.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"
#include "platform/ini/UMyIniFile.h"

namespace {

// Whether text starts with the whole word (an identifier such as "limited"
// does not start with "limit").
bool StartsWithWord(const QString& text, const QString& word)
{
    if (!text.startsWith(word))
        return false;
    if (text.size() == word.size())
        return true;
    const QChar next = text.at(word.size());
    return !next.isLetterOrNumber() && next != QLatin1Char('_') && next != QLatin1Char('$');
}

// A clause that starts with "where" or "limit" goes after one blank as it
// stands, a bare condition after " where "; blanks alone add nothing.
QString WhereClause(const QString& where)
{
    const QString start = TrimText(where).toLower();
    if (start.isEmpty())
        return QString();
    if (StartsWithWord(start, QStringLiteral("where")) || StartsWithWord(start, QStringLiteral("limit")))
        return QLatin1Char(' ') + where;
    return QStringLiteral(" where ") + where;
}

QString WithoutTrailingSemicolon(const QString& sql)
{
    return sql.endsWith(QLatin1Char(';')) ? sql.chopped(1) : sql;
}

}  // namespace

const QString TLobExportSession::RecentKey = QStringLiteral("Software\\Corvanta\\Vantorquill\\ExportLobTasks");

TLobExportSession::TLobExportSession()
    : TTaskSession(RecentKey, QStringLiteral("Export Lob Task (*.elt)|*.elt"), QStringLiteral("elt"),
                   QStringLiteral("Export"))
{
}

bool TLobExportSession::IsSame(const TTaskSession& other) const
{
    const auto* task = dynamic_cast<const TLobExportSession*>(&other);
    return task && FromType == task->FromType && Schema == task->Schema && Table == task->Table
           && Where == task->Where && Query == task->Query && LobField == task->LobField
           && NameType == task->NameType && NameField == task->NameField && ExtType == task->ExtType
           && ExtField == task->ExtField && Ext == task->Ext && UnloadFolder == task->UnloadFolder
           && SubFolderCreateType == task->SubFolderCreateType && SubCount == task->SubCount
           && SubField == task->SubField;
}

void TLobExportSession::WriteIni(const QString& fileName) const
{
    PrepareTaskFile(fileName);
    TIniFile ini(fileName);
    const QString& section = Kind();
    ini.WriteInteger(section, QStringLiteral("FromType"), int(FromType));
    ini.WriteString(section, QStringLiteral("Schema"), IniText(Schema));
    ini.WriteString(section, QStringLiteral("Table"), IniText(Table));
    ini.WriteString(section, QStringLiteral("Where"), IniText(Where));
    ini.WriteString(section, QStringLiteral("Query"), IniText(Query));
    ini.WriteString(section, QStringLiteral("LobField"), IniText(LobField));
    ini.WriteInteger(section, QStringLiteral("NameType"), int(NameType));
    ini.WriteString(section, QStringLiteral("NameField"), IniText(NameField));
    ini.WriteInteger(section, QStringLiteral("ExtType"), int(ExtType));
    ini.WriteString(section, QStringLiteral("ExtField"), IniText(ExtField));
    ini.WriteString(section, QStringLiteral("Ext"), IniText(Ext));
    ini.WriteString(section, QStringLiteral("UnloadFolder"), IniText(UnloadFolder));
    ini.WriteInteger(section, QStringLiteral("SubFolderCreateType"), int(SubFolderCreateType));
    ini.WriteInteger(section, QStringLiteral("SubCount"), SubCount);
    ini.WriteString(section, QStringLiteral("SubField"), IniText(SubField));
}

void TLobExportSession::ReadIni(const TMyIniFile& ini)
{
    const QString& section = Kind();
    FromType = TExportFromType(ini.ReadInteger(section, QStringLiteral("FromType"), 0));
    Schema = ini.ReadString(section, QStringLiteral("Schema"), QString());
    Table = ini.ReadString(section, QStringLiteral("Table"), QString());
    Where = ini.ReadString(section, QStringLiteral("Where"), QString());
    Query = ini.ReadString(section, QStringLiteral("Query"), QString());
    LobField = ini.ReadString(section, QStringLiteral("LobField"), QString());
    NameType = TExportNameType(ini.ReadInteger(section, QStringLiteral("NameType"), 0));
    NameField = ini.ReadString(section, QStringLiteral("NameField"), QString());
    ExtType = TExportExtType(ini.ReadInteger(section, QStringLiteral("ExtType"), 0));
    ExtField = ini.ReadString(section, QStringLiteral("ExtField"), QString());
    Ext = ini.ReadString(section, QStringLiteral("Ext"), QString());
    UnloadFolder = ini.ReadString(section, QStringLiteral("UnloadFolder"), QString());
    // Older files only knew "CreateSubFolder": on is one sub-folder per
    // SubCount rows.
    int subFolderType;
    if (ini.ValueExists(section, QStringLiteral("SubFolderCreateType")))
        subFolderType = ini.ReadInteger(section, QStringLiteral("SubFolderCreateType"), 0);
    else
        subFolderType = ini.ReadBool(section, QStringLiteral("CreateSubFolder"), false) ? 1 : 0;
    SubFolderCreateType = subFolderType == 1 || subFolderType == 2 ? TSubFolderCreateType(subFolderType)
                                                                   : TSubFolderCreateType::None;
    SubCount = ini.ReadInteger(section, QStringLiteral("SubCount"), 0);
    SubField = ini.ReadString(section, QStringLiteral("SubField"), QString());
}

bool TLobExportSession::IsBlank() const
{
    return FileName().isEmpty() && (UnloadFolder.isEmpty() || UnloadFolder == NoFolderText);
}

std::unique_ptr<TTaskSession> TLobExportSession::CreateSame() const
{
    return std::make_unique<TLobExportSession>();
}

QString TLobExportSession::GetDescription() const
{
    const QString& source = FromType == TExportFromType::Query ? Query : Table;
    return QStringLiteral("From : ") + source + QStringLiteral("\r\nTo : ") + UnloadFolder;
}

QString TLobExportSession::BuildSql(const TDBDictionary& dictionary) const
{
    // A query left over from Query mode counts only in Query mode.
    if (FromType == TExportFromType::Query && !Query.isEmpty())
        return WithoutTrailingSemicolon(Query);
    QString sql = QStringLiteral("select ") + dictionary.QuoteName(LobField);
    if (NameType == TExportNameType::FromField)
        sql += QLatin1Char(',') + dictionary.QuoteName(NameField);
    if (ExtType == TExportExtType::FromField)
        sql += QLatin1Char(',') + dictionary.QuoteName(ExtField);
    if (SubFolderCreateType == TSubFolderCreateType::ByField)
        sql += QLatin1Char(',') + dictionary.QuoteName(SubField);
    sql += QStringLiteral(" from ") + dictionary.GetQualifiedName(Schema, Table) + WhereClause(Where);
    return WithoutTrailingSemicolon(sql);
}

QString TLobExportSession::BuildSql() const
{
    if (!SourceDBFactory)
        throw Exception(QStringLiteral("No database objects exist to build the export statement."));
    return BuildSql(*SourceDBFactory->GetDictionary());
}

bool TLobExportSession::TableMissing() const
{
    // A query counts only in Query mode, as in BuildSql.
    return !(FromType == TExportFromType::Query && !Query.isEmpty()) && Table.isEmpty();
}
