#pragma once

#include <QByteArray>

class TField;

// Content tests on a large-object value. Both look at the value's first bytes
// only, read one byte per character, so a large value is never read whole.
namespace UBlobTypeUtil {

// How many leading bytes the tests need.
constexpr int HeadSize = 10;

// "rtf", in that case, within the first 10 bytes; false for NULL.
bool IsRtf(const QByteArray& head, bool isNull);
// Starts with "%PDF"; false for NULL.
bool IsPdf(const QByteArray& head, bool isNull);

// The same on the current value of a field.
bool IsRtf(const TField& field);
bool IsPdf(const TField& field);

// The value's first bytes (fewer when the value is shorter; empty for NULL).
QByteArray Head(const TField& field, int size = HeadSize);

}  // namespace UBlobTypeUtil
