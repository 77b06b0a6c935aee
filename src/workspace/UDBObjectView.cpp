#include "UDBObjectView.h"

#include "UCreateTableDlg.h"
#include "UNewTableCreator.h"
#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "db/UDBDictionary.h"
#include "db/UDBLogon.h"
#include "db/UDBObjectFactory.h"
#include "db/UTableCreator.h"
#include "db/UTableInfo.h"
#include "db/UUniSqlExecutor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>

namespace {

const QString tablesText = QStringLiteral("Tables");
const QString viewsText = QStringLiteral("Views");
const QString selectTableText = QStringLiteral("Please select a table.");

// The hourglass over the tree while the dictionary is asked, taken away on
// every path.
class TWaitCursor {
public:
    explicit TWaitCursor(QWidget* widget) : FWidget(widget) { FWidget->setCursor(Qt::WaitCursor); }
    ~TWaitCursor() { FWidget->unsetCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    QWidget* FWidget;
};

QAction* NewItem(QMenu* menu, const QString& caption, const QString& hint)
{
    auto* item = new QAction(caption, menu);
    item->setToolTip(hint);
    item->setStatusTip(hint);
    return item;
}

}  // namespace

TDBObjectView::TDBObjectView(const TDBObjectViewControls& controls, QObject* parent)
    : QObject(parent), FControls(controls), FSqlExecutor(std::make_unique<TUniSqlExecutor>()),
      FStructureDialog(std::make_unique<TCreateTableDlg>())
{
    FStructureDialog->SetViewOnly();
    BuildPopupMenu();
    SetItemsEnabled(false);
}

TDBObjectView::~TDBObjectView() = default;

QList<QIcon> TDBObjectView::DefaultIcons()
{
    QStyle* style = QApplication::style();
    return {style->standardIcon(QStyle::SP_DriveHDIcon), style->standardIcon(QStyle::SP_DirIcon),
            style->standardIcon(QStyle::SP_DirLinkIcon), style->standardIcon(QStyle::SP_FileIcon),
            style->standardIcon(QStyle::SP_FileLinkIcon)};
}

void TDBObjectView::ShareCommand(QAction* menuItem, QAction* treeItem)
{
    menuItem->setEnabled(treeItem->isEnabled());
    connect(treeItem, &QAction::changed, menuItem, [menuItem, treeItem] { menuItem->setEnabled(treeItem->isEnabled()); });
    connect(menuItem, &QAction::triggered, treeItem, [treeItem] { treeItem->trigger(); });
}

void TDBObjectView::SetOnViewData(std::function<void(QObject* sender)> handler)
{
    FOnViewData = std::move(handler);
    FDataItem->setEnabled(FConnected && FOnViewData);
}

QIcon TDBObjectView::Icon(TIconIndex index) const
{
    return FControls.Icons.value(index);
}

void TDBObjectView::Connect(TDBObjectFactory* factory)
{
    FFactory = factory;
    FDictionary = factory->GetDictionary();
    FSqlExecutor->SetConnection(factory->GetConnection());
    if (!FEventsBound) {
        FEventsBound = true;
        connect(FControls.SchemaCombo, &QComboBox::activated, this, GuardedSlot([this] { SchemaChange(); }));
        connect(FControls.Tree, &QTreeWidget::currentItemChanged, this, GuardedSlot([this] { TreeChange(); }));
        connect(FControls.Tree, &QTreeWidget::itemDoubleClicked, this,
                GuardedSlot([this] { ViewTableData(FControls.Tree); }));
    }
    FillSchemas();
    BuildTree();
    RefreshNodes();
    SetItemsEnabled(true);
}

void TDBObjectView::FillSchemas()
{
    QComboBox* combo = FControls.SchemaCombo;
    combo->clear();
    const bool server = FDictionary->IsServerDatabase();
    FControls.SchemaLabel->setVisible(server);
    combo->setVisible(server);
    if (!server)
        return;
    combo->addItems(FDictionary->GetDatabases());
    combo->setCurrentIndex(combo->findText(FDictionary->GetCurrentDatabase(), Qt::MatchExactly | Qt::MatchCaseSensitive));
    combo->setEnabled(true);
    FDictionary->SetCurrentSchema(combo->currentText());
}

void TDBObjectView::BuildTree()
{
    QTreeWidget* tree = FControls.Tree;
    tree->clear();
    auto* root = new QTreeWidgetItem(tree, {FDictionary->GetDatabaseName()});
    root->setIcon(0, Icon(iiDatabase));
    auto* tables = new QTreeWidgetItem(root, {tablesText});
    tables->setIcon(0, Icon(iiTables));
    tables->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    auto* views = new QTreeWidgetItem(root, {viewsText});
    views->setIcon(0, Icon(iiViews));
    views->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

void TDBObjectView::BuildPopupMenu()
{
    QMenu* menu = FControls.PopupMenu;
    FRefreshItem = NewItem(menu, QStringLiteral("Refresh"), QStringLiteral("Refresh Object Tree"));
    FCreateItem = NewItem(menu, QStringLiteral("Create Table"), QStringLiteral("Create New Table"));
    FDropItem = NewItem(menu, QStringLiteral("Drop Table"), QStringLiteral("Drop Table"));
    FStructItem = NewItem(menu, QStringLiteral("View Table Struct"), QStringLiteral("View Table Struct"));
    FDataItem = NewItem(menu, QStringLiteral("View Table Data"), QStringLiteral("View Table Data"));
    const QList<QAction*> items{FRefreshItem, FCreateItem, FDropItem, FStructItem, FDataItem};
    menu->insertActions(menu->actions().value(0), items);
    connect(FRefreshItem, &QAction::triggered, this, GuardedSlot([this] { RefreshNodes(); }));
    connect(FCreateItem, &QAction::triggered, this, GuardedSlot([this] { CreateTable(); }));
    connect(FDropItem, &QAction::triggered, this, GuardedSlot([this] { DropTable(); }));
    connect(FStructItem, &QAction::triggered, this, GuardedSlot([this] { ViewTableStruct(); }));
    connect(FDataItem, &QAction::triggered, this, GuardedSlot([this] { ViewTableData(FDataItem); }));
}

void TDBObjectView::SetItemsEnabled(bool enabled)
{
    FConnected = enabled;
    for (QAction* item : {FRefreshItem, FCreateItem, FDropItem, FStructItem})
        item->setEnabled(enabled);
    FDataItem->setEnabled(enabled && FOnViewData);
}

void TDBObjectView::Clear()
{
    FControls.SchemaCombo->clear();
    FControls.Tree->clear();
    SetItemsEnabled(false);
}

QTreeWidgetItem* TDBObjectView::FindChildNode(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

void TDBObjectView::FillBranch(QTreeWidgetItem* branch, const QStringList& names, const QIcon& icon)
{
    if (!branch)
        return;
    qDeleteAll(branch->takeChildren());
    for (const QString& name : names)
        (new QTreeWidgetItem(branch, {name}))->setIcon(0, icon);
}

// Both lists are read before the tree changes, so a failing query leaves the
// tree as it was.
void TDBObjectView::RefreshNodes()
{
    QTreeWidget* tree = FControls.Tree;
    const TWaitCursor wait(tree);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QTreeWidgetItem* tables = FindChildNode(root, tablesText);
    QTreeWidgetItem* views = FindChildNode(root, viewsText);
    const QString schema = GetSchemaName();
    const QStringList tableNames = tables ? FDictionary->GetTables(schema) : QStringList();
    const QStringList viewNames = views ? FDictionary->GetViews(schema) : QStringList();
    FillBranch(tables, tableNames, Icon(iiTable));
    FillBranch(views, viewNames, Icon(iiView));
    tree->expandAll();
    tree->scrollToTop();
}

void TDBObjectView::SchemaChange()
{
    const QString schema = FControls.SchemaCombo->currentText();
    if (QTreeWidgetItem* root = FControls.Tree->topLevelItem(0))
        root->setText(0, schema);
    FFactory->GetLogon()->SetDatabase(schema);
    RefreshNodes();
    FDictionary->SetCurrentSchema(schema);
}

void TDBObjectView::TreeChange()
{
    const QString table = GetSelectedTable();
    FDropItem->setEnabled(!table.isEmpty());
    FStructItem->setEnabled(!table.isEmpty());
    if (FDictionary)
        FDictionary->SetCurrentTable(table);
}

QString TDBObjectView::GetSchemaName() const
{
    return FControls.SchemaCombo->currentText();
}

QTreeWidgetItem* TDBObjectView::SelectedLevel2Node() const
{
    QTreeWidgetItem* node = FControls.Tree->currentItem();
    const bool level2 = node && node->parent() && node->parent()->parent() && !node->parent()->parent()->parent();
    return level2 ? node : nullptr;
}

QString TDBObjectView::GetSelectedTable() const
{
    QTreeWidgetItem* node = SelectedLevel2Node();
    return node && node->parent()->text(0) == tablesText ? node->text(0) : QString();
}

QString TDBObjectView::GetSelectedObject() const
{
    QTreeWidgetItem* node = SelectedLevel2Node();
    return node ? node->text(0) : QString();
}

QString TDBObjectView::SelectedTableOrSay() const
{
    const QString table = GetSelectedTable();
    if (table.isEmpty())
        TPrompter::Instance().ShowMessage(selectTableText);
    return table;
}

void TDBObjectView::CreateTable()
{
    TNewTableCreator creator;
    creator.SetFactory(FFactory);
    creator.Execute();
    RefreshNodes();
}

void TDBObjectView::DropTable()
{
    const QString table = SelectedTableOrSay();
    if (table.isEmpty())
        return;
    if (TPrompter::Instance().Ask(QStringLiteral("Drop table ") + table + QStringLiteral("?"), pbOK | pbCancel,
                                  TPromptKind::Question, QStringLiteral("Confirm"))
        != TPromptAnswer::OK)
        return;
    {
        const TWaitCursor wait(FControls.Tree);
        FSqlExecutor->ExecuteSql(FDictionary->GetDropTableSql(GetSchemaName(), table));
    }
    RefreshNodes();
}

void TDBObjectView::ViewTableStruct()
{
    const QString table = SelectedTableOrSay();
    if (table.isEmpty())
        return;
    std::unique_ptr<TTableInfo> info;
    {
        const TWaitCursor wait(FControls.Tree);
        info = FDictionary->GetTableInfo(GetSchemaName(), table);
    }
    const std::unique_ptr<TTableCreator> creator = TDBObjectFactory::CreateTableCreator(FFactory->GetDBType());
    FStructureDialog->SetTableCreator(creator.get());
    FStructureDialog->SetDictionary(FDictionary);
    FStructureDialog->LoadTableInfo(*info);
    FStructureDialog->exec();
}

void TDBObjectView::ViewTableData(QObject* sender)
{
    if (FOnViewData)
        FOnViewData(sender);
}
