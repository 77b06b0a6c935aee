#pragma once

#include "UCreateTableDesign.h"
#include "db/UNameValueList.h"

#include <QDialog>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QToolButton;
class QWidget;
class QsciScintilla;
class TDBDictionary;
class TTableCreateExecuteForm;
class TTableCreator;
class TTableInfo;

// Designs a new table in a column grid and an index grid, shows the script
// and runs it; switched to its view-only form it shows an existing table's
// structure. The SQL, name rules and type lists come from the table creator.
class TCreateTableDlg : public QDialog {
    Q_OBJECT
public:
    explicit TCreateTableDlg(QWidget* owner = nullptr);
    ~TCreateTableDlg() override;

    void SetViewOnly();
    bool ViewOnly() const { return FViewOnly; }
    void SetTableCreator(TTableCreator* creator);   // borrowed
    void SetDictionary(TDBDictionary* dictionary);   // borrowed for the call
    void SetTableName(const QString& text);
    QString GetTableName() const;
    void SelectSchema(const QString& schema);
    void SetSourceFields(TNameValueList* fields) { FSourceFields = fields; }   // borrowed
    void LoadSourceFields();
    void LoadTableInfo(const TTableInfo& info);
    // The table name and both grids as the design has them (the schema stays).
    void LoadDesign(const TCreateTableDesign& design);
    // A table was created by the last OK.
    bool Created() const { return FCreated; }

    // The controls as a design, and the description it gives.
    TCreateTableDesign ReadDesign() const;
    std::unique_ptr<TTableInfo> GridsToTableInfo() const;
    // Shows the first failure's message and sends the focus to its place.
    bool Validate();
    // "created", "failed", "canceled" or empty: what the execute form ended with.
    QString CreateTable();
    void ShowSql();
    void ApplyFieldTypeMode();

    TTableCreateExecuteForm* ExecuteForm() const { return FExecuteForm; }

    // Handlers, public so that the window's own wiring and tests share them.
    void OKBtnClick();
    void CancelBtnClick();
    void pmiViewSQLClick();
    void pmiViewFormClick();
    void btnInsertColumnClick();
    void btnDeleteColumnClick();
    void btnInsertIndexClick();
    void btnDeleteIndexClick();
    void grdColumnsAfterEdit(int column, int row);

private:
    void BuildControls();
    QWidget* BuildGridPage(const QString& name, QToolButton*& insertButton, QToolButton*& deleteButton,
                           QTableWidget*& grid, const QStringList& headers);
    void InsertRow(QTableWidget* grid);
    void DeleteRow(QTableWidget* grid, const QString& message);
    void AppendColumnRow(const TColumnRow& row);
    void AppendIndexRow(const TIndexRow& row);
    void PutColumnRow(int r, const TColumnRow& row);
    void PutIndexRow(int r, const TIndexRow& row);
    void ClearGrids();
    void GoToCell(QTableWidget* grid, int row, int column);
    void ShowFault(const TDesignFault& fault);

    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QToolButton* btnChangeView;
    QWidget* pnlDesign;
    QLabel* lblSchema;
    QComboBox* cbbSchema;
    QLabel* lbl1;
    QLineEdit* edtTableName;
    QLabel* lblFieldTypeMode;
    QComboBox* cbbFieldTypeMode;
    QTabWidget* pcTable;
    QWidget* tsColumns;
    QWidget* tsIndexes;
    QToolButton* btnInsertColumn;
    QToolButton* btnDeleteColumn;
    QTableWidget* grdColumns;
    QToolButton* btnInsertIndex;
    QToolButton* btnDeleteIndex;
    QTableWidget* grdIndexes;
    QWidget* pnlSql;
    QsciScintilla* synSql;
    QMenu* pmChangeView;
    QAction* pmiViewSQL;
    QAction* pmiViewForm;

    TTableCreateExecuteForm* FExecuteForm;
    TTableCreator* FTableCreator = nullptr;
    TNameValueList* FSourceFields = nullptr;
    TNameValueList FDetectedTypes;
    QStringList FDataTypeItems;
    bool FViewOnly = false;
    bool FCreated = false;
    bool FLoading = false;
};
