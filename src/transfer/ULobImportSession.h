#pragma once

#include "UTaskSession.h"

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

    QString Schema;
    QString Table;
    QString LobField;       // receives each file's content
    QString LoadFolder;     // whose files are imported
    bool IncludeSubFolder = false;   // sub-folders at any depth too
    QString NameField;      // key column for the key made from the file name
    bool HasFolderField = false;
    QString FolderField;    // receives each file's folder; empty without HasFolderField
    bool IncludeNameExt = false;     // the key keeps the file's extension
    int ImportType = 0;     // 0 inserts a row per file, 1 updates the row of the key
    int ExtType = 0;        // 0 all files, 1 only files with Ext
    QString Ext;            // with or without a leading dot; empty with ExtType 0

protected:
    void ReadIni(const TMyIniFile& ini) override;
};
