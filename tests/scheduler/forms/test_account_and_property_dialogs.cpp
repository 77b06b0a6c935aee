#include "SchedulerFormsTestSupport.h"
#include "scheduler/forms/AccountDetails.h"
#include "scheduler/saDialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tasktest;

namespace {

class AccountDialog : public SchedulerFormTest {};
INSTANTIATE_TEST_SUITE_P(Admin, AccountDialog, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Administrator" : "User"; });

// Runs the dialog on user and password; drive acts on the form and answers.
bool RunAccount(QString& user, QString& password, const std::function<void(TfrmTaskAccount*)>& drive)
{
    ModalWatcher watcher([&](QWidget* modal) { drive(qobject_cast<TfrmTaskAccount*>(modal)); });
    return ExecuteTaskAccountDialog(user, password);
}

TEST_P(AccountDialog, SystemInAnyCaseGivesTwoEmptyValues)
{
    Info->Admin = GetParam();
    for (const char* name : {"SYSTEM", "system", "SyStEm", ""}) {
        QString user = S(name), password;
        const bool ok = RunAccount(user, password, [&](TfrmTaskAccount* form) {
            ASSERT_NE(form, nullptr);
            EXPECT_TRUE(form->ckbUseSystem->isChecked()) << name;
            EXPECT_EQ(form->ckbUseSystem->isEnabled(), GetParam());
            EXPECT_FALSE(form->edUserName->isEnabled());
            EXPECT_FALSE(form->edPassword->isEnabled());
            EXPECT_FALSE(form->ckbShowPassword->isEnabled());
            form->btOK->click();
        });
        EXPECT_TRUE(ok);
        EXPECT_EQ(user, QString());
        EXPECT_EQ(password, QString());
    }
}

TEST_P(AccountDialog, TypedPasswordIsReturnedAsTyped)
{
    Info->Admin = GetParam();
    QString user = S("alice"), password;
    EXPECT_TRUE(RunAccount(user, password, [](TfrmTaskAccount* form) {
        EXPECT_FALSE(form->ckbUseSystem->isChecked());
        EXPECT_TRUE(form->edPassword->isEnabled());
        QTest::keyClicks(form->edPassword, S(" s3cret "));
        form->btOK->click();
    }));
    EXPECT_EQ(user, S("alice"));
    EXPECT_EQ(password, S(" s3cret "));
}

TEST_P(AccountDialog, CancelReturnsTheInputs)
{
    Info->Admin = GetParam();
    QString user = S("alice"), password = S("old");
    EXPECT_FALSE(RunAccount(user, password, [](TfrmTaskAccount* form) {
        form->edUserName->setText(S("bob"));
        form->edPassword->setText(S("new"));
        form->ckbUseSystem->setChecked(true);
        form->btCancel->click();
    }));
    EXPECT_EQ(user, S("alice"));
    EXPECT_EQ(password, S("old"));
}

TEST_P(AccountDialog, ShowPasswordTogglesOnlyTheEcho)
{
    TfrmTaskAccount form;
    form.edPassword->setText(S("pw"));
    EXPECT_EQ(form.edPassword->echoMode(), QLineEdit::Password);
    form.ckbShowPassword->setChecked(true);
    EXPECT_EQ(form.edPassword->echoMode(), QLineEdit::Normal);
    form.ckbShowPassword->setChecked(false);
    EXPECT_EQ(form.edPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.edPassword->text(), S("pw"));
}

class PropertiesDialog : public SchedulerFormTest {};
INSTANTIATE_TEST_SUITE_P(Branches, PropertiesDialog, ::testing::Values(false, true), BranchName);

TEST_P(PropertiesDialog, LooksTheTaskUpAndShowsNothing)
{
    MakeTask("Nightly");
    auto scheduler = Open();
    scheduler->Refresh();
    TTaskPropertiesDialog dialog;
    dialog.SetTaskScheduler(scheduler.get());
    dialog.SetTaskName(StoredName("Nightly"));
    EXPECT_FALSE(dialog.Execute());
    ASSERT_NE(dialog.Task(), nullptr);
    EXPECT_EQ(dialog.Task()->Name(), scheduler->ActivateTask(StoredName("Nightly"))->Name());

    dialog.SetTaskName(S("Missing"));
    try {
        dialog.Execute();
        FAIL() << "no error";
    } catch (const ETaskDialogError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), S("Could not activate the task \"Missing\"."));
    }
}

TEST_P(PropertiesDialog, EmptyPagesAndFreedScheduler)
{
    auto scheduler = Open();
    TTaskPropertiesDialog dialog;
    dialog.SetPages({ptSettings});
    try {
        dialog.SetPages({});
        FAIL() << "no error";
    } catch (const ETaskDialogError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), S("At least one page must be specified."));
    }
    EXPECT_EQ(dialog.Pages(), TPageTypes({ptSettings}));

    dialog.SetTaskScheduler(scheduler.get());
    scheduler.reset();
    EXPECT_EQ(dialog.TaskScheduler(), nullptr);
    try {
        dialog.Execute();
        FAIL() << "no error";
    } catch (const ETaskDialogError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), S("Task Scheduler not found."));
    }
}

}  // namespace
