#include "UMainForm.h"

#include "UDBFacade.h"
#include "UDBObjectView.h"
#include "UDialogFactory.h"
#include "UMDIChildArea.h"
#include "UMainFormActions.h"
#include "UQuenmarelFormManager.h"
#include "UQuenmarelOptionDlg.h"
#include "app/UQuenmarel.h"
#include "base/UAppException.h"
#include "base/UMakerSite.h"
#include "base/UPrompter.h"
#include "base/USystemUtil.h"
#include "base/ULog.h"
#include "transfer/ULogonBatchFileCreator.h"
#include "widgets/UHelpFile.h"
#include "dataview/USqlForm.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"
#include "platform/dac/UUniConnection.h"
#include "platform/shell/UShellOpener.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quenmarel"));
    BuildLayout();
    FActions = new TMainFormActions(this, ChildArea);

    FDBObjectFactory = TQuenmarel::GetApp()->GetDBObjectFactory();
    FDBFacade = std::make_unique<TDBFacade>();
    FDBFacade->SetSession(FDBObjectFactory);
    FFormManager = std::make_unique<TQuenmarelFormManager>(this, MdiArea, pgcChild);
    BindHandlers();
    BindTreeAndDialogs();
    BindDataWindowActions();

    resize(1024, 700);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm()
{
    FObjectView.reset();
    FDialogFactory.reset();
    FDBFacade.reset();
    FFormManager.reset();
}

void TMainForm::BuildLayout()
{
    pnlSchema = new QWidget;
    pnlSchema->setObjectName(QStringLiteral("pnlSchema"));
    lblSchema = new QLabel(QStringLiteral("Schema"), pnlSchema);
    lblSchema->setObjectName(QStringLiteral("lblSchema"));
    cbbSchema = new QComboBox(pnlSchema);
    cbbSchema->setObjectName(QStringLiteral("cbbSchema"));
    cbbSchema->setEditable(false);
    cbbSchema->setEnabled(false);
    lblSchema->setBuddy(cbbSchema);
    auto* schemaLayout = new QVBoxLayout(pnlSchema);
    schemaLayout->setContentsMargins(4, 4, 4, 4);
    schemaLayout->addWidget(lblSchema);
    schemaLayout->addWidget(cbbSchema);

    tvDB = new QTreeWidget;
    tvDB->setObjectName(QStringLiteral("tvDB"));
    tvDB->setAccessibleName(QStringLiteral("Database objects"));
    tvDB->setHeaderHidden(true);
    tvDB->setIndentation(19);
    tvDB->setContextMenuPolicy(Qt::CustomContextMenu);

    Splitter2 = new QSplitter(Qt::Vertical);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->addWidget(pnlSchema);
    Splitter2->addWidget(tvDB);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setChildrenCollapsible(false);

    pnlBg = new QWidget;
    pnlBg->setObjectName(QStringLiteral("pnlBg"));
    auto* bgLayout = new QVBoxLayout(pnlBg);
    bgLayout->setContentsMargins(0, 0, 0, 0);
    bgLayout->addWidget(Splitter2);

    ChildArea = new TMDIChildArea;
    pgcChild = ChildArea->pgcChild;
    MdiArea = ChildArea->mdiArea;

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(pnlBg);
    Splitter1->addWidget(ChildArea);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({220, 800});
    setCentralWidget(Splitter1);
}

void TMainForm::BindHandlers()
{
    TMainFormActions& a = *FActions;
    const auto bind = [this](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this, Guarded([this, handler](bool) { (this->*handler)(); }));
    };
    bind(a.actLogon, &TMainForm::actLogonExecute);
    bind(a.actLogoff, &TMainForm::actLogoffExecute);
    bind(a.actExit, &TMainForm::actExitExecute);
    bind(a.mniContent, &TMainForm::mniContentClick);
    bind(a.mniHomepage, &TMainForm::mniHomepageClick);
    bind(a.mniEmail, &TMainForm::mniEmailClick);
    bind(a.OpenExceptionFile1, &TMainForm::OpenExceptionFile1Click);
    bind(a.actImportLob, &TMainForm::actImportLobExecute);
    bind(a.actExportLob, &TMainForm::actExportLobExecute);
    bind(a.actMergeLOBs, &TMainForm::actMergeLOBsExecute);
    bind(a.actOpenImportTask, &TMainForm::actOpenImportTaskExecute);
    bind(a.actOpenExportTask, &TMainForm::actOpenExportTaskExecute);
    for (QObject* control : {static_cast<QObject*>(a.actImportLob), static_cast<QObject*>(a.actExportLob),
                             static_cast<QObject*>(a.actMergeLOBs), static_cast<QObject*>(a.actOpenImportTask),
                             static_cast<QObject*>(a.actOpenExportTask), static_cast<QObject*>(a.mniLoadTask)})
        AddDataControl(control);
    connect(tvDB, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint& pos) { FActions->pmTree->popup(tvDB->viewport()->mapToGlobal(pos)); }));
}

void TMainForm::BindTreeAndDialogs()
{
    TMainFormActions& a = *FActions;
    FDialogFactory = std::make_unique<TDialogFactory>(this);
    FObjectView = std::make_unique<TDBObjectView>(
        TDBObjectViewControls{tvDB, lblSchema, cbbSchema, TDBObjectView::DefaultIcons(), a.pmTree});
    connect(this, &TMainForm::LoggedOn, this, [this] { FObjectView->Connect(FDBObjectFactory); });
    connect(this, &TMainForm::LoggedOff, this, [this] { FObjectView->Clear(); });
    connect(a.pmTree, &QMenu::aboutToShow, this, GuardedSlot([this] { pmTreePopup(); }));
    TDBObjectView::ShareCommand(a.mniRefresh, FObjectView->RefreshItem());
    TDBObjectView::ShareCommand(a.mniViewStruct, FObjectView->StructItem());
    TDBObjectView::ShareCommand(a.CreateTable1, FObjectView->CreateItem());
    TDBObjectView::ShareCommand(a.DropTable2, FObjectView->DropItem());
    for (auto [action, handler] : {std::pair{a.mniAbout, &TMainForm::mniAboutClick},
                                   std::pair{a.Options1, &TMainForm::Options1Click},
                                   std::pair{a.ShowLog1, &TMainForm::ShowLog1Click},
                                   std::pair{a.Upgrade1, &TMainForm::Upgrade1Click},
                                   std::pair{a.ScheduledTasks1, &TMainForm::ScheduledTasks1Click}}) {
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, GuardedSlot([this, handler = handler] { (this->*handler)(); }));
    }
    // The batch-file dialog and the launcher need a connection.
    connect(a.actCreateBatchFile, &QAction::triggered, this, GuardedSlot([this] { actCreateBatchFileExecute(); }));
    connect(a.btnTaskList, &QToolButton::clicked, this, GuardedSlot([this] { btnTaskListClick(); }));
    AddDataControl(a.actCreateBatchFile);
    AddDataControl(a.btnTaskList);
}

QWidget* TMainForm::ActiveChild() const
{
    const QMdiSubWindow* window = MdiArea->currentSubWindow();
    return window ? window->widget() : nullptr;
}

void TMainForm::AddDataControl(QObject* control)
{
    FDataControls << control;
    control->setProperty("enabled", FLoggedOn);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Qt repeats the show event after a restore: the first show runs once,
    // after the window is on the screen.
    if (FFirstShowQueued)
        return;
    FFirstShowQueued = true;
    QMetaObject::invokeMethod(this, [this] { GuardedCall([this] { FormShow(); }); }, Qt::QueuedConnection);
}

void TMainForm::FormShow()
{
    if (!FDBFacade->IsConnected())
        FActions->actLogon->trigger();
    if (FDBFacade->IsConnected())
        FDialogFactory->ShowStartTaskDialogOnce();
}

void TMainForm::actLogonExecute()
{
    if (!TQuenmarel::GetApp()->Logon())
        return;
    FDictionary = FDBObjectFactory->GetDictionary();
    Q_EMIT LoggedOn();
    SetLogonState(true);
    setWindowTitle(QStringLiteral("Vantorquill -- ") + FDBObjectFactory->GetConnection()->ProviderName()
                   + QStringLiteral(" (") + FDictionary->GetConnectionCaption() + QLatin1Char(')'));
}

void TMainForm::actLogoffExecute()
{
    if (!FDBFacade->LogOff())
        return;
    Q_EMIT LoggedOff();
    SetLogonState(false);
    cbbSchema->setEnabled(false);
    FDictionary = nullptr;
    setWindowTitle(CaptionNotLoggedOn());
    FFormManager->CloseAll();
}

void TMainForm::SetLogonState(bool loggedOn)
{
    FLoggedOn = loggedOn;
    for (QObject* control : std::as_const(FDataControls))
        control->setProperty("enabled", loggedOn);
    FActions->actLogoff->setEnabled(loggedOn);
    FActions->actLogon->setEnabled(!loggedOn);
}

void TMainForm::actExitExecute()
{
    close();
}

void TMainForm::mniContentClick()
{
    OpenHelpFile(QStringLiteral("index.html"));
}

void TMainForm::mniHomepageClick()
{
    TShellOpener::Instance().OpenDocument(MakerHomepage());
}

void TMainForm::mniEmailClick()
{
    TShellOpener::Instance().OpenDocument(QStringLiteral("mailto:") + MakerSupportEmail());
}

void TMainForm::OpenExceptionFile1Click()
{
    TShellOpener::Instance().OpenDocument(GetExceptionLogFile(QStringLiteral("Vantorquill")));
}

void TMainForm::mniAboutClick()
{
    FDialogFactory->ShowAbout();
}

void TMainForm::Options1Click()
{
    TQuenmarelOptionDlg dialog(this);
    dialog.exec();
}

void TMainForm::ShowLog1Click()
{
    FFormManager->ShowLog();
}

void TMainForm::ScheduledTasks1Click()
{
    FFormManager->ShowTaskList();
}

void TMainForm::pmTreePopup()
{
    FActions->pmiEditData->setVisible(!FObjectView->GetSelectedObject().isEmpty());
}

void TMainForm::actCreateBatchFileExecute()
{
    TQuenmarel::GetApp()->GetLogonBatchFileCreator()->ShowBatchDialog();
}

void TMainForm::btnTaskListClick()
{
    FDialogFactory->ShowStartTaskDialog();
}

void TMainForm::Upgrade1Click()
{
    FDialogFactory->ShowUpgradeNotice();
}

void TMainForm::actImportLobExecute()
{
    FFormManager->ShowImportLob(FDictionary->CurrentSchema(), FDictionary->CurrentTable());
}

void TMainForm::actExportLobExecute()
{
    FFormManager->ShowExportLob(FDictionary->CurrentSchema(), FDictionary->CurrentTable());
}

void TMainForm::actMergeLOBsExecute()
{
    FFormManager->ShowMergeLobs();
}

namespace {

// dlgOpenForm for one kind of task file; empty when cancelled.
QString AskTaskFile(const QString& defaultExt, const QString& filter)
{
    TFileDialogOptions options;
    options.DefaultExt = defaultExt;
    options.Filter = filter;
    return TPrompter::Instance().OpenFileName(options);
}

}  // namespace

void TMainForm::actOpenImportTaskExecute()
{
    const QString fileName = AskTaskFile(QStringLiteral("ilt"), QStringLiteral("Import Lob Task (*.ilt)|*.ilt"));
    if (!fileName.isEmpty())
        OpenImportTaskFile(fileName);
}

void TMainForm::actOpenExportTaskExecute()
{
    const QString fileName = AskTaskFile(QStringLiteral("elt"), QStringLiteral("Export Lob Task (*.elt)|*.elt"));
    if (!fileName.isEmpty())
        OpenExportTaskFile(fileName);
}

void TMainForm::OpenImportTaskFile(const QString& fileName)
{
    FFormManager->OpenImportTask(fileName);
}

void TMainForm::OpenExportTaskFile(const QString& fileName)
{
    FFormManager->OpenExportTask(fileName);
}

void TMainForm::BindDataWindowActions()
{
    TMainFormActions& a = *FActions;
    for (auto [action, handler] : {std::pair{a.actNewSql, &TMainForm::actNewSqlExecute},
                                   std::pair{a.actOpen, &TMainForm::actOpenExecute},
                                   std::pair{a.actSave, &TMainForm::actSaveExecute},
                                   std::pair{a.actEditData, &TMainForm::actEditDataExecute}}) {
        AddDataControl(action);
        connect(action, &QAction::triggered, this, GuardedSlot([this, handler = handler] { (this->*handler)(); }));
    }
    // The tree's View Table Data and its double click.
    FObjectView->SetOnViewData([this](QObject*) { actEditDataExecute(); });
}

void TMainForm::actNewSqlExecute()
{
    if (auto* form = FFormManager->NewWindow<TSqlForm>(QStringLiteral("Query")))
        form->show();
}

void TMainForm::actEditDataExecute()
{
    const QString name = FObjectView->GetSelectedObject();
    if (name.isEmpty()) {
        TPrompter::Instance().ShowMessage(QStringLiteral("Please select a table or view."));
        return;
    }
    auto* form = FFormManager->NewWindow<TSqlForm>(QStringLiteral("Edit ") + name);
    if (!form)
        return;
    form->show();
    form->SetSqlText(FDictionary->GetCatalogueSelectAllSql(FObjectView->GetSchemaName(), name));
    form->actRunSqlExecute();
}

static QString MainSqlFileFilter()
{
    return QStringLiteral("Sql file (*.sql)|*.sql|All (*.*)|*.*");
}

void TMainForm::actOpenExecute()
{
    const QString fileName = TPrompter::Instance().OpenFileName(
        {QStringLiteral("Open"), MainSqlFileFilter(), QStringLiteral("sql"), QString(), QString()});
    if (fileName.isEmpty())
        return;
    // Read before the window exists: a file that cannot be read opens nothing.
    auto form = std::make_unique<TSqlForm>(nullptr, FDBObjectFactory->GetConnection());
    form->LoadSqlFile(fileName);
    // No tab and not maximised: the window keeps its own caption.
    QMdiSubWindow* window = MdiArea->addSubWindow(form.release());
    window->setAttribute(Qt::WA_DeleteOnClose);
    // The area would maximise it like the maximised window before it.
    window->showNormal();
}

void TMainForm::actSaveExecute()
{
    if (MdiArea->subWindowList().isEmpty())
        return;
    const QString fileName = TPrompter::Instance().SaveFileName(
        {QStringLiteral("Save As"), MainSqlFileFilter(), QStringLiteral("sql"), QString(), QString()});
    if (fileName.isEmpty())
        return;
    if (auto* form = qobject_cast<TSqlForm*>(ActiveChild()))
        form->SaveSqlFile(fileName);
}
