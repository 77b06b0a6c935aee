#include "UCreateTableDesign.h"

#include "base/UStringUtil.h"
#include "db/UDataStructUtil.h"
#include "db/UTableCreator.h"
#include "db/UTableInfo.h"

namespace {

const QString uniqueText = QStringLiteral("UNIQUE");
const QString nonUniqueText = QStringLiteral("NON_UNIQUE");
// The digits of the counter that makes a displayed column name unique.
const int uniqueNameDigits = 4;

TDesignFault Fault(const QString& message, TDesignTarget target, int row = -1, int column = -1)
{
    return TDesignFault{message, target, row, column};
}

QString RowText(int row)
{
    return QString::number(row + 1);
}

QString DuplicateText(const QString& kind, const QString& name, int earlier, int row)
{
    return QStringLiteral("Duplicate ") + kind + QStringLiteral(" name \"") + name + QStringLiteral("\" at row ")
           + RowText(earlier) + QStringLiteral(" and row ") + RowText(row);
}

// The earlier row whose name equals this one, letter case aside; -1 for none.
template <class Row, class Name>
int EarlierRowNamed(const QList<Row>& rows, int row, Name nameOf)
{
    const QString name = TrimText(nameOf(rows[row]));
    for (int q = 0; q < row; ++q) {
        if (TrimText(nameOf(rows[q])).compare(name, Qt::CaseInsensitive) == 0)
            return q;
    }
    return -1;
}

}  // namespace

QString IndexTypeText(int item)
{
    return item == itUnique ? uniqueText : nonUniqueText;
}

int IndexTypeItem(const QString& text)
{
    if (text == uniqueText)
        return itUnique;
    return text == nonUniqueText ? itNonUnique : -1;
}

TDesignFault TCreateTableDesign::Validate(const TTableCreator& creator) const
{
    const QString tableName = TrimText(TableName);
    if (tableName.isEmpty())
        return Fault(QStringLiteral("Please input Table Name"), TDesignTarget::TableName);
    if (const QString message = creator.CheckTableName(tableName); !message.isEmpty())
        return Fault(message, TDesignTarget::TableName);
    if (Columns.isEmpty())
        return Fault(QStringLiteral("No Field, Please add"), TDesignTarget::ColumnsGrid);

    for (int r = 0; r < Columns.size(); ++r) {
        const TColumnRow& row = Columns[r];
        const QString name = TrimText(row.FieldName);
        if (name.isEmpty())
            return Fault(QStringLiteral("Please input Field Name, Row: ") + RowText(r), TDesignTarget::ColumnCell, r,
                         cgFieldName);
        if (const QString message = creator.CheckFieldName(name); !message.isEmpty())
            return Fault(message + QStringLiteral(" Row: ") + RowText(r), TDesignTarget::ColumnCell, r, cgFieldName);
        if (row.DataType.isEmpty())
            return Fault(QStringLiteral("Please select Data Type, Row: ") + RowText(r), TDesignTarget::ColumnCell, r,
                         cgDataType);
        const QString type = TrimText(row.DataType);
        if (row.PrimaryKey && creator.LobTypes().contains(type, Qt::CaseInsensitive))
            return Fault(QStringLiteral("can not set primary key to data type ") + type, TDesignTarget::ColumnCell,
                         r, cgPrimaryKey);
        const int earlier = EarlierRowNamed(Columns, r, [](const TColumnRow& c) { return c.FieldName; });
        if (earlier >= 0)
            return Fault(DuplicateText(QStringLiteral("column"), name, earlier, r), TDesignTarget::ColumnCell, r,
                         cgFieldName);
    }

    for (int r = 0; r < Indexes.size(); ++r) {
        const TIndexRow& row = Indexes[r];
        const QString name = TrimText(row.IndexName);
        if (name.isEmpty())
            return Fault(QStringLiteral("Please input Index Name, Row: ") + RowText(r), TDesignTarget::IndexCell, r,
                         igIndexName);
        if (const QString message = creator.CheckIndexName(name); !message.isEmpty())
            return Fault(message + QStringLiteral(" Row: ") + RowText(r), TDesignTarget::IndexCell, r, igIndexName);
        if (row.Columns.isEmpty())
            return Fault(QStringLiteral("Please input Columns, Row: ") + RowText(r), TDesignTarget::IndexCell, r,
                         igColumns);
        const int earlier = EarlierRowNamed(Indexes, r, [](const TIndexRow& i) { return i.IndexName; });
        if (earlier >= 0)
            return Fault(DuplicateText(QStringLiteral("index"), name, earlier, r), TDesignTarget::IndexCell, r,
                         igIndexName);
    }
    return TDesignFault();
}

std::unique_ptr<TTableInfo> TCreateTableDesign::ToTableInfo() const
{
    auto info = std::make_unique<TTableInfo>();
    info->Schema = Schema;
    info->TableName = TrimText(TableName);
    for (const TColumnRow& row : Columns) {
        const QString name = TrimText(row.FieldName);
        info->Columns.append(name);
        info->FieldTypes.SetValue(name, TrimText(row.DataType));
        info->NotNulls.SetFlag(name, row.NotNull);
        info->PrimaryKeys.SetFlag(name, row.PrimaryKey);
        info->AutoIncrements.SetFlag(name, row.AutoIncrement);
        info->DefaultValues.SetValue(name, TrimText(row.DefaultValue));
    }
    for (const TIndexRow& row : Indexes) {
        const QString name = TrimText(row.IndexName);
        info->IndexColumns.SetValue(name, TrimText(row.Columns));
        info->IndexTypes.SetValue(name, IndexTypeText(row.IndexType));
    }
    return info;
}

TCreateTableDesign TCreateTableDesign::FromTableInfo(const TTableInfo& info, const TTableCreator& creator,
                                                     TNameValueList& detectedTypes)
{
    TCreateTableDesign design;
    design.Schema = info.Schema;
    design.TableName = creator.NormalizeTableName(info.TableName);
    if (info.Columns.isEmpty())
        return design;
    QStringList usedNames;
    for (const QString& column : info.Columns) {
        QString name = creator.NormalizeFieldName(column);
        while (usedNames.contains(name, Qt::CaseInsensitive))
            name = MakeUniqueName(name, creator.MaxFieldNameLength(), uniqueNameDigits);
        usedNames.append(name);
        QString type = info.FieldTypes.Value(column);
        if (type.isEmpty())
            type = creator.DefaultType();
        detectedTypes.SetValue(name, type);
        TColumnRow row;
        row.FieldName = name;
        row.DataType = type;
        row.DefaultValue = info.DefaultValues.Value(column);
        row.NotNull = info.NotNulls.Flag(column);
        row.PrimaryKey = info.PrimaryKeys.Flag(column);
        row.AutoIncrement = info.AutoIncrements.Flag(column);
        design.Columns.append(row);
    }
    for (int i = 0; i < info.IndexColumns.Count(); ++i) {
        const QString index = info.IndexColumns.Names(i);
        TIndexRow row;
        row.IndexName = index;
        row.Columns = creator.NormalizeCase(info.IndexColumns.ValueFromIndex(i));
        row.IndexType = IndexTypeItem(info.IndexTypes.Value(index));
        design.Indexes.append(row);
    }
    return design;
}
