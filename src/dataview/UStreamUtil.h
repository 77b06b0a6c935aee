#pragma once

#include <QVariant>

class QBuffer;

// Between a memory buffer and the value form of a binary field: a null
// QVariant for NULL, else a QByteArray. An empty buffer is NULL.
namespace UStreamUtil {

// NULL when the buffer is empty, else its whole content read from the start.
QVariant StreamToVariant(QBuffer* stream);
// NULL empties the buffer; bytes replace its content, its position back at 0.
void VariantToStream(const QVariant& value, QBuffer* stream);

}  // namespace UStreamUtil
