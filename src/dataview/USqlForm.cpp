#include "USqlForm.h"

#include "Pharostine.h"
#include "UBinaryEditor.h"
#include "UDBGridModel.h"
#include "UDBNavigator.h"
#include "USqlGridDelegate.h"
#include "UStringEditor.h"
#include "app/UQuenmarel.h"
#include "base/UAppException.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/UPrompter.h"
#include "base/UTextCodec.h"
#include "widgets/UUIUtil.h"
#include "db/UDBObjectFactory.h"
#include "platform/dac/UDataSource.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"
#include "widgets/UQsci.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSaveFile>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int RowHeight = 22;

// The row indicator: the current row is marked by the data set's state.
class TRowIndicator : public QHeaderView {
public:
    TRowIndicator(TDBGridModel* model, QWidget* parent) : QHeaderView(Qt::Vertical, parent), FModel(model)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setDefaultSectionSize(RowHeight);
        setMinimumWidth(18);
        connect(model, &TDBGridModel::currentRowChanged, viewport(), qOverload<>(&QWidget::update));
        connect(model, &QAbstractItemModel::dataChanged, viewport(), qOverload<>(&QWidget::update));
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        if (logicalIndex != FModel->CurrentRow())
            return;
        const TDataSource* source = FModel->DataSource();
        const TDataSetState state = source ? source->State() : dsInactive;
        const QString mark = state == dsInsert ? QStringLiteral("*")
                             : state == dsEdit ? QStringLiteral("I")
                                               : QStringLiteral("\u25B6");
        painter->save();
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, mark);
        painter->restore();
    }

private:
    TDBGridModel* FModel;
};

// Restores the cursor however a run ends.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TSqlForm::TSqlForm(QWidget* parent, TUniConnection* connection) : QWidget(parent)
{
    setObjectName(QStringLiteral("SqlForm"));
    setWindowTitle(QStringLiteral("Query"));

    FDataSetSql = std::make_unique<TUniQuery>();
    FDataSetSql->SetFetchRows(15);
    FDataSetSql->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
    FDataSetSql->SetOnUpdateError([this](TUniDataSet*, const Exception& error, TUpdateKind, TUpdateAction& action) {
        DataSetSqlOnUpdateError(error);
        action = uaAbort;
    });
    FScriptSql = std::make_unique<TUniScript>();
    FScriptSql->SetDataSet(FDataSetSql.get());
    FScriptSql->SetOnError([this](TUniScript*, const Exception& error, const QString&, TErrorAction& action) {
        ScriptSqlError(error, action);
    });
    FDsQuery = std::make_unique<TDataSource>();
    FDsQuery->SetDataSet(FDataSetSql.get());

    BuildLayout();
    BuildActions();
    BindGrid();

    if (!connection) {
        if (TApp::HasInstance() && TQuenmarel::GetApp()->GetDBObjectFactory())
            connection = TQuenmarel::GetApp()->GetDBObjectFactory()->GetConnection();
    }
    SetConnection(connection);
    FStringEditor = std::make_unique<TStringEditor>(this);
    FBinaryEditor = std::make_unique<TBinaryEditor>(this);
    FLobEditor = std::make_unique<TPharostine>(this);
}

TSqlForm::~TSqlForm()
{
    // The editors and the grid let go of the data source before it goes.
    FStringEditor.reset();
    FBinaryEditor.reset();
    FLobEditor.reset();
    FModel->SetDataSource(nullptr);
    dbnvgr1->SetDataSource(nullptr);
    FDataSetSql->Close();
}

void TSqlForm::SetConnection(TUniConnection* connection)
{
    FDataSetSql->SetConnection(connection);
    FScriptSql->SetConnection(connection);
}

void TSqlForm::BuildLayout()
{
    edtSql = new QsciScintilla;
    edtSql->setObjectName(QStringLiteral("edtSql"));
    edtSql->setAccessibleName(QStringLiteral("SQL"));
    SynSQLSyn1 = new QsciLexerSQL(edtSql);
    SynSQLSyn1->setObjectName(QStringLiteral("SynSQLSyn1"));
    // The lexer's font wins over the editor's.
    SynSQLSyn1->setDefaultFont(QFont(QStringLiteral("Courier New"), 10));
    SynSQLSyn1->setFont(QFont(QStringLiteral("Courier New"), 10));
    edtSql->setLexer(SynSQLSyn1);
    edtSql->setUtf8(true);
    edtSql->setMinimumHeight(60);

    ToolBar1 = new QToolBar;
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    const auto button = [this](const char* name, const QString& text, const QString& hint) {
        auto* b = new QToolButton;
        b->setObjectName(QLatin1String(name));
        b->setText(text);
        b->setToolTip(hint);
        b->setAccessibleName(hint.isEmpty() ? text : hint);
        ToolBar1->addWidget(b);
        return b;
    };
    tbLoad = button("tbLoad", QStringLiteral("Open"), QStringLiteral("Open Sql File"));
    tbSave = button("tbSave", QStringLiteral("Save"), QStringLiteral("Save Sql"));
    btnWrap = button("btnWrap", QStringLiteral("Wrap"), QStringLiteral("Word Wrap"));
    btnWrap->setCheckable(true);
    tbClear = button("tbClear", QStringLiteral("Clear"), QString());
    tbRun = button("tbRun", QStringLiteral("Run"), QString());

    dbnvgr1 = new TDBNavigator;
    dbnvgr1->SetDataSource(FDsQuery.get());
    FModel = new TDBGridModel(this);
    FModel->SetDataSource(FDsQuery.get());
    grdData = new QTableView;
    grdData->setObjectName(QStringLiteral("grdData"));
    grdData->setAccessibleName(QStringLiteral("Rows"));
    grdData->setVerticalHeader(new TRowIndicator(FModel, grdData));
    grdData->setModel(FModel);
    grdData->setSortingEnabled(false);
    grdData->setShowGrid(true);
    grdData->setSelectionBehavior(QAbstractItemView::SelectItems);
    grdData->setSelectionMode(QAbstractItemView::SingleSelection);
    grdData->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    grdData->horizontalHeader()->setSectionsClickable(false);
    pnlGrid = new QWidget;
    pnlGrid->setObjectName(QStringLiteral("pnlGrid"));
    auto* gridLayout = new QVBoxLayout(pnlGrid);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);
    gridLayout->addWidget(dbnvgr1);
    gridLayout->addWidget(grdData, 1);

    memInfo = new QPlainTextEdit;
    memInfo->setObjectName(QStringLiteral("memInfo"));
    memInfo->setAccessibleName(QStringLiteral("Messages"));
    memInfo->setReadOnly(true);
    memInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pnlInfo = new QWidget;
    pnlInfo->setObjectName(QStringLiteral("pnlInfo"));
    auto* infoLayout = new QVBoxLayout(pnlInfo);
    infoLayout->setContentsMargins(0, 0, 0, 0);
    infoLayout->addWidget(memInfo);
    pnlInfo->hide();

    auto* results = new QWidget;
    auto* resultsLayout = new QVBoxLayout(results);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    resultsLayout->addWidget(pnlGrid);
    resultsLayout->addWidget(pnlInfo);

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(edtSql);
    Splitter1->addWidget(results);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({150, 400});

    SqlStatusBar = new QStatusBar;
    SqlStatusBar->setObjectName(QStringLiteral("SqlStatusBar"));
    SqlStatusBar->setSizeGripEnabled(false);
    SqlStatusPanel = new QLabel;
    SqlStatusPanel->setObjectName(QStringLiteral("SqlStatusPanel"));
    SqlStatusPanel->setFixedWidth(50);
    SqlStatusBar->addWidget(SqlStatusPanel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(Splitter1, 1);
    layout->addWidget(SqlStatusBar);
}

void TSqlForm::BuildActions()
{
    const auto make = [this](const char* name, const QString& text, const QString& hint,
                             QList<QKeySequence> keys, std::function<void()> handler) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(hint.isEmpty() ? text : hint);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, GuardedSlot(std::move(handler)));
        return action;
    };
    actRunSql = make("actRunSql", QStringLiteral("Run"), QStringLiteral("Execute"),
                     {QKeySequence(Qt::Key_F8), QKeySequence(Qt::Key_F5)}, [this] { actRunSqlExecute(); });
    actClear = make("actClear", QStringLiteral("Clear"), QStringLiteral("Clear Text"), {},
                    [this] { actClearExecute(); });
    tbRun->setDefaultAction(actRunSql);
    tbClear->setDefaultAction(actClear);

    using S = QsciScintilla;
    using P = QPlainTextEdit;
    EditCut1 = make("EditCut1", QStringLiteral("Cu&t"), QString(), {QKeySequence(Qt::CTRL | Qt::Key_X)},
                    [this] { EditFocused([](S* e) { e->cut(); }, [](P* e) { e->cut(); }); });
    EditCopy1 = make("EditCopy1", QStringLiteral("&Copy"), QString(), {QKeySequence(Qt::CTRL | Qt::Key_C)},
                     [this] { EditFocused([](S* e) { e->copy(); }, [](P* e) { e->copy(); }); });
    EditPaste1 = make("EditPaste1", QStringLiteral("&Paste"), QString(), {QKeySequence(Qt::CTRL | Qt::Key_V)},
                      [this] { EditFocused([](S* e) { e->paste(); }, [](P* e) { e->paste(); }); });
    EditSelectAll1 = make("EditSelectAll1", QStringLiteral("Select &All"), QString(),
                          {QKeySequence(Qt::CTRL | Qt::Key_A)},
                          [this] { EditFocused([](S* e) { e->selectAll(); }, [](P* e) { e->selectAll(); }); });
    EditUndo1 = make("EditUndo1", QStringLiteral("&Undo"), QString(), {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                     [this] { EditFocused([](S* e) { e->undo(); }, [](P* e) { e->undo(); }); });
    EditDelete1 = make("EditDelete1", QStringLiteral("&Delete"), QString(), {QKeySequence(Qt::Key_Delete)},
                       [this] {
                           EditFocused([](S* e) { e->removeSelectedText(); },
                                       [](P* e) { e->textCursor().removeSelectedText(); });
                       });

    connect(tbLoad, &QToolButton::clicked, this, GuardedSlot([this] { tbLoadClick(); }));
    connect(tbSave, &QToolButton::clicked, this, GuardedSlot([this] { tbSaveClick(); }));
    connect(btnWrap, &QToolButton::clicked, this, GuardedSlot([this] { btnWrapClick(); }));
}

void TSqlForm::EditFocused(void (*onScintilla)(QsciScintilla*), void (*onPlain)(QPlainTextEdit*))
{
    QWidget* focused = QApplication::focusWidget();
    for (QWidget* w = focused; w; w = w->parentWidget()) {
        if (auto* editor = qobject_cast<QsciScintilla*>(w))
            return onScintilla(editor);
        if (auto* pane = qobject_cast<QPlainTextEdit*>(w))
            return onPlain(pane);
    }
}

void TSqlForm::BindGrid()
{
    FDelegate = new TSqlGridDelegate([this](int column) { return ColumnKind(column); },
                                     [this](const QModelIndex& cell) {
                                         grdData->setCurrentIndex(cell);
                                         if (ColumnKind(cell.column()) == TGridColumnKind::TextButton)
                                             OnTextClick();
                                         else
                                             OnBinaryClick();
                                     },
                                     grdData);
    if (TApp::HasInstance())
        FDelegate->SetLobObjectFactory(TQuenmarel::GetApp()->GetLobObjectFactory());
    grdData->setItemDelegate(FDelegate);
    connect(grdData, &QTableView::clicked, this, Guarded([this](const QModelIndex& cell) { grdDataCellClick(cell); }));
    connect(grdData->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            Guarded([this](const QModelIndex& current) {
                if (current.isValid() && current.row() != FModel->CurrentRow()) {
                    // Leaving a changed row posts it; a refused post keeps the row.
                    struct Sync {
                        TSqlForm* Form;
                        ~Sync() { Form->FollowCurrentRow(Form->FModel->CurrentRow()); }
                    } sync{this};
                    FModel->SetCurrentRow(current.row());
                }
            }));
    connect(FModel, &TDBGridModel::currentRowChanged, this, [this](int row) { FollowCurrentRow(row); });
    connect(FModel, &QAbstractItemModel::modelReset, this, [this] {
        if (FColumnKinds.size() != size_t(FModel->columnCount()))
            FColumnKinds.clear();
    });
}

void TSqlForm::FollowCurrentRow(int row)
{
    const QModelIndex current = grdData->currentIndex();
    if (row < 0 || (current.isValid() && current.row() == row))
        return;
    const QModelIndex target = FModel->index(row, current.isValid() ? current.column() : 0);
    grdData->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
}

TGridColumnKind TSqlForm::ColumnKind(int column) const
{
    return column >= 0 && size_t(column) < FColumnKinds.size() ? FColumnKinds[size_t(column)]
                                                               : TGridColumnKind::Plain;
}

void TSqlForm::SetSqlText(const QString& sql)
{
    edtSql->setText(sql);
}

QString TSqlForm::GetSqlText() const
{
    return edtSql->text();
}

void TSqlForm::actClearExecute()
{
    edtSql->clear();
}

void TSqlForm::btnWrapClick()
{
    edtSql->setWrapMode(btnWrap->isChecked() ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
}

void TSqlForm::AddInfoLine(const QString& line)
{
    memInfo->appendPlainText(line);
}

void TSqlForm::SetInfoColor(const QColor& color)
{
    QPalette palette = memInfo->palette();
    palette.setColor(QPalette::Text, color);
    memInfo->setPalette(palette);
}

void TSqlForm::ShowGrid()
{
    pnlInfo->hide();
    pnlGrid->show();
}

void TSqlForm::ShowInfo()
{
    pnlGrid->hide();
    pnlInfo->show();
}

void TSqlForm::actRunSqlExecute()
{
    FElapsedTime = 0;
    QElapsedTimer start;
    start.start();
    const QString text = TSqlRunRules::ScriptText(edtSql->selectedText(), edtSql->text());
    SqlStatusPanel->clear();
    memInfo->clear();
    SetInfoColor(Qt::black);
    if (TSqlRunRules::IsQueryText(text)) {
        ShowGrid();
        OpenQuery();
        if (FDataSetSql->Active()) {
            SetupGridColumns();
            FElapsedTime = double(start.elapsed());
        }
        return;
    }
    ExecuteScript();
    if (FDataSetSql->Active()) {
        // The script left its last statement's rows open in DataSetSql.
        ShowGrid();
        SetupGridColumns();
        FElapsedTime = double(start.elapsed());
        return;
    }
    FElapsedTime = double(start.elapsed());
    ShowInfo();
    AddInfoLine(TSqlRunRules::ElapsedText(FElapsedTime, QLocale()));
}

void TSqlForm::OpenQuery(const std::optional<QString>& sql)
{
    FDataSetSql->Close();
    FDataSetSql->SetSQL(QString());
    const QString text = TSqlRunRules::QueryText(sql, edtSql->selectedText(), edtSql->text());
    {
        TWaitCursor wait;
        grdData->setUpdatesEnabled(false);
        try {
            FDataSetSql->SetSQL(text);
            FDataSetSql->Open();
        } catch (const Exception& error) {
            ShowInfo();
            AddInfoLine(error.Message());
            SetInfoColor(Qt::red);
        }
        grdData->setUpdatesEnabled(true);
    }
    setWindowTitle(TSqlRunRules::QueryCaption(edtSql->text()));
}

void TSqlForm::ExecuteScript()
{
    const QString text = TSqlRunRules::ScriptText(edtSql->selectedText(), edtSql->text());
    TWaitCursor wait;
    ShowInfo();
    FScriptSql->SetSQL(text);
    FScriptSql->Execute();
}

void TSqlForm::ScriptSqlError(const Exception& error, TErrorAction& action)
{
    AddInfoLine(error.Message());
    AddInfoLine(QString());
    SetInfoColor(Qt::red);
    action = eaAbort;
}

void TSqlForm::DataSetSqlOnUpdateError(const Exception& error)
{
    // The pane may be hidden behind the grid: the box says it too, and the
    // row stays as typed so that Post can be tried again or cancelled.
    AddInfoLine(error.Message());
    AddInfoLine(QString());
    SetInfoColor(Qt::red);
    TPrompter::Instance().Ask(error.Message(), pbOK, TPromptKind::Error, QStringLiteral("Error"));
}

void TSqlForm::SetupGridColumns()
{
    FColumnKinds.assign(size_t(FDataSetSql->FieldCount()), TGridColumnKind::Plain);
    for (int i = 0; i < FDataSetSql->FieldCount(); ++i)
        FColumnKinds[size_t(i)] = TSqlRunRules::ColumnKindOf(FDataSetSql->Fields(i)->DataType());
    QHeaderView* header = grdData->horizontalHeader();
    for (int i = 0; i < int(FColumnKinds.size()); ++i) {
        if (FColumnKinds[size_t(i)] == TGridColumnKind::Picture)
            header->resizeSection(i, TSqlGridDelegate::PictureWidth + 6);
        else if (header->sectionSize(i) > 240)
            header->resizeSection(i, 240);
    }
    grdData->viewport()->update();
}

void TSqlForm::grdDataCellClick(const QModelIndex& cell)
{
    if (ColumnKind(cell.column()) == TGridColumnKind::Picture)
        OpenFieldEditor(*FLobEditor, cell);
}

void TSqlForm::OnTextClick()
{
    OpenFieldEditor(*FStringEditor, grdData->currentIndex());
}

void TSqlForm::OnBinaryClick()
{
    OpenFieldEditor(*FBinaryEditor, grdData->currentIndex());
}

void TSqlForm::OpenFieldEditor(TFieldEditor& editor, const QModelIndex& cell)
{
    TField* field = cell.isValid() ? FModel->FieldOf(cell.column()) : nullptr;
    if (!field)
        return;
    if (FModel->CurrentRow() != cell.row())
        FModel->SetCurrentRow(cell.row());
    editor.SetDataField(field->FieldName());
    editor.SetDataSource(FDsQuery.get());
    // A column outside the updated table (or under another alias of it) is
    // read-only even when other columns of the row can be written.
    editor.SetReadOnly(!field->CanModify());
    grdData->setEnabled(false);
    // The cell's own editor, open when its button was clicked while typing:
    // it would hand its old text back over the value just edited.
    const QPointer<QWidget> inPlace = grdData->indexWidget(cell);
    // The grid comes back and the editor lets go of the cell also when the
    // editor raises (a refused post among others).
    struct Restore {
        TSqlForm* Form;
        TFieldEditor& Editor;
        QPointer<QWidget> InPlace;
        ~Restore()
        {
            Form->grdData->setEnabled(true);
            Form->FDelegate->DiscardEditor(InPlace);
            Editor.SetDataSource(nullptr);
            Editor.SetDataField(QString());
            Form->grdData->viewport()->update();
        }
    } restore{this, editor, inPlace};
    editor.Execute();
}

void TSqlForm::LoadSqlFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError("open", fileName, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError("read", fileName, file.errorString());
    SetSqlText(DecodeText(bytes));
}

void TSqlForm::SaveSqlFile(const QString& fileName) const
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(GetSqlText().toUtf8()) < 0 || !file.commit())
        throw FileError("write", fileName, file.errorString());
}

void TSqlForm::tbLoadClick()
{
    const QString fileName = TPrompter::Instance().OpenFileName(
        {QStringLiteral("Open Sql File"), SqlFileFilter(), QStringLiteral("sql"), QString(), QString()});
    if (!fileName.isEmpty())
        LoadSqlFile(fileName);
}

void TSqlForm::tbSaveClick()
{
    const QString fileName = TPrompter::Instance().SaveFileName(
        {QStringLiteral("Save Sql"), SqlFileFilter(), QStringLiteral("sql"), QString(), QString()});
    if (!fileName.isEmpty())
        SaveSqlFile(fileName);
}

void TSqlForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (FFirstShow) {
        FFirstShow = false;
        FocusControlSafely(edtSql);
    }
}

void TSqlForm::closeEvent(QCloseEvent* event)
{
    FDataSetSql->Close();
    event->accept();
}
