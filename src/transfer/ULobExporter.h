#pragma once

#include "ULobConverter.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <memory>

class TUnnamedFileStock;

class TField;
class TLobExportSession;

// Writes the large-object value of every row of an export task's statement
// into a file of its own, one row at a time as the server sends it. The file
// name is a column's value or the row's serial, the extension a column's
// value or a fixed text, and the files may be spread over sub-folders by
// blocks of rows or by a column's value. A row that cannot be written fails
// alone ("Serial: " n); a statement that fails ends the run before any file.
//
//   TLobExporter exporter;            // on the program's connection
//   exporter.SetExportSession(&task); // borrowed
//   exporter.Status().OnError = ...;  // observers
//   exporter.Convert();
class TLobExporter : public TLobConverter {
public:
    TLobExporter();
    ~TLobExporter() override;

    TLobExportSession* ExportSession() const { return FExportSession; }
    void SetExportSession(TLobExportSession* session) { FExportSession = session; }

    // The row's serial number: 1 for the first row.
    int GetSerial() const { return RowIndex + 1; }

    // The name and extension rules, as the files get them; the extension
    // loses one leading ".".
    static QString CleanName(QString name);
    static QString CleanExt(QString ext);
    // The label of a sub-folder taken from a column: "/" and NUL become "_";
    // "." and ".." are refused, since they lead out of the export folder.
    static QString CleanSubFolderLabel(QString label);

protected:
    void BeforeConvert() override;
    void AfterConvert() override;
    void ConvertOneRecord() override;

    void OpenQuery();
    void FindFields();
    void CloseQuery();
    void ExportRecord();

private:
    void PrepareFolders();
    // The folder of the current row, encoded, with a trailing "/".
    const QByteArray& RowFolder();
    void SetSubFolder(const QString& label);
    // The open folder of the current row; raises naming the row's file when
    // it cannot be opened.
    int RowFolderHandle();
    int OpenSubFolder(int base, const QByteArray& name) const;
    void CloseRowFolder();
    void CloseFolders();
    void AppendUtf8(QStringView text);

    TLobExportSession* FExportSession = nullptr;
    TField* FLobColumn = nullptr;
    TField* FNameColumn = nullptr;
    TField* FExtColumn = nullptr;
    TField* FSubColumn = nullptr;

    // Worked out once per run or per sub-folder, not per row.
    QString FBaseFolder;         // UnloadFolder without a trailing "/"
    QByteArray FBaseFolderPath;  // encoded, with a trailing "/"; empty: no folder
    QByteArray FFixedExt;        // "." and the cleaned fixed extension, encoded
    QByteArray FFolderPath;      // the current sub-folder, encoded, with "/"
    int FFolderBlock = -1;       // the block of rows FFolderPath belongs to
    QString FFolderLabel;        // the label FFolderPath belongs to
    QByteArray FFolderName;      // the current sub-folder's label, encoded
    int FBaseFolderHandle = -1;  // UnloadFolder, opened at the first row
    int FFolder = -1;            // the current row's folder, opened; may be the base's
    int FFolderRows = 0;         // rows written into FFolder so far
    std::unique_ptr<TUnnamedFileStock> FStock;   // of FFolder, once it serves many rows
    QByteArray FPath;            // the row's file, reused
    QByteArray FName;            // the row's file name in its folder, reused
    QStringEncoder FEncoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};
