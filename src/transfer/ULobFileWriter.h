#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

class TField;

// A file that large-object values are written into straight from the row the
// query received: no copy of a value and no buffer of our own, so a value
// costs as few system calls as possible (the export writes thousands of small
// files, the merge a few large values).
//
// The file is written atomically: the bytes go to a hidden temporary file in
// the target folder, which Commit closes and renames over the final name. A
// run that ends any other way (an error, a kill, a full disk, a stop) leaves
// the final name as it was: an earlier copy intact, never a cut value. An
// existing file or a link of that name is replaced, never written through.
// Errors raise EInOutError naming the final file.
class TLobFileWriter {
public:
    TLobFileWriter() = default;
    // Removes a temporary file that was not committed.
    ~TLobFileWriter();
    TLobFileWriter(const TLobFileWriter&) = delete;
    TLobFileWriter& operator=(const TLobFileWriter&) = delete;

    // Starts the file path (UTF-8): its temporary file is created.
    void Create(const QByteArray& path);
    // The field's value on the current row, then the tail bytes; NULL writes
    // nothing at all, not even the tail. A failed write (a full disk) cuts
    // the file back to its length before the value, so it never holds part
    // of one, and leaves it open for the next value.
    void WriteValue(const TField& field, const char* tail = nullptr, qsizetype tailSize = 0);
    // Closes the file and renames it over the final name.
    void Commit();
    // Closes and removes the temporary file; the final name is untouched.
    void Discard() noexcept;
    bool IsOpen() const { return FHandle >= 0; }

    // Asked between the chunks of a large value: true abandons the value (a
    // stop signal), with an error.
    static void SetInterruptCheck(std::function<bool()> check);

private:
    void WriteAll(const char* data, qint64 size, const char* tail, qsizetype tailSize);
    void WriteLazy(const TField& field, qint64 length);
    [[noreturn]] void RaiseError(const char* action, int error);

    int FHandle = -1;
    qint64 FLength = 0;   // bytes of whole values written
    QByteArray FPath;     // the final name
    QByteArray FTempPath;
    std::unique_ptr<char[]> FChunk;   // values that are not held in the row
};
