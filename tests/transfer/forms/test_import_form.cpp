// The import dialog: its checks and task mapping as plain values, and the
// dialog itself against the test MariaDB, driven as a user drives it.
#include "TransferFormsTestUtil.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULobImportSessionExecutor.h"
#include "transfer/ULobImporter.h"
#include "transfer/forms/UBrowseFileEdit.h"
#include "transfer/forms/ULobImportForm.h"
#include "transfer/forms/URadioGroup.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>

using namespace transferforms;

namespace {

TLobImportFormValues FilledImportValues()
{
    TLobImportFormValues values;
    values.Schema = S("shop");
    values.Table = S("pics");
    values.LobField = S("body");
    values.NameField = S("name");
    values.LoadFolder = S("/srv/in");
    values.ExtItemText = S("All");
    values.Ext = S("dat");
    return values;
}

}  // namespace

TEST(ImportFormValues, ChecksInTheirOrder)
{
    const struct {
        std::function<void(TLobImportFormValues&)> change;
        const char* message;
        const char* control;
    } cases[] = {
        {[](auto& v) { v.Table.clear(); v.LobField.clear(); }, "select a table", "cbTable"},
        {[](auto& v) { v.LobField.clear(); v.NameField.clear(); }, "select a lob field", "cbLobField"},
        {[](auto& v) { v.NameField.clear(); }, "select a field as name", "cbNameField"},
        {[](auto& v) { v.HasFolderField = true; }, "select a folder field ", "cbbFolderField"},
        {[](auto& v) { v.ExtType = TImportExtType::OnlyExt; v.Ext.clear(); v.LoadFolder.clear(); }, "input file extension", "edtExt"},
        {[](auto& v) { v.LoadFolder.clear(); }, "select a directory", "edtLoadFolder"},
        {[](auto& v) { v.LoadFolder = S("select a directory"); }, "select a directory", "edtLoadFolder"},
    };
    for (const auto& c : cases) {
        TLobImportFormValues values = FilledImportValues();
        c.change(values);
        const TValidationResult result = values.Validate();
        ASSERT_TRUE(result.has_value()) << c.message;
        EXPECT_EQ(*result, (TValidationFailure{S(c.message), S(c.control)}));
    }
    // The folder need not exist, a folder field may be off, "All" needs no extension.
    TLobImportFormValues values = FilledImportValues();
    values.Ext.clear();
    values.LoadFolder = S("/no/such/folder");
    EXPECT_FALSE(values.Validate().has_value());
}

TEST(ImportFormValues, AllSavesNoExtensionAndAnUncheckedFolderFieldSavesNone)
{
    TLobImportFormValues values = FilledImportValues();
    values.FolderField = S("dir");
    TLobImportSession session;
    values.ToSession(session);
    EXPECT_EQ(session.Ext, QString());
    EXPECT_EQ(session.FolderField, QString());
    EXPECT_FALSE(session.HasFolderField);

    values.ExtType = TImportExtType::OnlyExt;
    values.ExtItemText = S("Custom");
    values.HasFolderField = true;
    values.ImportType = TImportType::Update;
    values.ToSession(session);
    EXPECT_EQ(session.Ext, S("dat"));
    EXPECT_EQ(session.FolderField, S("dir"));
    EXPECT_EQ(session.ImportType, TImportType::Update);
}

namespace {

class ImportForm : public TransferFormTest {
protected:
    void SetUp() override
    {
        TransferFormTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(In.isValid());
        Exec(S("CREATE TABLE pics (id INT AUTO_INCREMENT PRIMARY KEY, name VARCHAR(100), dir VARCHAR(500), body LONGBLOB)"));
        Exec(S("CREATE TABLE notes (code VARCHAR(20), body TEXT, note LONGTEXT)"));
        Form = std::make_unique<TLobImportForm>(nullptr, Services());
        Form->FillSchemas();
        Form->show();
    }

    void TearDown() override
    {
        Form.reset();
        TransferFormTest::TearDown();
    }

    void Write(const QString& name, const QByteArray& content)
    {
        QFile file(In.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    void SetFolder(const QString& folder) { Child<TBrowseFileEdit>(Form.get(), "edtLoadFolder")->SetFileName(folder); }

    QTemporaryDir In;
    std::unique_ptr<TLobImportForm> Form;
};

}  // namespace

TEST_F(ImportForm, FillsTheCurrentSchemaAndPreselectsATable)
{
    EXPECT_EQ(Text(Form.get(), "cbbSchema"), Database);
    EXPECT_EQ(Items(Form.get(), "cbTable"), (QStringList{S("notes"), S("pics")}));
    EXPECT_EQ(Text(Form.get(), "cbTable"), S("notes"));
    EXPECT_EQ(Items(Form.get(), "cbLobField"), (QStringList{S("body"), S("note")}));
    EXPECT_EQ(Items(Form.get(), "cbNameField"), (QStringList{S("code")}));

    Form->SelectTable(Database, S("pics"));
    EXPECT_EQ(Text(Form.get(), "cbTable"), S("pics"));
    EXPECT_EQ(Text(Form.get(), "cbLobField"), S("body"));
    EXPECT_EQ(Items(Form.get(), "cbNameField"), (QStringList{S("id"), S("name"), S("dir")}));
    EXPECT_EQ(Text(Form.get(), "cbbFolderField"), QString()) << "the folder field starts unselected";

    // Nothing chosen in the tree leaves the first table; a view is not listed.
    Form->SelectTable(Database, QString());
    EXPECT_EQ(Text(Form.get(), "cbTable"), S("pics"));
    Form->SelectTable(Database, S("a_view"));
    EXPECT_EQ(Text(Form.get(), "cbTable"), QString());
    Click(Form.get(), "btnImport");
    EXPECT_EQ(Prompter.Messages(), QStringList{S("select a table")});
}

TEST_F(ImportForm, FailedCheckFocusesOnlyAnEnabledVisibleControl)
{
    Form->SelectTable(Database, S("pics"));
    Click(Form.get(), "btnImport");
    EXPECT_EQ(Prompter.Messages(), QStringList{S("select a directory")});
    EXPECT_EQ(Form->focusWidget(), Child<TBrowseFileEdit>(Form.get(), "edtLoadFolder")->Edit());

    // Custom with an empty extension: the edit is enabled by the choice.
    Child<TRadioGroup>(Form.get(), "rgExt")->findChildren<QAbstractButton*>().at(1)->click();
    auto* ext = Child<QLineEdit>(Form.get(), "edtExt");
    EXPECT_TRUE(ext->isEnabled());
    ext->clear();
    Click(Form.get(), "btnImport");
    EXPECT_EQ(Prompter.Messages().last(), S("input file extension"));
    EXPECT_EQ(Form->focusWidget(), ext);

    // The folder-field combo follows its box; checked but empty it is named.
    Click(Form.get(), "chkFolderField");
    EXPECT_TRUE(Child<QComboBox>(Form.get(), "cbbFolderField")->isEnabled());
    Click(Form.get(), "btnImport");
    EXPECT_EQ(Prompter.Messages().last(), S("select a folder field "));
}

TEST_F(ImportForm, TaskRoundTripAndATaskWhoseTableIsGone)
{
    TLobImportSession task;
    task.Schema = Database;
    task.Table = S("pics");
    task.LobField = S("body");
    task.NameField = S("name");
    task.LoadFolder = In.path();
    task.IncludeSubFolder = true;
    task.HasFolderField = true;
    task.FolderField = S("dir");
    task.IncludeNameExt = true;
    task.ImportType = TImportType::Update;
    task.ExtType = TImportExtType::OnlyExt;
    task.Ext = S("png");
    const QString file = In.filePath(S("task.ilt"));
    task.SaveToFile(file);

    Form->LoadTask(file);
    EXPECT_TRUE(Child<QComboBox>(Form.get(), "cbbFolderField")->isEnabled());
    EXPECT_TRUE(Child<QLineEdit>(Form.get(), "edtExt")->isEnabled());
    Form->FormToSession();
    EXPECT_TRUE(Form->Session().IsSame(task));
    EXPECT_FALSE(Form->Session().IsModified());

    task.Table = S("gone");
    task.SaveToFile(file);
    TLobImportForm other(nullptr, Services());
    other.FillSchemas();
    other.LoadTask(file);
    EXPECT_EQ(Text(&other, "cbTable"), QString());
    Click(&other, "btnImport");
    EXPECT_EQ(Prompter.Messages().last(), S("select a table"));
}

TEST_F(ImportForm, ImportsAFolderByteForByte)
{
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(char(i * 31 % 256));
    Write(S("one.bin"), binary);
    Write(S("two.txt"), QByteArray("line\r\nwith \x00 zero", 17));
    Write(S("empty.dat"), QByteArray());
    Form->SelectTable(Database, S("pics"));
    Child<QComboBox>(Form.get(), "cbNameField")->setCurrentText(S("name"));
    SetFolder(In.path());
    Click(Form.get(), "btnImport");

    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join(S("|")).toStdString();
    EXPECT_EQ(Scalar(S("select count(*) from pics")), S("3"));
    EXPECT_EQ(Scalar(S("select hex(body) from pics where name='one'")), QString::fromLatin1(binary.toHex().toUpper()));
    EXPECT_EQ(Scalar(S("select hex(body) from pics where name='two'")), S("6C696E650D0A776974682000207A65726F"));
    EXPECT_EQ(Scalar(S("select length(body) from pics where name='empty'")), S("0"));
    EXPECT_EQ(Text(Form.get(), "lblPercent"), S("100 %"));
    EXPECT_TRUE(Text(Form.get(), "lblMessage").startsWith(S("3 records,    Elapsed: ")));
    EXPECT_FALSE(Child<QPushButton>(Form.get(), "btnStop")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(Form.get(), "btnImport")->isEnabled());
}

TEST_F(ImportForm, APickedTableNamedLikeAnotherGetsTheRowsAndKeepsItsNameInTheTask)
{
    // Typed-name rules would read both as `pics`.
    for (const char* table : {" pics", "`pics`"}) {
        SCOPED_TRACE(table);
        const QString name = S(table);
        QString created = name;
        Exec(S("CREATE TABLE `%1` (id INT AUTO_INCREMENT PRIMARY KEY, name VARCHAR(100), body LONGBLOB)")
                 .arg(created.replace(S("`"), S("``"))));
        Write(S("one.bin"), QByteArray("\x00\xff one", 6));
        Form->FillSchemas();
        Form->SelectTable(Database, name);
        ASSERT_EQ(Text(Form.get(), "cbTable"), name);
        Child<QComboBox>(Form.get(), "cbNameField")->setCurrentText(S("name"));
        SetFolder(In.path());
        Click(Form.get(), "btnImport");
        EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join(S("|")).toStdString();
        EXPECT_EQ(Scalar(S("select concat(name, ':', hex(body)) from `%1`").arg(created)), S("one:00FF206F6E65"));
        EXPECT_EQ(Scalar(S("select count(*) from pics")), S("0"));

        const QString file = In.filePath(S("task.ilt"));
        Form->FormToSession();
        Form->Session().SaveToFile(file);
        TLobImportForm other(nullptr, Services());
        other.FillSchemas();
        other.LoadTask(file);
        EXPECT_EQ(Text(&other, "cbTable"), name);
        QFile::remove(file);
    }
}

namespace {

class ImportFormRun : public ImportForm {
protected:
    static constexpr int FileCount = 2000;

    void SetUp() override
    {
        ImportForm::SetUp();
        if (HasFatalFailure())
            return;
        for (int i = 0; i < FileCount; ++i)
            Write(S("f%1.txt").arg(i, 4, 10, QLatin1Char('0')), QByteArray::number(i));
        Form->SelectTable(Database, S("pics"));
        Child<QComboBox>(Form.get(), "cbNameField")->setCurrentText(S("name"));
        SetFolder(In.path());
    }

    int Done() { return Form->Executor().Converter().Status().Succeeded; }
};

}  // namespace

TEST_F(ImportFormRun, StopDuringTheRunEndsItBeforeTheNextFile)
{
    int doneAtStop = -1;
    bool inputsLocked = false;
    QString messageSeen;
    DuringRun(Form.get(), [&] {
        messageSeen = Text(Form.get(), "lblMessage");
        inputsLocked = !Child<QWidget>(Form.get(), "cbTable")->isEnabled()
                       && !Child<QWidget>(Form.get(), "edtLoadFolder")->isEnabled()
                       && !Child<QWidget>(Form.get(), "btnImport")->isEnabled()
                       && !Child<QWidget>(Form.get(), "btnSave")->isEnabled()
                       && Child<QWidget>(Form.get(), "btnStop")->isEnabled();
        doneAtStop = Done();
        Click(Form.get(), "btnStop");
    });
    Click(Form.get(), "btnImport");

    EXPECT_TRUE(messageSeen.contains(S(" records / 2000 records    Elapsed: "))) << messageSeen.toStdString();
    EXPECT_TRUE(inputsLocked);
    ASSERT_GT(doneAtStop, 0);
    ASSERT_LT(doneAtStop, FileCount);
    EXPECT_EQ(Scalar(S("select count(*) from pics")), QString::number(doneAtStop));
    EXPECT_EQ(Text(Form.get(), "lblPercent"), TProgressMonitor::PercentText(doneAtStop, FileCount));
    EXPECT_TRUE(Text(Form.get(), "lblMessage").startsWith(QString::number(doneAtStop) + S(" records,")));
    EXPECT_TRUE(Child<QWidget>(Form.get(), "cbTable")->isEnabled());
    EXPECT_FALSE(Child<QWidget>(Form.get(), "btnStop")->isEnabled());
    EXPECT_FALSE(Child<QWidget>(Form.get(), "cbbFolderField")->isEnabled()) << "own states come back";
}

TEST_F(ImportFormRun, ProgressStepsLayOutNothingAboveTheProgressPage)
{
    // Each step changes the labels' texts; a relayout of the tab widget
    // would repaint it whole, a hundred times a run.
    vqtest::EventTypeCounter counter(QEvent::LayoutRequest);
    auto* tabs = Child<QWidget>(Form.get(), "pgcOutput");
    tabs->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.Count = 0;
    Click(Form.get(), "btnImport");
    QCoreApplication::processEvents();

    EXPECT_EQ(Scalar(S("select count(*) from pics")), QString::number(FileCount));
    EXPECT_EQ(counter.Count, 0);
    EXPECT_EQ(Text(Form.get(), "lblPercent"), S("100 %"));
}

TEST_F(ImportFormRun, ClosingDuringTheRunStopsItThenAsksAndCloses)
{
    bool stillVisibleInRun = false;
    DuringRun(Form.get(), [&] {
        Form->close();
        stillVisibleInRun = Form->isVisible();
    });
    Click(Form.get(), "btnImport");

    EXPECT_TRUE(stillVisibleInRun) << "the dialog waits for the run";
    const int rows = Scalar(S("select count(*) from pics")).toInt();
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, FileCount);
    EXPECT_FALSE(Form->isVisible());
    // The task has a folder and no file: the close query asked after the run.
    ASSERT_EQ(Prompter.Messages().size(), 1);
    EXPECT_TRUE(Prompter.Messages()[0].startsWith(S("Save changed session now?\n")));
}

TEST_F(ImportForm, UnchangedDialogClosesWithoutAQuestion)
{
    Form->close();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(ImportForm, StopInsideALargeValueStoresNothingOfIt)
{
    Write(S("a_big.bin"), QByteArray(3 * 1024 * 1024 + 5, 'x'));   // four chunks
    Write(S("b_small.txt"), QByteArray("small"));
    Form->SelectTable(Database, S("pics"));
    Child<QComboBox>(Form.get(), "cbNameField")->setCurrentText(S("name"));
    SetFolder(In.path());
    // The first events of the run come between the big file's chunks.
    int ticks = 0;
    auto* timer = new QTimer(Form.get());
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [&] {
        if (++ticks == 1)
            Click(Form.get(), "btnStop");
    });
    timer->start();
    Click(Form.get(), "btnImport");
    timer->stop();

    EXPECT_EQ(Scalar(S("select count(*) from pics")), S("0"));
    EXPECT_EQ(Form->Executor().Converter().Status().Errors, 1);
    EXPECT_TRUE(Child<QPlainTextEdit>(Form.get(), "memOutput")->toPlainText().contains(S("a_big.bin")));
    // The statement was reset: the next run stores whole values.
    Click(Form.get(), "btnImport");
    EXPECT_EQ(Scalar(S("select count(*) from pics")), S("2"));
    EXPECT_EQ(Scalar(S("select length(body) from pics where name='a_big'")), QString::number(3 * 1024 * 1024 + 5));
}
