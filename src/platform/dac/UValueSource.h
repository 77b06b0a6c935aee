#pragma once

#include <QtGlobal>

// A value that can be read in pieces without holding it whole: a kept large
// value in the spill file, or bytes in memory. Statements send such values
// in chunks.
class TValueSource {
public:
    virtual ~TValueSource() = default;
    virtual qint64 Size() const = 0;
    // Up to size bytes from offset; the number read (0 at the end).
    virtual qint64 Read(qint64 offset, char* buffer, qint64 size) const = 0;
};
