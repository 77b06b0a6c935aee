#pragma once

#include "UFieldType.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

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
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
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

    // Changes of the current row while the data set is being edited.
    void SetAsBytes(const QByteArray& value);
    void SetAsString(const QString& value);
    void Clear();                      // NULL
    void LoadFromFile(const QString& fileName);

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
