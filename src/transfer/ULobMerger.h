#pragma once

#include "ULobConverter.h"

#include <QString>
#include <memory>

class TField;
class TLobFileWriter;

// Writes the large-object values of the selected rows of one table one after
// the other into a single file, each followed by CR LF; a NULL value writes
// nothing, not even the line break. Rows stream one at a time, so memory holds
// one value whatever the table's size. Not a task: there is no session. The
// output is written under a temporary name and takes its own only when the
// run ends (also when stopped): a failed run leaves an earlier output intact.
//
//   TLobMerger merger;                // on the program's connection
//   merger.SetSchema("db"); merger.SetTable("docs"); merger.SetWhere("id < 10");
//   merger.SetLobField("body"); merger.SetFileName("/tmp/all.txt");
//   merger.Convert();
class TLobMerger : public TLobConverter {
public:
    TLobMerger();
    ~TLobMerger() override;

    void SetSchema(const QString& value) { FSchema = value; }
    void SetTable(const QString& value) { FTable = value; }
    // A "where ..." clause or a bare condition.
    void SetWhere(const QString& value) { FWhere = value; }
    void SetLobField(const QString& value) { FLobField = value; }
    // The output file, replaced when it exists (by a rename, never written
    // through).
    void SetFileName(const QString& value) { FFileName = value; }

    // The statement of the merge, the names spelled by the program's dictionary.
    QString BuildSql() const;

protected:
    void BeforeConvert() override;
    void EndConvert() override;
    void AfterConvert() override;
    void ConvertOneRecord() override;

    void OpenMerge();
    void CloseMerge();
    void AppendRecord();

private:
    QString FSchema;
    QString FTable;
    QString FWhere;
    QString FLobField;
    QString FFileName;
    std::unique_ptr<TLobFileWriter> FStream;   // open during a run
    TField* FLobColumn = nullptr;
};
