#pragma once

#include "UTaskSession.h"

class TDBDictionary;

// The modes of an export task; their numbers are what task files store.
enum class TExportFromType : int {
    Table = 0,   // Table filtered by Where
    Query = 1,   // the statement of Query
};
enum class TExportNameType : int {
    FromField = 0,   // the file name from NameField
    Serial = 1,      // the row's serial number
};
enum class TExportExtType : int {
    FromField = 0,   // the extension from ExtField
    Fixed = 1,       // the fixed Ext
};
enum class TSubFolderCreateType : quint8 {
    None = 0,
    ByCount = 1,   // one per SubCount rows
    ByField = 2,   // one per SubField value
};

// An export task (".elt"): the large-object values of a table or a query
// into files of a folder, one file per row.
class TLobExportSession : public TTaskSession {
public:
    static const QString RecentKey;

    TLobExportSession();

    bool IsSame(const TTaskSession& other) const override;
    void WriteIni(const QString& fileName) const override;
    bool IsBlank() const override;
    std::unique_ptr<TTaskSession> CreateSame() const override;
    QString GetDescription() const override;
    bool TableMissing() const override;

    // The statement of the export: the Query text in Query mode, else the
    // select of the large-object column and the naming columns from the table
    // with the Where filter; a trailing ";" is dropped. The dictionary spells
    // the names.
    QString BuildSql(const TDBDictionary& dictionary) const;
    // The same with the dictionary of the program's database object factory.
    QString BuildSql() const;

    TExportFromType FromType = TExportFromType::Table;
    QString Schema;
    QString Table;
    QString Where;           // "where ..." or "limit ..." clause, or a bare condition
    QString Query;           // the statement of Query mode
    QString LobField;        // whose values are written to files
    TExportNameType NameType = TExportNameType::FromField;
    QString NameField;
    TExportExtType ExtType = TExportExtType::FromField;
    QString ExtField;
    QString Ext;
    QString UnloadFolder;    // receives the files
    TSubFolderCreateType SubFolderCreateType = TSubFolderCreateType::None;
    int SubCount = 0;
    QString SubField;

protected:
    void ReadIni(const TMyIniFile& ini) override;
};
