#include "ULobImportSession.h"

#include "platform/ini/UMyIniFile.h"

const QString TLobImportSession::RecentKey = QStringLiteral("Software\\Corvanta\\Vantorquill\\ImportLobTasks");

TLobImportSession::TLobImportSession()
    : TTaskSession(RecentKey, QStringLiteral("Import Lob Task (*.ilt)|*.ilt"), QStringLiteral("ilt"),
                   QStringLiteral("Import"))
{
}

bool TLobImportSession::IsSame(const TTaskSession& other) const
{
    const auto* task = dynamic_cast<const TLobImportSession*>(&other);
    return task && Schema == task->Schema && Table == task->Table && LobField == task->LobField
           && LoadFolder == task->LoadFolder && IncludeSubFolder == task->IncludeSubFolder
           && NameField == task->NameField && HasFolderField == task->HasFolderField
           && FolderField == task->FolderField && IncludeNameExt == task->IncludeNameExt
           && ImportType == task->ImportType && ExtType == task->ExtType && Ext == task->Ext;
}

void TLobImportSession::WriteIni(const QString& fileName) const
{
    PrepareTaskFile(fileName);
    TIniFile ini(fileName);
    const QString& section = Kind();
    ini.WriteString(section, QStringLiteral("Schema"), IniText(Schema));
    ini.WriteString(section, QStringLiteral("Table"), IniText(Table));
    ini.WriteString(section, QStringLiteral("LobField"), IniText(LobField));
    ini.WriteString(section, QStringLiteral("LoadFolder"), IniText(LoadFolder));
    ini.WriteBool(section, QStringLiteral("IncludeSubFolder"), IncludeSubFolder);
    ini.WriteString(section, QStringLiteral("NameField"), IniText(NameField));
    ini.WriteBool(section, QStringLiteral("HasFolderField"), HasFolderField);
    ini.WriteString(section, QStringLiteral("FolderField"), IniText(FolderField));
    ini.WriteBool(section, QStringLiteral("IncludeNameExt"), IncludeNameExt);
    ini.WriteInteger(section, QStringLiteral("ImportType"), int(ImportType));
    ini.WriteInteger(section, QStringLiteral("ExtType"), int(ExtType));
    ini.WriteString(section, QStringLiteral("Ext"), IniText(Ext));
}

void TLobImportSession::ReadIni(const TMyIniFile& ini)
{
    const QString& section = Kind();
    Schema = ini.ReadString(section, QStringLiteral("Schema"), QString());
    Table = ini.ReadString(section, QStringLiteral("Table"), QString());
    LobField = ini.ReadString(section, QStringLiteral("LobField"), QString());
    LoadFolder = ini.ReadString(section, QStringLiteral("LoadFolder"), QString());
    IncludeSubFolder = ini.ReadBool(section, QStringLiteral("IncludeSubFolder"), false);
    NameField = ini.ReadString(section, QStringLiteral("NameField"), QString());
    HasFolderField = ini.ReadBool(section, QStringLiteral("HasFolderField"), false);
    FolderField = ini.ReadString(section, QStringLiteral("FolderField"), QString());
    IncludeNameExt = ini.ReadBool(section, QStringLiteral("IncludeNameExt"), false);
    ImportType = TImportType(ini.ReadInteger(section, QStringLiteral("ImportType"), 0));
    ExtType = TImportExtType(ini.ReadInteger(section, QStringLiteral("ExtType"), 0));
    Ext = ini.ReadString(section, QStringLiteral("Ext"), QString());
}

bool TLobImportSession::IsBlank() const
{
    return FileName().isEmpty() && (LoadFolder.isEmpty() || LoadFolder == NoFolderText);
}

std::unique_ptr<TTaskSession> TLobImportSession::CreateSame() const
{
    return std::make_unique<TLobImportSession>();
}

QString TLobImportSession::GetDescription() const
{
    return QStringLiteral("From : ") + LoadFolder + QStringLiteral("\r\nTo : ") + Table;
}

bool TLobImportSession::TableMissing() const
{
    return Table.isEmpty();
}
