#pragma once

#include "UTaskSession.h"

class TDBDictionary;

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

    // The statement of the export: the Query text in Query mode, else the
    // select of the large-object column and the naming columns from the table
    // with the Where filter; a trailing ";" is dropped. The dictionary spells
    // the names.
    QString BuildSql(const TDBDictionary& dictionary) const;
    // The same with the dictionary of the program's database object factory.
    QString BuildSql() const;

    int FromType = 0;        // 0 Table: Table filtered by Where; 1 Query
    QString Schema;
    QString Table;
    QString Where;           // "where ..." or "limit ..." clause, or a bare condition
    QString Query;           // the statement of Query mode
    QString LobField;        // whose values are written to files
    int NameType = 0;        // 0 file name from NameField, 1 the row's serial number
    QString NameField;
    int ExtType = 0;         // 0 extension from ExtField, 1 the fixed Ext
    QString ExtField;
    QString Ext;
    QString UnloadFolder;    // receives the files
    quint8 SubFolderCreateType = 0;   // 0 none, 1 one per SubCount rows, 2 one per SubField value
    int SubCount = 0;
    QString SubField;

protected:
    void ReadIni(const TMyIniFile& ini) override;
};
