#include "UTableCreator.h"

#include "UDBHelper.h"
#include "UDBImportSettings.h"
#include "USqlExecutor.h"
#include "UTableInfo.h"
#include "base/UException.h"
#include "base/UStringUtil.h"

#include <QRandomGenerator>

namespace {

const QString crlf = QStringLiteral("\r\n");
const QChar blank = QLatin1Char(' ');
const QChar comma = QLatin1Char(',');
const int indexSuffixRange = 100;
const int minIndexNameForSuffix = 3;

bool ContainsIgnoringCase(const QStringList& list, const QString& text)
{
    return list.contains(text, Qt::CaseInsensitive);
}

// Each column of an index's column text, trimmed: "a, b" names a and b.
QStringList IndexColumnNames(const QString& columns)
{
    QStringList names;
    SplitString(columns, comma, names);
    for (QString& name : names)
        name = TrimText(name);
    return names;
}

}  // namespace

TTableCreator::TTableCreator()
    : FRandom([] { return int(QRandomGenerator::global()->bounded(indexSuffixRange)); })
{
}

TTableCreator::~TTableCreator() = default;

void TTableCreator::Construct()
{
    FillTypes();
    FillLobTypes();
    FStripChars = {QStringLiteral("\""), QStringLiteral("["), QStringLiteral("]")};
    FForbiddenChars = {QStringLiteral("("), QStringLiteral(")"), QStringLiteral("'"), QStringLiteral("#"),
                       QStringLiteral("$")};
    FSeparatorChars = {QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral("|"), QStringLiteral("/"),
                       QStringLiteral("."), QStringLiteral(","), QStringLiteral(";"), QStringLiteral(":"),
                       QStringLiteral("-"), QStringLiteral("+"), QStringLiteral("<br/>"), QStringLiteral("<br>")};
    FWideChars = {QString(QChar(0xFF08)), QString(QChar(0xFF09))};
    FHelper = CreateHelper();
    // The dialog's string types keep the built-in default, whatever the
    // settings make the default below.
    FStringTypes = {FDefaultType.toLower(), FHelper->GetLongTextTypeName().toLower()};
    if (!TDBImportSettings::DefaultFieldType.isEmpty())
        FDefaultType = TDBImportSettings::DefaultFieldType;
}

QString TTableCreator::GetQualifiedTableName() const
{
    return FHelper->QualifiedName(FTableInfo->Schema, FTableInfo->TableName);
}

QString TTableCreator::GetScript() const
{
    QString script = FCreateScript + crlf;
    for (const QString& statement : FIndexScripts)
        script += statement + crlf;
    return script;
}

bool TTableCreator::ExecuteSql(const QString& script)
{
    if (!FExecutor)
        throw Exception(QStringLiteral("The table creator has no SQL executor."));
    BeforeExecute(script);
    // Its statements are separated by line breaks only.
    const TScriptSplit userSplit = FExecutor->Split();
    FExecutor->SetSplit(TScriptSplit::AtDelimiterAndCreateLines);
    struct RestoreSplit {
        TSqlExecutor* executor;
        TScriptSplit split;
        ~RestoreSplit() { executor->SetSplit(split); }
    } restore{FExecutor, userSplit};
    const bool result = FExecutor->ExecuteSql(script);
    AfterExecute();
    return result;
}

// Names

QString TTableCreator::NormalizeTableName(const QString& text) const
{
    return NormalizeName(text, TNameKind::Table);
}

QString TTableCreator::NormalizeFieldName(const QString& text) const
{
    return NormalizeName(text, TNameKind::Field);
}

QString TTableCreator::NormalizeName(const QString& text, TNameKind kind) const
{
    QString name = TrimText(text);
    for (const QString& entry : FStripChars)
        name.remove(entry);
    for (const QString& entry : FForbiddenChars)
        name.remove(entry);
    if (kind == TNameKind::Field)
        name = ApplyDottedPathRule(name);
    // List order matters: "/" goes before "<br/>", so that tag keeps its rest.
    for (const QString& entry : FSeparatorChars)
        name.replace(entry, QStringLiteral("_"));
    for (const QString& entry : FWideChars)
        name.replace(entry, QStringLiteral("_"));
    const int limit = kind == TNameKind::Table ? MaxTableNameLength() : MaxFieldNameLength();
    if (name.size() > limit)
        name.truncate(limit);
    return NormalizeCase(name);
}

// "items.item.name" is a path into a list of items: the plural step goes.
// "data-row.row" names the row of data: the repeated tail goes.
QString TTableCreator::ApplyDottedPathRule(const QString& text) const
{
    QStringList parts;
    SplitString(text, QLatin1Char('.'), parts);
    QString result = text;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QString& part = parts[i];
        const QString& next = parts[i + 1];
        if (part == next + QLatin1Char('s')) {
            const QString marker = part + QLatin1Char('.');
            const qsizetype at = result.indexOf(marker);
            result = at < 0 ? QString() : result.mid(at + marker.size());
        } else if (part.contains(QLatin1Char('-')) && next.startsWith(TextAfter(part, QStringLiteral("-")))) {
            const qsizetype at = result.indexOf(part);
            if (at >= 0)
                result.replace(at, part.size(), TextBefore(part, QStringLiteral("-")));
        }
    }
    return result;
}

QString TTableCreator::CheckTableName(const QString& name) const
{
    return CheckName(name, TNameKind::Table);
}

QString TTableCreator::CheckFieldName(const QString& name) const
{
    return CheckName(name, TNameKind::Field);
}

QString TTableCreator::CheckIndexName(const QString& name) const
{
    return CheckName(name, TNameKind::Index);
}

QString TTableCreator::CheckName(const QString& name, TNameKind kind) const
{
    const QString word = kind == TNameKind::Table   ? QStringLiteral("Table")
                         : kind == TNameKind::Field ? QStringLiteral("Field")
                                                    : QStringLiteral("Index");
    const int limit = kind == TNameKind::Table ? MaxTableNameLength() : MaxFieldNameLength();
    if (name.size() > limit)
        return word + QStringLiteral(" Name length can not > ") + QString::number(limit) + QLatin1Char('.');
    QString found;
    for (const QStringList* list : {&FForbiddenChars, &FSeparatorChars}) {
        for (const QString& entry : *list) {
            if (name.contains(entry))
                found += entry + blank;
        }
    }
    if (found.isEmpty())
        return QString();
    return word + QStringLiteral(" Name can not contain char \" ") + found + QStringLiteral(" \".");
}

// Generation

void TTableCreator::Generate(TTableInfo* info)
{
    SetTableInfo(info);
    MarkNotNulls();
    MakeUniqueColumnNames();

    FCreateScript = QStringLiteral("create table ") + GetQualifiedTableName() + QStringLiteral(" (") + crlf;
    QString keyList;
    QStringList mappedTypes;
    for (const QString& name : FColumnNames) {
        LoadFieldInfo(name);
        const QString type = MapType(FFieldInfo.FieldType);
        mappedTypes.append(type);
        QString line = FHelper->QuoteIdentifier(FFieldInfo.Name) + blank + type;
        if (!FFieldInfo.DefaultValue.isEmpty())
            line += GetDefaultClause();
        if (FFieldInfo.NotNull)
            line += QStringLiteral(" not null ");
        if (FFieldInfo.AutoIncrement)
            line += GetAutoIncrementClause();
        if (FFieldInfo.PrimaryKey)
            keyList += FHelper->QuoteIdentifier(FFieldInfo.Name) + comma;
        FCreateScript += line + comma + crlf;
    }

    if (!keyList.isEmpty() && !TypesDeclarePrimaryKey(mappedTypes)) {
        QString constraint = FTableInfo->TableName;
        constraint.remove(blank).replace(QLatin1Char('-'), QLatin1Char('_'));
        constraint = QStringLiteral("pk_") + constraint;
        constraint.truncate(MaxFieldNameLength());
        FCreateScript += QStringLiteral("CONSTRAINT ") + FHelper->QuoteNameWhenNeeded(constraint)
                         + QStringLiteral(" PRIMARY KEY(")
                         + RemoveTrailingChar(keyList, comma) + QLatin1Char(')');
    } else {
        FCreateScript = RemoveTrailingChar(TrimText(FCreateScript), comma);
    }
    FCreateScript += crlf + QLatin1Char(')') + GetTableOptions();
    GenerateIndexScripts();
}

// Only key columns and the only column of a unique index end up NOT NULL;
// the marks the description held before are dropped.
void TTableCreator::MarkNotNulls()
{
    TTableInfo& info = *FTableInfo;
    info.NotNulls.Clear();
    for (int i = 0; i < info.PrimaryKeys.Count(); ++i) {
        if (TNameValueList::IsTrueFlag(info.PrimaryKeys.ValueFromIndex(i)))
            info.NotNulls.SetFlag(info.PrimaryKeys.Names(i), true);
    }
    for (int i = 0; i < info.IndexTypes.Count(); ++i) {
        if (info.IndexTypes.ValueFromIndex(i) != QLatin1String("UNIQUE"))
            continue;
        const QString columns = info.IndexColumns.Value(info.IndexTypes.Names(i));
        if (!columns.contains(comma) && !TrimText(columns).isEmpty())
            info.NotNulls.SetFlag(TrimText(columns), true);
    }
}

// A repeated name (letter case aside) gets "_2", "_3"... with its base cut so
// that the whole stays within the server's limit.
void TTableCreator::MakeUniqueColumnNames()
{
    const int limit = MaxFieldNameLength();
    FColumnNames.clear();
    for (const QString& column : FTableInfo->Columns) {
        QString name = column.left(limit);
        if (ContainsIgnoringCase(FColumnNames, name)) {
            const QString base = name;
            for (int n = 2;; ++n) {
                const QString suffix = QLatin1Char('_') + QString::number(n);
                name = base.left(limit - int(suffix.size())) + suffix;
                if (!ContainsIgnoringCase(FColumnNames, name))
                    break;
            }
        }
        FColumnNames.append(name);
    }
}

void TTableCreator::LoadFieldInfo(const QString& name)
{
    const TTableInfo& info = *FTableInfo;
    FFieldInfo.Name = name;
    FFieldInfo.FieldType = info.FieldTypes.Value(name);
    if (FFieldInfo.FieldType.isEmpty())
        FFieldInfo.FieldType = FDefaultType;
    FFieldInfo.NotNull = info.NotNulls.Flag(name);
    FFieldInfo.PrimaryKey = info.PrimaryKeys.Flag(name);
    FFieldInfo.AutoIncrement = info.AutoIncrements.Flag(name);
    FFieldInfo.DefaultValue = TrimText(info.DefaultValues.Value(name));
}

// A type typed as "int primary key" declares the key itself; a default
// value's text must not count.
bool TTableCreator::TypesDeclarePrimaryKey(const QStringList& mappedTypes) const
{
    for (const QString& type : mappedTypes) {
        if (type.toUpper().contains(QLatin1String("PRIMARY KEY")))
            return true;
    }
    return false;
}

void TTableCreator::GenerateIndexScripts()
{
    const TTableInfo& info = *FTableInfo;
    FIndexScripts.clear();
    QStringList usedNames;
    for (int i = 0; i < info.IndexColumns.Count(); ++i) {
        const QString index = info.IndexColumns.Names(i);
        const QStringList columns = IndexColumnNames(info.IndexColumns.ValueFromIndex(i));
        bool hasKeyColumn = false;
        for (const QString& column : columns)
            hasKeyColumn = hasKeyColumn || info.PrimaryKeys.Flag(column);
        if (hasKeyColumn)
            continue;
        const QString kind = info.IndexTypes.Value(index);

        QString name = index;
        if (!IndexNamesPerTable() && !name.endsWith(info.TableName, Qt::CaseInsensitive))
            name += QLatin1Char('_') + info.TableName;
        name.remove(blank);
        name.truncate(MaxFieldNameLength());
        name.replace(QLatin1Char('.'), QLatin1Char('_'));
        if (name.size() > minIndexNameForSuffix) {
            while (ContainsIgnoringCase(usedNames, name))
                name = CutRight(name, 3) + QLatin1Char('_') + QString::number(FRandom());
        }
        usedNames.append(name);

        QStringList quoted;
        for (const QString& column : columns)
            quoted.append(FHelper->QuoteIdentifier(column));
        FIndexScripts.append(QStringLiteral("create ")
                             + (kind == QLatin1String("UNIQUE") ? QStringLiteral("unique ") : QString())
                             + QStringLiteral("index ") + FHelper->QuoteNameWhenNeeded(name) + QStringLiteral(" on ") + GetQualifiedTableName()
                             + QStringLiteral(" (") + quoted.join(comma) + QLatin1Char(')'));
    }
}
