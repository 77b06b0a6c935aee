#pragma once

#include <QString>
#include <QtGlobal>

// Where the kept rows of a data set put their large values, so that reading a
// long result to its end cannot exhaust memory: one file without a name
// (unlinked at once, mode 0600) in the user's cache folder, written only at
// its end and gone with its last handle.
class TSpillFile {
public:
    TSpillFile();
    ~TSpillFile();
    TSpillFile(const TSpillFile&) = delete;
    TSpillFile& operator=(const TSpillFile&) = delete;

    // Values up to this size stay in memory.
    static constexpr qint64 InlineLimit = 1024;

    // Appends bytes; the offset where they start.
    qint64 Append(const char* data, qint64 size);
    // Reads up to size bytes at offset; the number read.
    qint64 Read(qint64 offset, char* buffer, qint64 size) const;
    qint64 Size() const { return FSize; }
    // The folder the files go to: $XDG_CACHE_HOME/vantorquill, else ~/.cache/vantorquill.
    static QString Folder();

private:
    void EnsureOpen();

    int FHandle = -1;
    qint64 FSize = 0;
};
