#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

class TField;
class TUnnamedFileStock;

// A file that large-object values are written into straight from the row the
// query received: no copy of a value and no buffer of our own, so a value
// costs as few system calls as possible (the export writes thousands of small
// files, the merge a few large values).
//
// The file is written atomically and created relative to an open folder, so
// that nothing on the way is looked up again by its path. Where the file
// system allows it, the bytes go to an unnamed file in the folder, which
// Commit links under the final name; a name that exists already is replaced
// through a hidden temporary name and a rename, as is every file where
// unnamed files are refused. A run that ends any other way (an error, a kill,
// a full disk, a stop) leaves the final name as it was: an earlier copy
// intact, never a cut value. An existing file or a link of that name is
// replaced, never written through. Errors raise EInOutError naming the final
// file.
class TLobFileWriter {
public:
    TLobFileWriter() = default;
    // Removes a temporary file that was not committed.
    ~TLobFileWriter();
    TLobFileWriter(const TLobFileWriter&) = delete;
    TLobFileWriter& operator=(const TLobFileWriter&) = delete;

    // Starts the file path (UTF-8) in the folder of that path, which the
    // writer opens itself.
    void Create(const QByteArray& path);
    // Starts the file name in the open folder (borrowed: it has to stay open
    // until Commit or Discard); path is the whole name for messages. An
    // unnamed file is taken from stock when it holds one (of that folder), and
    // the stock closes the committed file where that cannot fail.
    void Create(int folder, const QByteArray& name, const QByteArray& path, TUnnamedFileStock* stock = nullptr);
    // The field's value on the current row, then the tail bytes; NULL writes
    // nothing at all, not even the tail. A failed write (a full disk) cuts
    // the file back to its length before the value, so it never holds part
    // of one, and leaves it open for the next value.
    void WriteValue(const TField& field, const char* tail = nullptr, qsizetype tailSize = 0);
    // Closes the file and gives it the final name.
    void Commit();
    // Closes and removes the temporary file; the final name is untouched.
    void Discard() noexcept;
    bool IsOpen() const { return FHandle >= 0; }

    // Asked between the chunks of a large value: true abandons the value (a
    // stop signal), with an error.
    static void SetInterruptCheck(std::function<bool()> check);
    // Makes every later file take the temporary name, as on a file system
    // that refuses unnamed files (for tests).
    static void SetUnnamedFilesRefused(bool refused);
    // Whether new files start unnamed, so that a stock of them is of use.
    static bool StartsUnnamed();
    // "Cannot <action> file "<path>". <the system's text of error>"
    [[noreturn]] static void RaiseFileError(const char* action, const QByteArray& path, int error);

private:
    void Start(int folder, const QByteArray& name, const QByteArray& path, TUnnamedFileStock* stock = nullptr);
    void OpenUnnamed();
    void OpenTemporary();
    // Links the unnamed file under name; false when that name exists.
    bool LinkUnnamed(const char* name);
    void LinkUnnamedAsTemporary();
    // 0, or the error the close reported.
    int CloseHandle();
    void KeepExistingMode();
    void WriteAll(const char* data, qint64 size, const char* tail, qsizetype tailSize);
    void WriteLazy(const TField& field, qint64 length);
    [[noreturn]] void RaiseError(const char* action, int error) const;

    int FHandle = -1;
    int FFolder = -1;
    int FOwnedFolder = -1;   // the folder Create(path) opened
    bool FUnnamed = false;   // FHandle has no name yet
    qint64 FLength = 0;      // bytes of whole values written
    qint64 FWritten = 0;     // bytes written, a value in progress included
    QByteArray FPath;        // the final name, whole
    QByteArray FName;        // the final name in the folder
    QByteArray FTempName;    // in the folder; empty when there is none
    std::unique_ptr<char[]> FChunk;   // values that are not held in the row
    TUnnamedFileStock* FStock = nullptr;   // of FFolder, borrowed
};
