#pragma once

#include <QByteArray>
#include <memory>

class TField;

// A file that large-object values are written into straight from the row the
// query received: no copy of a value and no buffer of our own, so a value
// costs as few system calls as possible (the export writes thousands of small
// files, the merge a few large values). Errors raise EInOutError naming the
// file; the destructor closes a file that is still open without a word.
class TLobFileWriter {
public:
    TLobFileWriter() = default;
    ~TLobFileWriter();
    TLobFileWriter(const TLobFileWriter&) = delete;
    TLobFileWriter& operator=(const TLobFileWriter&) = delete;

    // Creates the file (UTF-8 path), replacing one that exists.
    void Create(const QByteArray& path);
    // The field's value on the current row, then the tail bytes; NULL writes
    // nothing at all, not even the tail.
    void WriteValue(const TField& field, const char* tail = nullptr, qsizetype tailSize = 0);
    // Closes the file; a failure that the close reports (a full disk on a
    // network file system) raises.
    void Close();
    bool IsOpen() const { return FHandle >= 0; }

private:
    void WriteAll(const char* data, qint64 size, const char* tail, qsizetype tailSize);
    [[noreturn]] void RaiseError(const char* action, int error);

    int FHandle = -1;
    QByteArray FPath;   // for messages; released on close so the caller's buffer stays unshared
    std::unique_ptr<char[]> FChunk;   // values that are not held in the row
};
