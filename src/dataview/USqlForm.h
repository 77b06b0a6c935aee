#pragma once

#include "USqlRunRules.h"
#include "platform/dac/UUniScript.h"

#include <QElapsedTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class Exception;
class QAction;
class QLabel;
class QModelIndex;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QTableView;
class QToolBar;
class QToolButton;
class QsciLexerSQL;
class QsciScintilla;
class TBinaryEditor;
class TDataSource;
class TDBGridModel;
class TDBNavigator;
class TFieldEditor;
class TPharostine;
class TSqlGridDelegate;
class TStringEditor;
class TUniConnection;
class TUniQuery;

// The data window: an SQL editor over either the grid of a query's rows (with
// its record navigator) or the message pane of a script. Large-object cells
// open the large-object editor on a click; string and binary cells open
// theirs through their "..." button. A child window of the main window.
class TSqlForm : public QWidget {
    Q_OBJECT
public:
    // The connection is the logon's, from the application object unless given.
    explicit TSqlForm(QWidget* parent = nullptr, TUniConnection* connection = nullptr);
    ~TSqlForm() override;

    void SetConnection(TUniConnection* connection);
    void SetSqlText(const QString& sql);
    QString GetSqlText() const;

    // Runs the selection or the whole text as a query or a script.
    void actRunSqlExecute();
    void actClearExecute();
    // Opens DataSetSql on the text, or on the editor's selection or text.
    void OpenQuery(const std::optional<QString>& sql = std::nullopt);
    void ExecuteScript();
    void SetupGridColumns();
    void ShowGrid();
    void ShowInfo();
    // Load and save of the editor's text (UTF-8 when written).
    void LoadSqlFile(const QString& fileName);
    void SaveSqlFile(const QString& fileName) const;
    void tbLoadClick();
    void tbSaveClick();
    void btnWrapClick();

    // The three handlers that open a field editor on a cell.
    void grdDataCellClick(const QModelIndex& cell);
    void OnTextClick();
    void OnBinaryClick();

    TGridColumnKind ColumnKind(int column) const;
    double ElapsedTime() const { return FElapsedTime; }
    TUniQuery* DataSetSql() const { return FDataSetSql.get(); }
    TUniScript* ScriptSql() const { return FScriptSql.get(); }
    TDataSource* dsQuery() const { return FDsQuery.get(); }
    TDBGridModel* GridModel() const { return FModel; }
    TSqlGridDelegate* GridDelegate() const { return FDelegate; }
    TStringEditor* StringEditor() const { return FStringEditor.get(); }
    TBinaryEditor* BinaryEditor() const { return FBinaryEditor.get(); }
    TPharostine* LobEditor() const { return FLobEditor.get(); }

    static QString SqlFileFilter() { return QStringLiteral("Sql file (*.sql)|*.sql"); }

    // Components.
    QsciScintilla* edtSql;
    QsciLexerSQL* SynSQLSyn1;
    QSplitter* Splitter1;
    QToolBar* ToolBar1;
    QToolButton* btnWrap;
    QToolButton* tbLoad;
    QToolButton* tbSave;
    QToolButton* tbClear;
    QToolButton* tbRun;
    QAction* actRunSql;
    QAction* actClear;
    QAction* EditCut1;
    QAction* EditCopy1;
    QAction* EditPaste1;
    QAction* EditSelectAll1;
    QAction* EditUndo1;
    QAction* EditDelete1;
    QWidget* pnlGrid;
    TDBNavigator* dbnvgr1;
    QTableView* grdData;
    QWidget* pnlInfo;
    QPlainTextEdit* memInfo;
    QStatusBar* SqlStatusBar;
    QLabel* SqlStatusPanel;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildActions();
    void BindGrid();
    void AddInfoLine(const QString& line);
    void SetInfoColor(const QColor& color);
    void ScriptSqlError(const Exception& error, TErrorAction& action);
    void DataSetSqlOnUpdateError(const Exception& error);
    void OpenFieldEditor(TFieldEditor& editor, const QModelIndex& cell);
    void EditFocused(void (*onScintilla)(QsciScintilla*), void (*onPlain)(QPlainTextEdit*));
    void FollowCurrentRow(int row);

    std::unique_ptr<TUniQuery> FDataSetSql;
    std::unique_ptr<TUniScript> FScriptSql;
    std::unique_ptr<TDataSource> FDsQuery;
    TDBGridModel* FModel;
    TSqlGridDelegate* FDelegate;
    std::vector<TGridColumnKind> FColumnKinds;
    std::unique_ptr<TStringEditor> FStringEditor;
    std::unique_ptr<TBinaryEditor> FBinaryEditor;
    std::unique_ptr<TPharostine> FLobEditor;
    double FElapsedTime = 0;
    bool FFirstShow = true;
};
