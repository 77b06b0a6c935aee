#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TCreateTableDlg;
class TDBDictionary;
class TDBObjectFactory;
class TUniSqlExecutor;

// The main window's controls that the object tree drives; all borrowed.
struct TDBObjectViewControls {
    QTreeWidget* Tree = nullptr;       // tvDB
    QLabel* SchemaLabel = nullptr;     // lblSchema
    QComboBox* SchemaCombo = nullptr;  // cbbSchema
    QList<QIcon> Icons;                // ilDBObject: database, tables, views, table, view
    QMenu* PopupMenu = nullptr;        // pmTree: the tree's commands go in at the top; the
                                       // window shows it on the tree's context-menu request
};

// Fills the schema list and the tree of the current database (tables and
// views) from the dictionary, switches the database when another schema is
// picked, and offers refresh, create, drop, structure and data in the tree's
// popup menu. Disconnected until Connect; Clear returns it there.
class TDBObjectView : public QObject {
    Q_OBJECT
public:
    enum TIconIndex { iiDatabase = 0, iiTables = 1, iiViews = 2, iiTable = 3, iiView = 4 };

    explicit TDBObjectView(const TDBObjectViewControls& controls, QObject* parent = nullptr);
    ~TDBObjectView() override;

    // The five pictures of the tree, from the platform's style.
    static QList<QIcon> DefaultIcons();
    // menuItem runs treeItem's command and follows its enabled state.
    static void ShareCommand(QAction* menuItem, QAction* treeItem);

    // Fired by "View Table Data" and a double click; the main window opens
    // the selected table or view. Without a handler "View Table Data" stays
    // disabled.
    void SetOnViewData(std::function<void(QObject* sender)> handler);

    void Connect(TDBObjectFactory* factory);
    void Clear();
    void Refresh() { RefreshNodes(); }
    void RefreshNodes();
    QString GetSchemaName() const;
    // The selected table node's text; empty for anything else.
    QString GetSelectedTable() const;
    // The selected table or view node's text; empty for anything else.
    QString GetSelectedObject() const;

    // The popup commands (the Table menu of the main window runs them too).
    void CreateTable();
    void DropTable();
    void ViewTableStruct();
    void ViewTableData(QObject* sender);

    QAction* RefreshItem() const { return FRefreshItem; }
    QAction* CreateItem() const { return FCreateItem; }
    QAction* DropItem() const { return FDropItem; }
    QAction* StructItem() const { return FStructItem; }
    QAction* DataItem() const { return FDataItem; }
    TCreateTableDlg* StructureDialog() const { return FStructureDialog.get(); }

private:
    void FillSchemas();
    void BuildTree();
    void BuildPopupMenu();
    void SchemaChange();
    void TreeChange();
    void SetItemsEnabled(bool enabled);
    static QTreeWidgetItem* FindChildNode(QTreeWidgetItem* parent, const QString& text);
    static void FillBranch(QTreeWidgetItem* branch, const QStringList& names, const QIcon& icon);
    QIcon Icon(TIconIndex index) const;
    QTreeWidgetItem* SelectedLevel2Node() const;
    // The selected table; empty after "Please select a table." was shown.
    QString SelectedTableOrSay() const;

    std::function<void(QObject* sender)> FOnViewData;
    bool FConnected = false;
    TDBObjectViewControls FControls;
    TDBObjectFactory* FFactory = nullptr;
    TDBDictionary* FDictionary = nullptr;
    std::unique_ptr<TUniSqlExecutor> FSqlExecutor;
    std::unique_ptr<TCreateTableDlg> FStructureDialog;
    QAction* FRefreshItem = nullptr;
    QAction* FCreateItem = nullptr;
    QAction* FDropItem = nullptr;
    QAction* FStructItem = nullptr;
    QAction* FDataItem = nullptr;
    bool FEventsBound = false;
};
