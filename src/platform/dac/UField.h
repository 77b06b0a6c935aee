#pragma once

#include "UFieldType.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>

class TUniDataSet;
class QIODevice;

// One column of a data set, read on the data set's current row.
class TField {
public:
    TField(TUniDataSet* dataSet, int index, const QString& name, TFieldType type, qint64 size);

    const QString& FieldName() const { return FName; }
    TFieldType DataType() const { return FDataType; }
    qint64 Size() const { return FSize; }            // declared width in bytes
    int Index() const { return FIndex; }
    bool IsBlob() const { return IsBlobFieldType(FDataType); }
    TUniDataSet* DataSet() const { return FDataSet; }
    // Read-only fields: expressions, columns outside the updated table, and
    // fields the user marked so.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    // Whether a value can be set: the data set can be modified and the field
    // is not read-only.
    bool CanModify() const;
    // The largest value the column takes (characters for character columns,
    // bytes for others); -1 when not known.
    qint64 WidthLimit() const;
    // The column's name in its table and the table, empty for expressions.
    QString Origin() const { return FOrigin; }
    void SetOrigin(const QString& origin) { FOrigin = origin; }

    bool IsNull() const;
    qint64 DataSize() const;           // the value's size in bytes, 0 for NULL
    QByteArray AsBytes() const;        // the value's bytes as they are
    // Text: the server's own text for numbers and dates; character columns in
    // the session's character set; binary values read as Windows-1252.
    QString AsString() const;
    int AsInteger() const;
    qint64 AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDateTime AsDateTime() const;      // invalid for NULL and zero dates
    // Writes the value to a device or a file (replaced) without holding a
    // copy of it: straight from the received row, in pieces for large ones.
    // NULL writes nothing (an empty file).
    void WriteTo(QIODevice& device) const;
    void SaveToFile(const QString& fileName) const;
    // A read-only device over the value as it is now (empty for NULL); large
    // values are read in pieces, never held whole.
    std::unique_ptr<QIODevice> CreateReader() const;

    // Changes of the current row while the data set is being edited.
    void SetAsBytes(const QByteArray& value);
    void SetAsString(const QString& value);
    void Clear();                      // NULL
    // The file's bytes as the value, copied in chunks (a large one to the
    // data set's spill file, never held whole); an empty file gives "".
    void LoadFromFile(const QString& fileName);
    void LoadFromDevice(QIODevice& device);

    void SetDataSet(TUniDataSet* dataSet) { FDataSet = dataSet; }

private:
    TUniDataSet* FDataSet;
    int FIndex;
    QString FName;
    TFieldType FDataType;
    qint64 FSize;
    bool FReadOnly = false;
    QString FOrigin;
};
