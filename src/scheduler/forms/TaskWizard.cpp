#include "TaskWizard.h"

#include "UFormParts.h"

#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "scheduler/UScheduleTaskUtil.h"
#include "scheduler/UTaskScheduler.h"
#include "scheduler/UTaskWizardRules.h"
#include "scheduler/saUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <memory>

using namespace formparts;

namespace {

// The wizard's side picture.
QLabel* SidePicture(QWidget* parent)
{
    auto* picture = new QLabel(parent);
    picture->setProperty("tag", 10);
    picture->setFixedWidth(96);
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    picture->setPixmap(QIcon::fromTheme(QStringLiteral("appointment-new"),
                                        QIcon::fromTheme(QStringLiteral("x-office-calendar")))
                           .pixmap(64, 64));
    picture->setAccessibleName(QStringLiteral("Scheduled task"));
    return picture;
}

QString Cleaned(const QString& text)
{
    // Blanks and control characters at both ends.
    qsizetype first = 0, last = text.size();
    while (first < last && text[first].unicode() <= 0x20)
        ++first;
    while (last > first && text[last - 1].unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

}  // namespace

TNewTaskWizard::TNewTaskWizard(QWidget* parent)
    : QDialog(parent),
      PageControl(Named(new QStackedWidget(this), "PageControl")),
      btnBack(Named(new QPushButton(QStringLiteral("< &Back"), this), "btnBack")),
      btnNext(Named(new QPushButton(QStringLiteral("&Next >"), this), "btnNext")),
      btnCancel(Named(new QPushButton(QStringLiteral("Cancel"), this), "btnCancel"))
{
    setObjectName(QStringLiteral("NewTaskWizard"));
    setWindowTitle(QStringLiteral("Scheduled task wizard"));
    BuildCustomData();
    BuildTaskName();
    BuildTriggerDetails();
    BuildAccountInfo();
    BuildFinished();
    btnNext->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnBack);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(buttons);
    setFixedSize(438, 279 + 120);   // room for the labels' fonts here

    connect(btnNext, &QPushButton::clicked, this, GuardedSlot([this] {
                if (PageControl->currentWidget() == tsFinished)
                    accept();
                else
                    btnNextClick();
            }));
    connect(btnBack, &QPushButton::clicked, this, GuardedSlot([this] { btnBackClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

QWidget* TNewTaskWizard::NewPage(const char* name, const QString& caption)
{
    auto* page = Named(new QWidget(PageControl), name);
    page->setWindowTitle(caption);
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(SidePicture(page));
    auto* body = new QWidget(page);
    body->setObjectName(QString::fromLatin1(name) + QStringLiteral("Body"));
    row->addWidget(body, 1);
    PageControl->addWidget(page);
    return page;
}

void TNewTaskWizard::BuildCustomData()
{
    tsCustomData = NewPage("tsCustomData", QStringLiteral("Custom Data"));
    QWidget* body = tsCustomData->findChild<QWidget*>(QStringLiteral("tsCustomDataBody"));
    edtApplicationName = Named(new QLineEdit(body), "edtApplicationName");
    btnBrowse = Named(new QPushButton(QStringLiteral("&Browse..."), body), "btnBrowse");
    edtParameters = Named(new QLineEdit(body), "edtParameters");
    edtWorkDir = Named(new QLineEdit(body), "edtWorkDir");
    edtCreator = Named(new QLineEdit(body), "edtCreator");
    memComments = Named(new QPlainTextEdit(QStringLiteral("Type your comments here..."), body), "memComments");
    ckbVistaHighestPrivileges = Named(new QCheckBox(QStringLiteral("Run with highest privileges"), body),
                                      "ckbVistaHighestPrivileges");
    ckbVistaHighestPrivileges->hide();
    auto* program = new QHBoxLayout;
    program->addWidget(edtApplicationName, 1);
    program->addWidget(btnBrowse);
    auto* form = new QFormLayout(body);
    form->addRow(BuddyLabel(QStringLiteral("&Application:"), edtApplicationName, body), program);
    form->addRow(BuddyLabel(QStringLiteral("&Parameters:"), edtParameters, body), edtParameters);
    form->addRow(BuddyLabel(QStringLiteral("&Work Dir:"), edtWorkDir, body), edtWorkDir);
    form->addRow(BuddyLabel(QStringLiteral("&Creator:"), edtCreator, body), edtCreator);
    form->addRow(BuddyLabel(QStringLiteral("C&omments:"), memComments, body), memComments);
    form->addRow(ckbVistaHighestPrivileges);
    memComments->setFixedHeight(40);
    connect(btnBrowse, &QPushButton::clicked, this, GuardedSlot([this] { btnBrowseClick(); }));
}

void TNewTaskWizard::BuildTaskName()
{
    tsTaskName = NewPage("tsTaskName", QStringLiteral("Task Name"));
    QWidget* body = tsTaskName->findChild<QWidget*>(QStringLiteral("tsTaskNameBody"));
    edtTaskName = Named(new QLineEdit(body), "edtTaskName");
    cbTriggerType = Named(new QComboBox(body), "cbTriggerType");
    cbTriggerType->addItems({QStringLiteral("One time only"), QStringLiteral("Daily"), QStringLiteral("Weekly"),
                             QStringLiteral("Monthly"), QStringLiteral("Wen my computer starts"),
                             QStringLiteral("When I log on"), QStringLiteral("Wnen Idle"),
                             QStringLiteral("On connection to user session"),
                             QStringLiteral("On disconnect from user session"), QStringLiteral("On workstation lock"),
                             QStringLiteral("On workstation unlock")});
    GroupBox1 = Named(new QGroupBox(body), "GroupBox1");
    GroupBox1->setAccessibleName(QStringLiteral("User"));
    RadioButton7 = Named(new QRadioButton(QStringLiteral("Any User"), GroupBox1), "RadioButton7");
    RadioButton8 = Named(new QRadioButton(QStringLiteral("Specific User"), GroupBox1), "RadioButton8");
    edUser = Named(new QLineEdit(GroupBox1), "edUser");
    edUser->setAccessibleName(QStringLiteral("User name"));
    RadioButton7->setChecked(true);
    auto* users = new QGridLayout(GroupBox1);
    users->addWidget(RadioButton7, 0, 0);
    users->addWidget(RadioButton8, 1, 0);
    users->addWidget(edUser, 1, 1);
    GroupBox2 = Named(new QGroupBox(body), "GroupBox2");
    GroupBox2->setAccessibleName(QStringLiteral("Connection"));
    RadioButton9 = Named(new QRadioButton(QStringLiteral("Connection from remote computer"), GroupBox2),
                         "RadioButton9");
    RadioButton10 = Named(new QRadioButton(QStringLiteral("Connection from local computer"), GroupBox2),
                          "RadioButton10");
    RadioButton9->setChecked(true);
    auto* sources = new QVBoxLayout(GroupBox2);
    sources->addWidget(RadioButton9);
    sources->addWidget(RadioButton10);
    GroupBox1->hide();
    GroupBox2->hide();

    auto* layout = new QVBoxLayout(body);
    auto* nameLabel = BuddyLabel(
        QStringLiteral("&Type a name for this task.  The task name can be the same name as the program name."),
        edtTaskName, body);
    nameLabel->setWordWrap(true);
    layout->addWidget(nameLabel);
    layout->addWidget(edtTaskName);
    layout->addWidget(BuddyLabel(QStringLiteral("Perform this task:"), cbTriggerType, body));
    layout->addWidget(cbTriggerType);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addStretch();
    connect(cbTriggerType, &QComboBox::activated, this, GuardedSlot([this] { ComboBox1Select(); }));
    connect(edtTaskName, &QLineEdit::textChanged, this, GuardedSlot([this] { UpdateNextState(); }));
    connect(cbTriggerType, &QComboBox::currentIndexChanged, this, GuardedSlot([this] { UpdateNextState(); }));
    for (QRadioButton* choice : {RadioButton7, RadioButton8})
        connect(choice, &QRadioButton::clicked, this, GuardedSlot([this] { UserChoiceClick(); }));
}

void TNewTaskWizard::BuildTriggerDetails()
{
    tsTriggerDetails = NewPage("tsTriggerDetails", QStringLiteral("Trigger Details"));
    QWidget* body = tsTriggerDetails->findChild<QWidget*>(QStringLiteral("tsTriggerDetailsBody"));
    pnlDetails = new TTriggerPanels(TTriggerPanels::TMonthlyChoice::Single, body);
    (new QVBoxLayout(body))->addWidget(pnlDetails);
    connect(pnlDetails, &TTriggerPanels::Changed, this, GuardedSlot([this] { UpdateNextState(); }));
}

void TNewTaskWizard::BuildAccountInfo()
{
    tsAccountInfo = NewPage("tsAccountInfo", QStringLiteral("Account Info"));
    QWidget* body = tsAccountInfo->findChild<QWidget*>(QStringLiteral("tsAccountInfoBody"));
    edtAccount = Named(new QLineEdit(body), "edtAccount");
    edtPassword1 = Named(new QLineEdit(body), "edtPassword1");
    edtPassword1->setEchoMode(QLineEdit::Password);
    auto* layout = new QVBoxLayout(body);
    auto* intro = new QLabel(QStringLiteral("Enter the name and password of a Windows user.  The task will run as if "
                                            "it was started by that user."),
                             body);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addWidget(BuddyLabel(QStringLiteral("Enter the user n&ame:"), edtAccount, body));
    layout->addWidget(edtAccount);
    layout->addWidget(BuddyLabel(QStringLiteral("Enter the &password:"), edtPassword1, body));
    layout->addWidget(edtPassword1);
    layout->addStretch();
    connect(edtAccount, &QLineEdit::textChanged, this, GuardedSlot([this] { UpdateNextState(); }));
}

void TNewTaskWizard::BuildFinished()
{
    tsFinished = NewPage("tsFinished", QStringLiteral("Finish"));
    QWidget* body = tsFinished->findChild<QWidget*>(QStringLiteral("tsFinishedBody"));
    lblTaskResult = Named(new QLabel(body), "lblTaskResult");
    lblTaskNextTime = Named(new QLabel(body), "lblTaskNextTime");
    lblTaskNextTime->setWordWrap(true);
    lblAdvanced = Named(new QLabel(QStringLiteral("Click Advanced to set up additional properties for this task."),
                                   body),
                        "lblAdvanced");
    lblAdvanced->setWordWrap(true);
    btnAdvanced = Named(new QPushButton(QStringLiteral("&Advanced..."), body), "btnAdvanced");
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(new QLabel(QStringLiteral("You have successfully scheduled the following task:"), body));
    layout->addWidget(lblTaskResult);
    layout->addWidget(new QLabel(QStringLiteral("Windows will perform this task:"), body));
    layout->addWidget(lblTaskNextTime);
    layout->addWidget(lblAdvanced);
    layout->addWidget(btnAdvanced, 0, Qt::AlignLeft);
    layout->addWidget(new QLabel(QStringLiteral("Click Finish to add this task to your schedule."), body));
    layout->addStretch();
    connect(btnAdvanced, &QPushButton::clicked, this, GuardedSlot([this] { btnAdvancedClick(); }));
}

void TNewTaskWizard::FormCreate()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (QDateTimeEdit* picker : findChildren<QDateTimeEdit*>())
        picker->setDateTime(now);
    GoTo(taskwizard::wpCustomData);
    const QString user = SchedulerPlatform().Info->UserName();
    edtAccount->setText(user);
    edtCreator->setText(user);
    edtApplicationName->setText(QCoreApplication::applicationFilePath());
    cbTriggerType->setCurrentIndex(0);
    UpdateButtons();
}

void TNewTaskWizard::SetScheduler(TTaskScheduler* scheduler)
{
    FScheduler = scheduler;
    if (Vista()) {
        btnAdvanced->hide();
        lblAdvanced->hide();
    } else {
        while (cbTriggerType->count() > 6)
            cbTriggerType->removeItem(6);
    }
}

bool TNewTaskWizard::Vista() const
{
    return FScheduler && FScheduler->RunningVistaOrLater();
}

bool TNewTaskWizard::NtFamily() const
{
    return !FScheduler || FScheduler->Context()->Platform.Info->IsNtFamily();
}

void TNewTaskWizard::UpdateButtons()
{
    if (FScheduler) {
        const bool offered = FScheduler->RunningVistaOrLater() && !FScheduler->UseTaskScheduler1Only();
        ckbVistaHighestPrivileges->setVisible(offered);
        if (offered) {
            ckbVistaHighestPrivileges->setEnabled(IsUserAdmin());
            if (!ckbVistaHighestPrivileges->isEnabled())
                ckbVistaHighestPrivileges->setChecked(false);
        } else if (!FCommentsWidened) {
            FCommentsWidened = true;
            memComments->setFixedHeight(memComments->height() + ckbVistaHighestPrivileges->sizeHint().height() + 10);
        }
    }
    btnBack->setEnabled(PageControl->currentIndex() > 0);
    btnNext->setText(PageControl->currentWidget() == tsFinished ? QStringLiteral("&Finish")
                                                                 : QStringLiteral("&Next >"));
    UpdateNextState();
}

void TNewTaskWizard::UpdateNextState()
{
    QWidget* page = PageControl->currentWidget();
    bool enabled = true;
    if (page == tsTaskName) {
        enabled = cbTriggerType->currentIndex() >= 0 && !edtTaskName->text().isEmpty();
    } else if (page == tsTriggerDetails) {
        enabled = taskwizard::DetailsComplete(pnlDetails->Values(GetTriggerType()));
    } else if (page == tsAccountInfo) {
        enabled = !edtAccount->text().isEmpty();
    }
    btnNext->setEnabled(enabled);
}

TTriggerType TNewTaskWizard::GetTriggerType() const
{
    return taskwizard::TriggerTypeOf(cbTriggerType->currentIndex(), pnlDetails->rbMonthlyDow->isChecked());
}

void TNewTaskWizard::ComboBox1Select()
{
    GroupBox1->hide();
    GroupBox2->hide();
    if (Vista()) {
        const int index = cbTriggerType->currentIndex();
        if (index == 5 || (index >= 7 && index <= 10)) {
            GroupBox1->show();
            UserChoiceClick();
        }
        if (index == 7 || index == 8)
            GroupBox2->show();
    }
    UpdateNextState();
}

void TNewTaskWizard::UserChoiceClick()
{
    edUser->setEnabled(RadioButton8->isChecked());
}

taskwizard::TWizardPage TNewTaskWizard::CurrentPage() const
{
    return taskwizard::TWizardPage(PageControl->currentIndex());
}

void TNewTaskWizard::GoTo(taskwizard::TWizardPage page)
{
    PageControl->setCurrentIndex(page);
}

void TNewTaskWizard::CreateTask()
{
    if (FTask)
        return;
    const QString name = edtTaskName->text();
    TTaskItem* existing = FScheduler->ActivateTask(name);
    bool replacing = false;
    if (existing) {
        const QString question =
            QStringLiteral("A task with the name %1 already exists.  Do you want to replace it?").arg(name);
        if (TPrompter::Instance().Ask(question, pbYes | pbNo, TPromptKind::Question) != TPromptAnswer::Yes)
            return;
        existing->Activate();
        existing->Triggers().Clear();
        existing->Triggers().Add(FTriggerType);
        FTask = existing;
        replacing = true;
    } else {
        FTask = FScheduler->CreateNewItem(name);
        FTask->Triggers().Add(FTriggerType);
    }
    FSavedByAccountPage = false;
    if (Vista()) {
        // The old actions go, or an empty program action would stay behind.
        if (replacing) {
            while (FTask->ActionsCount() > 0)
                FTask->RemoveAction(FTask->ActionsCount());
        }
        FTask->SetCurrentAction(1);
        FTask->InsertAction(0);
    }
    FTask->SetApplicationName(edtApplicationName->text());
    FTask->SetParameters(taskwizard::TaskParameters(edtApplicationName->text(), edtParameters->text(), name,
                                                    QCoreApplication::applicationFilePath()));
    FTask->SetWorkingDirectory(edtWorkDir->text());
    if (Vista() && ckbVistaHighestPrivileges->isChecked() && IsUserAdmin())
        FTask->TaskDefinition()->Principal().RunLevel = tasksched::rlHighest;
    FTask->SetComment(memComments->toPlainText());
    FTask->SetCreator(edtCreator->text());
}

void TNewTaskWizard::FillFinishPage()
{
    if (!FTask)
        return;
    lblTaskResult->setText(edtTaskName->text());
    lblTaskNextTime->setText(GetTaskScheduleText(*FTask));
}

bool TNewTaskWizard::NameDone()
{
    FTriggerType = GetTriggerType();
    CreateTask();
    if (!FTask)
        return false;
    TTrigger* trigger = FTask->Triggers().GetItem(0);
    trigger->SetTriggerType(FTriggerType);
    trigger->SetBeginDate(SerialToday());
    pnlDetails->ShowKind(FTriggerType);
    if (taskwizard::IsEventKind(FTriggerType)) {
        trigger->SetStartTime(SerialAtTime(QTime::currentTime()));
        trigger->SetBeginDate(SerialToday());
        trigger->SetUserName(RadioButton8->isChecked() ? edUser->text() : QString());
        trigger->SetConnectionType(RadioButton10->isChecked() ? 1 : 2);
        // The details page is skipped, and with it its writing back.
        FTask->Triggers().UpdateTriggers();
    }
    return true;
}

void TNewTaskWizard::DetailsDone()
{
    FTriggerType = GetTriggerType();
    if (Vista()) {
        FTask->Triggers().Clear();
        FTask->Triggers().Add(FTriggerType)->SetBeginDate(SerialToday());
    }
    TTrigger* trigger = FTask->Triggers().GetItem(0);
    trigger->SetTriggerType(FTriggerType);
    // A repeating daily trigger runs through the whole day.
    pnlDetails->Values(FTriggerType).ToTrigger(*trigger, TRepeatDuration::WholeDay);
    FTask->Triggers().UpdateTriggers();
}

bool TNewTaskWizard::AccountDone()
{
    const QString account = Cleaned(edtAccount->text());
    const QString password = Cleaned(edtPassword1->text());
    if (account.isEmpty())
        return false;
    FTask->SetAccountInformation(account, password);
    TTaskVistaFlags vistaFlags = FTask->VistaFlags();
    vistaFlags.Exclude(tfvNeedLogon);
    FTask->SetVistaFlags(vistaFlags);
    if (!Vista()) {
        TTaskFlags flags = FTask->Flags();
        flags.Include(tfRunOnlyIfLoggedOn);
        FTask->SetFlags(flags);
    }
    try {
        FTask->Deactivate(true);
    } catch (const std::exception&) {
        // The account is checked here; the page stays without a message.
        return false;
    }
    FSavedByAccountPage = true;
    // The save released a 1.0 work item: the finish page and Finish need it.
    if (!Vista())
        FTask->Activate();
    return true;
}

void TNewTaskWizard::btnNextClick()
{
    const taskwizard::TWizardPage page = CurrentPage();
    switch (page) {
    case taskwizard::wpTaskName:
        if (!NameDone())
            return;
        break;
    case taskwizard::wpTriggerDetails: DetailsDone(); break;
    case taskwizard::wpAccountInfo:
        if (!AccountDone())
            return;
        break;
    default: break;
    }
    GoTo(taskwizard::NextPage(page, FTriggerType, NtFamily()));
    if (page != taskwizard::wpCustomData)
        FillFinishPage();
    UpdateButtons();
}

void TNewTaskWizard::btnBackClick()
{
    const taskwizard::TWizardPage page = CurrentPage();
    // A changed name or program is taken over on the next Next.
    if (taskwizard::BackDiscardsTask(page, FTriggerType))
        DiscardTask();
    GoTo(taskwizard::PreviousPage(page, FTriggerType, NtFamily()));
    UpdateButtons();
}

void TNewTaskWizard::btnBrowseClick()
{
    TFileDialogOptions options;
    options.Filter = QStringLiteral("All Files (*)|*|Shell scripts (*.sh)|*.sh");
    options.FileName = edtApplicationName->text();
    options.InitialDir = QFileInfo(edtApplicationName->text()).absolutePath();
    const QString chosen = TPrompter::Instance().OpenFileName(options);
    if (chosen.isEmpty())
        return;
    const QString full = QFileInfo(chosen).absoluteFilePath();
    edtApplicationName->setText(full);
    edtWorkDir->setText(taskwizard::WorkingFolderOf(full));
}

void TNewTaskWizard::btnAdvancedClick()
{
    if (!FTask)
        return;
    FTask->DisplayTaskPages(this, {ptSchedule, ptSettings}, QStringLiteral("%1 Properties").arg(FTask->Name()));
    FillFinishPage();
}

void TNewTaskWizard::FinishTask()
{
    if (!FTask)
        return;
    try {
        FTask->Deactivate(true);
    } catch (const std::exception&) {
        // A task that the account page stored stays; a half-made one goes.
        if (!FSavedByAccountPage) {
            try {
                FScheduler->DeleteTask(edtTaskName->text());
            } catch (const std::exception&) {
            }
        }
    }
}

void TNewTaskWizard::DiscardTask()
{
    if (!FTask)
        return;
    FTask = nullptr;
    FSavedByAccountPage = false;
    FScheduler->Refresh();
}

bool ExecuteNewTaskWizard(TTaskScheduler* scheduler, const QString& programPath, TTaskItem*& task)
{
    auto form = std::make_unique<TNewTaskWizard>();
    if (!programPath.isEmpty())
        form->edtApplicationName->setText(programPath);
    form->SetScheduler(scheduler);
    form->UpdateButtons();
    const bool finished = form->exec() == QDialog::Accepted;
    if (finished)
        form->FinishTask();
    else
        form->DiscardTask();
    task = finished ? form->Task() : nullptr;
    return finished;
}
