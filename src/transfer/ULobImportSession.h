#pragma once

#include "UTaskSession.h"

// The modes of an import task; their numbers are what task files store.
enum class TImportType : int {
    Insert = 0,   // a new row per file
    Update = 1,   // the row of the file's key
};
enum class TImportExtType : int {
    All = 0,       // every file
    OnlyExt = 1,   // only files with Ext
};

// An import task (".ilt"): the files of a folder into a large-object column,
// one row per file.
class TLobImportSession : public TTaskSession {
public:
    static const QString RecentKey;

    TLobImportSession();

    bool IsSame(const TTaskSession& other) const override;
    void WriteIni(const QString& fileName) const override;
    bool IsBlank() const override;
    std::unique_ptr<TTaskSession> CreateSame() const override;
    QString GetDescription() const override;
    bool TableMissing() const override;

    QString Schema;
    QString Table;
    QString LobField;       // receives each file's content
    QString LoadFolder;     // whose files are imported
    bool IncludeSubFolder = false;   // sub-folders at any depth too
    QString NameField;      // key column for the key made from the file name
    bool HasFolderField = false;
    QString FolderField;    // receives each file's folder; empty without HasFolderField
    bool IncludeNameExt = false;     // the key keeps the file's extension
    TImportType ImportType = TImportType::Insert;
    TImportExtType ExtType = TImportExtType::All;
    QString Ext;            // with or without a leading dot; empty with ExtType 0

protected:
    void ReadIni(const TMyIniFile& ini) override;
};
