#pragma once

#include "UFieldType.h"
#include "UValueSource.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// One named parameter of a statement and its value.
class TParam {
public:
    // What the value is; a file value stays on disk until the statement runs.
    enum class TValueKind { Null, Text, Bytes, Integer, Float, Boolean, DateTime, Date, Time, File, Stream };

    explicit TParam(const QString& name) : FName(name) {}

    const QString& Name() const { return FName; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType type) { FDataType = type; }
    TParamType ParamType() const { return FParamType; }
    void SetParamType(TParamType type) { FParamType = type; }

    TValueKind Kind() const { return FKind; }
    bool IsNull() const { return FKind == TValueKind::Null; }
    void Clear();                                    // NULL
    void SetAsString(const QString& value);          // ftString unless typed
    void SetAsMemo(const QString& value);            // ftMemo
    void SetAsBytes(const QByteArray& value);        // ftBlob unless typed
    void SetAsBlob(const QByteArray& value) { SetAsBytes(value); }
    void SetAsInteger(qint64 value);                 // ftInteger unless typed
    void SetAsLargeInt(qint64 value);                // ftLargeint
    void SetAsFloat(double value);                   // ftFloat
    void SetAsBoolean(bool value);                   // ftBoolean
    void SetAsDateTime(const QDateTime& value);      // ftDateTime
    void SetAsDate(const QDate& value);              // ftDate
    void SetAsTime(const QTime& value);              // ftTime
    // The value is the file's whole content, read in chunks while the
    // statement is sent; blobType is the value's field type (ftBlob, ftMemo...).
    void LoadFromFile(const QString& fileName, TFieldType blobType);

    // The value is read from a source in chunks while the statement is sent.
    // A text type (ftString, ftMemo...) goes as text in the session's
    // character set (its bytes already are); others go as binary.
    void SetAsStream(std::shared_ptr<const TValueSource> source, TFieldType type);
    const std::shared_ptr<const TValueSource>& Source() const { return FSource; }

    QString AsString() const;        // text of any kind of value; the path for a file
    const QByteArray& AsBytes() const { return FBytes; }   // Bytes values
    qint64 AsInteger() const { return FInteger; }
    double AsFloat() const { return FFloat; }
    const QDateTime& AsDateTime() const { return FDateTime; }   // DateTime, Date, Time
    QString FileName() const { return FKind == TValueKind::File ? FText : QString(); }

private:
    void SetKind(TValueKind kind, TFieldType defaultType);

    QString FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptUnknown;
    TValueKind FKind = TValueKind::Null;
    QString FText;
    QByteArray FBytes;
    qint64 FInteger = 0;
    double FFloat = 0;
    QDateTime FDateTime;
    std::shared_ptr<const TValueSource> FSource;
};

// The parameters of a statement in the order of their first appearance;
// names are matched ignoring letter case.
class TParams {
public:
    int Count() const { return int(FItems.size()); }
    TParam* Items(int index) const { return FItems.at(size_t(index)).get(); }
    TParam* FindParam(const QString& name) const;
    // Raises "Parameter 'name' not found" when missing.
    TParam* ParamByName(const QString& name) const;
    TParam* Add(const QString& name);
    void Clear() { FItems.clear(); }
    // Rebuilt for new names; a parameter whose name stays keeps its value.
    void Rebuild(const QStringList& names);

private:
    std::vector<std::unique_ptr<TParam>> FItems;
};
