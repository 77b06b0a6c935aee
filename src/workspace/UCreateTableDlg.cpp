#include "UCreateTableDlg.h"

#include "UTableCreateExecuteForm.h"
#include "widgets/UQsci.h"
#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "base/UStringUtil.h"
#include "widgets/UUIUtil.h"
#include "db/UDBDictionary.h"
#include "db/UTableCreator.h"
#include "db/UTableInfo.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString autoDetect = QStringLiteral("Auto Detect");

// A combo box as the cell editor: editable for the data type (any type may be
// typed), a fixed list for the index type.
class TComboDelegate : public QStyledItemDelegate {
public:
    TComboDelegate(QObject* parent, const QStringList* items, bool editable)
        : QStyledItemDelegate(parent), FItems(items), FEditable(editable)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* combo = new QComboBox(parent);
        combo->setEditable(FEditable);
        combo->addItems(*FItems);
        return combo;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* combo = static_cast<QComboBox*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        const int at = combo->findText(text, Qt::MatchFixedString);
        if (at >= 0)
            combo->setCurrentIndex(at);
        else if (FEditable)
            combo->setEditText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }

private:
    const QStringList* FItems;
    bool FEditable;
};

const QStringList& IndexTypeItems()
{
    static const QStringList items{IndexTypeText(itUnique), IndexTypeText(itNonUnique)};
    return items;
}

QTableWidgetItem* TextItem(const QString& text)
{
    return new QTableWidgetItem(text);
}

QTableWidgetItem* CheckItem(bool checked)
{
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

bool CellChecked(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item && item->checkState() == Qt::Checked;
}

QLabel* BuddyLabel(const QString& name, const QString& caption, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setBuddy(field);
    return label;
}

}  // namespace

TCreateTableDlg::TCreateTableDlg(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TCreateTableDlg"));
    setWindowTitle(QStringLiteral("Create Table"));
    resize(644, 388);
    BuildControls();
    // FormCreate
    FExecuteForm = new TTableCreateExecuteForm(this);
    pcTable->setCurrentWidget(tsIndexes);
    pcTable->setCurrentWidget(tsColumns);
}

TCreateTableDlg::~TCreateTableDlg() = default;

void TCreateTableDlg::BuildControls()
{
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    pmChangeView = new QMenu(this);
    pmChangeView->setObjectName(QStringLiteral("pmChangeView"));
    pmiViewSQL = pmChangeView->addAction(QStringLiteral("View SQL"));
    pmiViewSQL->setObjectName(QStringLiteral("pmiViewSQL"));
    pmiViewForm = pmChangeView->addAction(QStringLiteral("View Form"));
    pmiViewForm->setObjectName(QStringLiteral("pmiViewForm"));
    btnChangeView = new QToolButton(this);
    btnChangeView->setObjectName(QStringLiteral("btnChangeView"));
    btnChangeView->setText(QStringLiteral("View Form"));
    btnChangeView->setMenu(pmChangeView);
    btnChangeView->setPopupMode(QToolButton::MenuButtonPopup);

    pnlDesign = new QWidget(this);
    pnlDesign->setObjectName(QStringLiteral("pnlDesign"));
    cbbSchema = new QComboBox(pnlDesign);
    cbbSchema->setObjectName(QStringLiteral("cbbSchema"));
    lblSchema = BuddyLabel(QStringLiteral("lblSchema"), QStringLiteral("Schema"), cbbSchema, pnlDesign);
    edtTableName = new QLineEdit(pnlDesign);
    edtTableName->setObjectName(QStringLiteral("edtTableName"));
    lbl1 = BuddyLabel(QStringLiteral("lbl1"), QStringLiteral("Table Name"), edtTableName, pnlDesign);
    cbbFieldTypeMode = new QComboBox(pnlDesign);
    cbbFieldTypeMode->setObjectName(QStringLiteral("cbbFieldTypeMode"));
    lblFieldTypeMode =
        BuddyLabel(QStringLiteral("lblFieldTypeMode"), QStringLiteral("Field Type "), cbbFieldTypeMode, pnlDesign);

    pcTable = new QTabWidget(pnlDesign);
    pcTable->setObjectName(QStringLiteral("pcTable"));
    tsColumns = BuildGridPage(QStringLiteral("Column"), btnInsertColumn, btnDeleteColumn, grdColumns,
                              {QStringLiteral("Field Name"), QStringLiteral("Data Type"), QStringLiteral("Default "),
                               QStringLiteral("Not Null"), QStringLiteral("Primary Key"),
                               QStringLiteral("Auto Increament")});
    tsColumns->setObjectName(QStringLiteral("tsColumns"));
    tsIndexes = BuildGridPage(QStringLiteral("Index"), btnInsertIndex, btnDeleteIndex, grdIndexes,
                              {QStringLiteral("Index Name"), QStringLiteral("Columns"), QStringLiteral("Index Type")});
    tsIndexes->setObjectName(QStringLiteral("tsIndexes"));
    grdColumns->setObjectName(QStringLiteral("grdColumns"));
    grdIndexes->setObjectName(QStringLiteral("grdIndexes"));
    btnInsertColumn->setObjectName(QStringLiteral("btnInsertColumn"));
    btnDeleteColumn->setObjectName(QStringLiteral("btnDeleteColumn"));
    btnInsertIndex->setObjectName(QStringLiteral("btnInsertIndex"));
    btnDeleteIndex->setObjectName(QStringLiteral("btnDeleteIndex"));
    pcTable->addTab(tsColumns, QStringLiteral("Columns"));
    pcTable->addTab(tsIndexes, QStringLiteral("Indexes"));
    grdColumns->setItemDelegateForColumn(cgDataType, new TComboDelegate(grdColumns, &FDataTypeItems, true));
    grdIndexes->setItemDelegateForColumn(igIndexType, new TComboDelegate(grdIndexes, &IndexTypeItems(), false));

    auto* fields = new QGridLayout;
    fields->addWidget(lblSchema, 0, 0);
    fields->addWidget(cbbSchema, 0, 1);
    fields->addWidget(lbl1, 0, 2);
    fields->addWidget(edtTableName, 0, 3);
    fields->addWidget(lblFieldTypeMode, 1, 0);
    fields->addWidget(cbbFieldTypeMode, 1, 1);
    fields->setColumnStretch(3, 1);
    auto* design = new QVBoxLayout(pnlDesign);
    design->setContentsMargins(0, 0, 0, 0);
    design->addLayout(fields);
    design->addWidget(pcTable);

    pnlSql = new QWidget(this);
    pnlSql->setObjectName(QStringLiteral("pnlSql"));
    synSql = NewSqlEditor(pnlSql, QStringLiteral("synSql"));
    synSql->setReadOnly(true);
    auto* sql = new QVBoxLayout(pnlSql);
    sql->setContentsMargins(0, 0, 0, 0);
    sql->addWidget(synSql);
    pnlSql->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnChangeView);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlDesign);
    layout->addWidget(pnlSql);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, GuardedSlot([this] { OKBtnClick(); }));
    connect(CancelBtn, &QPushButton::clicked, this, GuardedSlot([this] { CancelBtnClick(); }));
    connect(pmiViewSQL, &QAction::triggered, this, GuardedSlot([this] { pmiViewSQLClick(); }));
    connect(pmiViewForm, &QAction::triggered, this, GuardedSlot([this] { pmiViewFormClick(); }));
    connect(btnInsertColumn, &QToolButton::clicked, this, GuardedSlot([this] { btnInsertColumnClick(); }));
    connect(btnDeleteColumn, &QToolButton::clicked, this, GuardedSlot([this] { btnDeleteColumnClick(); }));
    connect(btnInsertIndex, &QToolButton::clicked, this, GuardedSlot([this] { btnInsertIndexClick(); }));
    connect(btnDeleteIndex, &QToolButton::clicked, this, GuardedSlot([this] { btnDeleteIndexClick(); }));
    connect(cbbFieldTypeMode, &QComboBox::activated, this, Guarded([this](int) { ApplyFieldTypeMode(); }));
    connect(grdColumns, &QTableWidget::itemChanged, this, Guarded([this](QTableWidgetItem* item) {
                if (!FLoading)
                    grdColumnsAfterEdit(item->column(), item->row());
            }));
}

QWidget* TCreateTableDlg::BuildGridPage(const QString& name, QToolButton*& insertButton, QToolButton*& deleteButton,
                                        QTableWidget*& grid, const QStringList& headers)
{
    auto* page = new QWidget;
    insertButton = new QToolButton(page);
    insertButton->setText(QStringLiteral("+"));
    insertButton->setToolTip(QStringLiteral("Insert Column"));
    insertButton->setAccessibleName(QStringLiteral("Insert ") + name);
    deleteButton = new QToolButton(page);
    deleteButton->setText(QStringLiteral("-"));
    deleteButton->setToolTip(QStringLiteral("Delete Column"));
    deleteButton->setAccessibleName(QStringLiteral("Delete ") + name);
    grid = new QTableWidget(0, int(headers.size()), page);
    grid->setHorizontalHeaderLabels(headers);
    grid->setAccessibleName(name + QStringLiteral("s"));
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setStretchLastSection(true);
    auto* tools = new QHBoxLayout;
    tools->addWidget(insertButton);
    tools->addWidget(deleteButton);
    tools->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(tools);
    layout->addWidget(grid);
    return page;
}

// Preparing

void TCreateTableDlg::SetViewOnly()
{
    FViewOnly = true;
    for (QToolButton* button : {btnInsertColumn, btnDeleteColumn, btnInsertIndex, btnDeleteIndex})
        button->hide();
}

void TCreateTableDlg::SetTableCreator(TTableCreator* creator)
{
    FTableCreator = creator;
    FDataTypeItems = creator->Types();
    grdColumns->setColumnHidden(cgAutoInc, !creator->SupportsAutoIncrement());
    grdColumns->setColumnHidden(cgDefaultValue, !creator->SupportsDefaultValue());
    grdColumns->setColumnHidden(cgNotNull, !creator->SupportsNotNull());
    pcTable->setTabVisible(pcTable->indexOf(tsIndexes), creator->SupportsIndexes());
    cbbFieldTypeMode->clear();
    cbbFieldTypeMode->addItem(autoDetect);
    cbbFieldTypeMode->addItems(creator->StringTypes());
    cbbFieldTypeMode->setCurrentIndex(-1);
    FExecuteForm->SetTableCreator(creator);
}

void TCreateTableDlg::SetDictionary(TDBDictionary* dictionary)
{
    const bool server = dictionary->IsServerDatabase();
    lblSchema->setVisible(server);
    cbbSchema->setVisible(server);
    if (!server)
        return;
    cbbSchema->clear();
    cbbSchema->addItems(dictionary->GetDatabases());
    const QString schema =
        dictionary->CurrentSchema().isEmpty() ? dictionary->GetCurrentDatabase() : dictionary->CurrentSchema();
    SelectSchema(schema);
}

void TCreateTableDlg::SetTableName(const QString& text)
{
    edtTableName->setText(FTableCreator->NormalizeTableName(text));
}

QString TCreateTableDlg::GetTableName() const
{
    return edtTableName->text();
}

void TCreateTableDlg::SelectSchema(const QString& schema)
{
    cbbSchema->setCurrentIndex(cbbSchema->findText(schema, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TCreateTableDlg::LoadSourceFields()
{
    // The source list of this system is always empty: no row follows.
    ClearGrids();
}

void TCreateTableDlg::LoadTableInfo(const TTableInfo& info)
{
    const TCreateTableDesign design = TCreateTableDesign::FromTableInfo(info, *FTableCreator, FDetectedTypes);
    SelectSchema(info.Schema);
    LoadDesign(design);
    if (design.Columns.isEmpty())
        return;
    cbbFieldTypeMode->setCurrentIndex(cbbFieldTypeMode->findText(autoDetect));
    pcTable->setCurrentWidget(tsIndexes);
    pcTable->setCurrentWidget(tsColumns);
}

void TCreateTableDlg::LoadDesign(const TCreateTableDesign& design)
{
    edtTableName->setText(design.TableName);
    ClearGrids();
    for (const TColumnRow& row : design.Columns)
        AppendColumnRow(row);
    for (const TIndexRow& row : design.Indexes)
        AppendIndexRow(row);
}

// Grids

void TCreateTableDlg::ClearGrids()
{
    grdColumns->setRowCount(0);
    grdIndexes->setRowCount(0);
}

void TCreateTableDlg::AppendColumnRow(const TColumnRow& row)
{
    grdColumns->insertRow(grdColumns->rowCount());
    PutColumnRow(grdColumns->rowCount() - 1, row);
}

void TCreateTableDlg::AppendIndexRow(const TIndexRow& row)
{
    grdIndexes->insertRow(grdIndexes->rowCount());
    PutIndexRow(grdIndexes->rowCount() - 1, row);
}

void TCreateTableDlg::PutColumnRow(int r, const TColumnRow& row)
{
    FLoading = true;
    grdColumns->setItem(r, cgFieldName, TextItem(row.FieldName));
    grdColumns->setItem(r, cgDataType, TextItem(row.DataType));
    grdColumns->setItem(r, cgDefaultValue, TextItem(row.DefaultValue));
    grdColumns->setItem(r, cgNotNull, CheckItem(row.NotNull));
    grdColumns->setItem(r, cgPrimaryKey, CheckItem(row.PrimaryKey));
    grdColumns->setItem(r, cgAutoInc, CheckItem(row.AutoIncrement));
    FLoading = false;
}

void TCreateTableDlg::PutIndexRow(int r, const TIndexRow& row)
{
    grdIndexes->setItem(r, igIndexName, TextItem(row.IndexName));
    grdIndexes->setItem(r, igColumns, TextItem(row.Columns));
    grdIndexes->setItem(r, igIndexType, TextItem(row.IndexType < 0 ? QString() : IndexTypeText(row.IndexType)));
}

TCreateTableDesign TCreateTableDlg::ReadDesign() const
{
    TCreateTableDesign design;
    design.Schema = cbbSchema->currentText();
    design.TableName = edtTableName->text();
    for (int r = 0; r < grdColumns->rowCount(); ++r) {
        TColumnRow row;
        row.FieldName = CellText(grdColumns, r, cgFieldName);
        row.DataType = CellText(grdColumns, r, cgDataType);
        row.DefaultValue = CellText(grdColumns, r, cgDefaultValue);
        row.NotNull = CellChecked(grdColumns, r, cgNotNull);
        row.PrimaryKey = CellChecked(grdColumns, r, cgPrimaryKey);
        row.AutoIncrement = CellChecked(grdColumns, r, cgAutoInc);
        design.Columns.append(row);
    }
    for (int r = 0; r < grdIndexes->rowCount(); ++r) {
        TIndexRow row;
        row.IndexName = CellText(grdIndexes, r, igIndexName);
        row.Columns = CellText(grdIndexes, r, igColumns);
        row.IndexType = IndexTypeItem(CellText(grdIndexes, r, igIndexType));
        design.Indexes.append(row);
    }
    return design;
}

std::unique_ptr<TTableInfo> TCreateTableDlg::GridsToTableInfo() const
{
    return ReadDesign().ToTableInfo();
}

void TCreateTableDlg::ApplyFieldTypeMode()
{
    const QString mode = cbbFieldTypeMode->currentText();
    for (int r = 0; r < grdColumns->rowCount(); ++r) {
        const QString type = mode == autoDetect ? FDetectedTypes.Value(CellText(grdColumns, r, cgFieldName)) : mode;
        grdColumns->item(r, cgDataType)->setText(type);
    }
}

void TCreateTableDlg::grdColumnsAfterEdit(int column, int row)
{
    if (column != cgNotNull || CellChecked(grdColumns, row, cgNotNull))
        return;
    grdColumns->item(row, cgPrimaryKey)->setCheckState(Qt::Unchecked);
    grdColumns->item(row, cgAutoInc)->setCheckState(Qt::Unchecked);
}

// A new row goes after the selected one, or to the top without a selection;
// its Data Type starts empty, so that the check for a missing type can fire.
void TCreateTableDlg::InsertRow(QTableWidget* grid)
{
    const int selected = grid->currentRow();
    const int at = grid->rowCount() > 0 && selected >= 0 ? selected + 1 : 0;
    grid->insertRow(at);
    if (grid == grdColumns)
        PutColumnRow(at, TColumnRow());
    else
        PutIndexRow(at, TIndexRow());
    grid->setCurrentCell(at, 0);
}

void TCreateTableDlg::DeleteRow(QTableWidget* grid, const QString& message)
{
    if (grid->rowCount() == 0)
        return;
    const int selected = grid->currentRow();
    if (selected < 0) {
        TPrompter::Instance().ShowMessage(message);
        return;
    }
    grid->removeRow(selected);
}

void TCreateTableDlg::btnInsertColumnClick()
{
    InsertRow(grdColumns);
}

void TCreateTableDlg::btnDeleteColumnClick()
{
    DeleteRow(grdColumns, QStringLiteral("Please select the COLUMN you want to delete."));
}

void TCreateTableDlg::btnInsertIndexClick()
{
    InsertRow(grdIndexes);
}

void TCreateTableDlg::btnDeleteIndexClick()
{
    DeleteRow(grdIndexes, QStringLiteral("Please select the INDEX you want to delete."));
}

// Views

void TCreateTableDlg::pmiViewSQLClick()
{
    btnChangeView->setText(QStringLiteral("View SQL"));
    pnlDesign->hide();
    pnlSql->show();
    ShowSql();
}

void TCreateTableDlg::pmiViewFormClick()
{
    btnChangeView->setText(QStringLiteral("View Form"));
    pnlDesign->show();
    pnlSql->hide();
}

void TCreateTableDlg::ShowSql()
{
    const std::unique_ptr<TTableInfo> info = GridsToTableInfo();
    FTableCreator->SetTableInfo(info.get());
    FTableCreator->Generate(info.get());
    synSql->setText(FTableCreator->GetScript());
    FTableCreator->SetTableInfo(nullptr);
}

// Validation and creation

void TCreateTableDlg::GoToCell(QTableWidget* grid, int row, int column)
{
    pcTable->setCurrentWidget(grid == grdColumns ? tsColumns : tsIndexes);
    grid->setCurrentCell(row, column);
    grid->scrollToItem(grid->item(row, column));
    FocusControlSafely(grid);
}

void TCreateTableDlg::ShowFault(const TDesignFault& fault)
{
    const bool messageFirst = fault.Target == TDesignTarget::ColumnCell && fault.Column == cgPrimaryKey;
    if (messageFirst) {
        pcTable->setCurrentWidget(tsColumns);
        TPrompter::Instance().ShowMessage(fault.Message);
    }
    switch (fault.Target) {
    case TDesignTarget::TableName:
        FocusControlSafely(edtTableName);
        break;
    case TDesignTarget::ColumnsGrid:
        pcTable->setCurrentWidget(tsColumns);
        FocusControlSafely(grdColumns);
        break;
    case TDesignTarget::ColumnCell:
        GoToCell(grdColumns, fault.Row, fault.Column);
        break;
    case TDesignTarget::IndexCell:
        GoToCell(grdIndexes, fault.Row, fault.Column);
        break;
    case TDesignTarget::None:
        break;
    }
    if (!messageFirst)
        TPrompter::Instance().ShowMessage(fault.Message);
}

bool TCreateTableDlg::Validate()
{
    const TDesignFault fault = ReadDesign().Validate(*FTableCreator);
    if (fault.IsValid())
        return true;
    ShowFault(fault);
    return false;
}

QString TCreateTableDlg::CreateTable()
{
    const std::unique_ptr<TTableInfo> info = GridsToTableInfo();
    FTableCreator->SetTableInfo(info.get());
    FExecuteForm->ShowScript(info.get());
    FTableCreator->SetTableInfo(nullptr);
    const QString result = FExecuteForm->Result();
    const QString tableName = TrimText(edtTableName->text());
    if (result == QLatin1String(TableCreateCreated))
        TPrompter::Instance().ShowMessage(QStringLiteral("Table ") + tableName + QStringLiteral(" created."));
    else if (result == QLatin1String(TableCreateFailed))
        TPrompter::Instance().ShowMessage(QStringLiteral("Table ") + tableName + QStringLiteral(" create failed."));
    return result;
}

void TCreateTableDlg::OKBtnClick()
{
    if (FViewOnly) {
        accept();
        return;
    }
    FCreated = false;
    if (Validate() && CreateTable() == QLatin1String(TableCreateCreated)) {
        FCreated = true;
        accept();
    }
}

void TCreateTableDlg::CancelBtnClick()
{
    FCreated = false;
    reject();
}
