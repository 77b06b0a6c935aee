#include "UParam.h"

#include "UUniError.h"

#include <QStringList>

void TParam::SetKind(TValueKind kind, TFieldType defaultType)
{
    FKind = kind;
    FText.clear();
    FBytes.clear();
    FInteger = 0;
    FFloat = 0;
    FDateTime = QDateTime();
    FSource.reset();
    if (FDataType == ftUnknown)
        FDataType = defaultType;
    if (FParamType == ptUnknown)
        FParamType = ptInput;
}

void TParam::Clear()
{
    SetKind(TValueKind::Null, FDataType);
}

void TParam::SetAsString(const QString& value)
{
    SetKind(TValueKind::Text, ftString);
    FText = value;
}

void TParam::SetAsMemo(const QString& value)
{
    FDataType = ftMemo;
    SetAsString(value);
}

void TParam::SetAsBytes(const QByteArray& value)
{
    SetKind(TValueKind::Bytes, ftBlob);
    FBytes = value;
}

void TParam::SetAsInteger(qint64 value)
{
    SetKind(TValueKind::Integer, ftInteger);
    FInteger = value;
}

void TParam::SetAsLargeInt(qint64 value)
{
    FDataType = ftLargeint;
    SetAsInteger(value);
}

void TParam::SetAsFloat(double value)
{
    SetKind(TValueKind::Float, ftFloat);
    FFloat = value;
}

void TParam::SetAsBoolean(bool value)
{
    SetKind(TValueKind::Boolean, ftBoolean);
    FInteger = value ? 1 : 0;
}

void TParam::SetAsDateTime(const QDateTime& value)
{
    SetKind(TValueKind::DateTime, ftDateTime);
    FDateTime = value;
}

void TParam::SetAsDate(const QDate& value)
{
    SetKind(TValueKind::Date, ftDate);
    FDateTime = QDateTime(value, QTime(0, 0));
}

void TParam::SetAsTime(const QTime& value)
{
    SetKind(TValueKind::Time, ftTime);
    FDateTime = QDateTime(QDate(1899, 12, 30), value);
}

void TParam::LoadFromFile(const QString& fileName, TFieldType blobType)
{
    FDataType = blobType;
    SetKind(TValueKind::File, blobType);
    FText = fileName;
}

void TParam::SetAsStream(std::shared_ptr<const TValueSource> source, TFieldType type)
{
    FDataType = type;
    SetKind(TValueKind::Stream, type);
    FSource = std::move(source);
}

QString TParam::AsString() const
{
    switch (FKind) {
    case TValueKind::Null: return {};
    case TValueKind::Text:
    case TValueKind::File: return FText;
    case TValueKind::Bytes: return QString::fromLatin1(FBytes);
    case TValueKind::Integer:
    case TValueKind::Boolean: return QString::number(FInteger);
    case TValueKind::Float: return QString::number(FFloat, 'g', 17);
    case TValueKind::DateTime: return FDateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case TValueKind::Date: return FDateTime.date().toString(QStringLiteral("yyyy-MM-dd"));
    case TValueKind::Time: return FDateTime.time().toString(QStringLiteral("HH:mm:ss"));
    case TValueKind::Stream: {
        if (!FSource)
            return {};
        QByteArray bytes(FSource->Size(), Qt::Uninitialized);
        bytes.resize(FSource->Read(0, bytes.data(), bytes.size()));
        return QString::fromLatin1(bytes);
    }
    }
    return {};
}

TParam* TParams::FindParam(const QString& name) const
{
    for (const auto& item : FItems)
        if (item->Name().compare(name, Qt::CaseInsensitive) == 0)
            return item.get();
    return nullptr;
}

TParam* TParams::ParamByName(const QString& name) const
{
    if (TParam* param = FindParam(name))
        return param;
    throw EUniError(QStringLiteral("Parameter '%1' not found").arg(name));
}

TParam* TParams::Add(const QString& name)
{
    FItems.push_back(std::make_unique<TParam>(name));
    return FItems.back().get();
}

void TParams::Rebuild(const QStringList& names)
{
    std::vector<std::unique_ptr<TParam>> old;
    old.swap(FItems);
    for (const QString& name : names) {
        if (FindParam(name))
            continue;
        auto kept = std::find_if(old.begin(), old.end(), [&](const std::unique_ptr<TParam>& p) {
            return p && p->Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (kept != old.end())
            FItems.push_back(std::move(*kept));
        else
            FItems.push_back(std::make_unique<TParam>(name));
    }
}
