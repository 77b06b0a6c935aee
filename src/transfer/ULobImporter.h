#pragma once

#include "ULobConverter.h"
#include "platform/dac/UFieldType.h"

#include <QString>
#include <exception>
#include <memory>

class TDBDictionary;
class TDateFormatParser;
class TFolderScanner;
class TLobImportSession;
class TParam;

// Imports the files of a folder into a large-object column, one item per
// file: each file is inserted as a new row, or updates the row whose key
// column holds the key made from the file's name. The folder of each file can
// go into a further column.
//
// The key is the file name up to its first "." (the whole name without a
// ".", or with IncludeNameExt for a key column that is no number). Number
// columns take it without "_" as a 64-bit integer; date and time columns read
// it in the date format detected from the first key that has one.
//
// The executor sets the task, attaches its outputer to Status() and calls
// Convert. Statements run on the connection of the program's database object
// factory (SourceDBFactory); the statement is prepared once per run and each
// file streams from disk in chunks.
class TLobImporter : public TLobConverter {
public:
    TLobImporter();
    ~TLobImporter() override;

    // The task, borrowed; set before Convert.
    TLobImportSession* ImportSession() const { return FImportSession; }
    void SetImportSession(TLobImportSession* session) { FImportSession = session; }

    // Found by the probe at the start of a run.
    TFieldType LobFieldType() const { return FLobFieldType; }
    TFieldType NameFieldType() const { return FNameFieldType; }
    // The date format of this run's keys; empty until a date key has one.
    const QString& DateFormat() const { return FDateFormat; }

    // The hint that follows the path of a file too big for its column.
    static const QString OversizeHint;

protected:
    void BeforeConvert() override;
    void StartConvert() override;
    void AfterConvert() override;
    bool HasNext() override;
    void Next() override;
    void ConvertOneRecord() override;
    void CountTotal() override;

    // The types of the large-object and the key column, from an empty select.
    void ProbeFields();
    QString BuildInsertSql() const;
    QString BuildUpdateSql() const;
    void SetSql();
    void ScanFolder();
    // fileName as text (key, folder column, messages); nativeName as the
    // file system knows it, to read the file.
    void ImportFile(const QString& fileName, const QByteArray& nativeName);

private:
    enum class TKeyKind { Text, Number, Date };

    // The folder column takes part unless it is empty or the key column.
    bool HasFolderColumn() const;
    void SetKey(QStringView key);
    void SetDateKey(const QString& key);
    [[noreturn]] void RaiseKeyError(const QString& key) const;
    // Folders that could not be read come first among the items, then files.
    int FolderFailures() const;
    static bool IsOversizeError(const std::exception& error);

    TLobImportSession* FImportSession = nullptr;
    TDBDictionary* FDictionary = nullptr;
    std::unique_ptr<TFolderScanner> FScanner;
    std::unique_ptr<TDateFormatParser> FParser;
    TFieldType FLobFieldType = ftUnknown;
    TFieldType FNameFieldType = ftUnknown;
    TKeyKind FKeyKind = TKeyKind::Text;
    QString FDateFormat;
    // The statement's parameters, looked up once per run.
    TParam* FKeyParam = nullptr;
    TParam* FLobParam = nullptr;
    TParam* FFolderParam = nullptr;
};
