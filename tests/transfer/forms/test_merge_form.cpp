// The merge dialog against the test MariaDB: checks, typed names, the where
// clause as typed, the merged bytes and the output kept across runs.
#include "TransferFormsTestUtil.h"
#include "transfer/forms/UBrowseFileEdit.h"
#include "transfer/forms/ULobMergeForm.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace transferforms;

TEST(MergeFormValues, ChecksInTheirOrder)
{
    const struct {
        TLobMergeFormValues values;
        const char* message;
        const char* control;
    } cases[] = {
        {{S("db"), QString(), QString(), QString(), QString()}, "select a table", "cbTable"},
        {{S("db"), S("t"), QString(), QString(), S("/tmp/x")}, "select a lob field", "cbLobField"},
        {{S("db"), S("t"), QString(), S("body"), QString()}, "select a file", "edtSaveFile"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.values.Validate(), (TValidationFailure{S(c.message), S(c.control)})) << c.message;
    EXPECT_FALSE((TLobMergeFormValues{QString(), S("typed"), QString(), S("b"), S("f")}).Validate().has_value());
}

namespace {

class MergeForm : public TransferFormTest {
protected:
    void SetUp() override
    {
        TransferFormTest::SetUp();
        if (HasFatalFailure())
            return;
        MakeValues({QByteArray("one"), QByteArray(), QByteArray("\x00\r\n", 3), QByteArray(), QByteArray("last")});
        Form = std::make_unique<TLobMergeForm>(nullptr, Services());
        Form->FillSchemas();
        Form->show();
    }

    void TearDown() override
    {
        Form.reset();
        TransferFormTest::TearDown();
    }

    void SetTarget(const QString& file) { Child<TBrowseFileEdit>(Form.get(), "edtSaveFile")->SetFileName(file); }
    QString Memo() { return Child<QPlainTextEdit>(Form.get(), "memOutput")->toPlainText(); }

    std::unique_ptr<TLobMergeForm> Form;
};

}  // namespace

TEST_F(MergeForm, MergesTheValuesAndASecondRunAppendsItsOutput)
{
    EXPECT_EQ(Text(Form.get(), "cbTable"), S("t"));
    EXPECT_EQ(Text(Form.get(), "cbLobField"), S("body"));
    const QString file = OutPath(S("all.bin"));
    SetTarget(file);
    Click(Form.get(), "btnSave");
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join(S("|")).toStdString();
    // Each value followed by CR LF; the NULL row (the second) writes nothing.
    EXPECT_EQ(FilesBelow(OutPath()).value(S("all.bin")),
              QByteArray("one\r\n\x00\r\n\r\nlast\r\n", 16));
    const QString firstOutput = Memo();
    EXPECT_TRUE(firstOutput.startsWith(S("5 records,    Elapsed: "))) << firstOutput.toStdString();
    EXPECT_FALSE(Child<QPushButton>(Form.get(), "btnStop")->isEnabled());

    // A where clause over several lines goes to the merger as typed.
    auto* where = Child<QPlainTextEdit>(Form.get(), "memWhere");
    where->setPlainText(S("where id\n>= 4"));
    EXPECT_EQ(Form->Values().Where, S("where id\n>= 4"));
    Click(Form.get(), "btnSave");
    EXPECT_EQ(FilesBelow(OutPath()).value(S("all.bin")), QByteArray("last\r\n"));
    const QStringList lines = Memo().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << Memo().toStdString();
    EXPECT_EQ(lines[0], firstOutput) << "the output is kept across runs";
    EXPECT_TRUE(lines[1].startsWith(S("2 records,")));
}

TEST_F(MergeForm, TypedTableNamePassesAndStopBeforeAnyRunDoesNothing)
{
    Exec(S("CREATE TABLE later (id INT, doc TEXT)"));
    Exec(S("INSERT INTO later VALUES (1, 'typed')"));
    auto* stop = Child<QPushButton>(Form.get(), "btnStop");
    stop->setEnabled(true);
    Click(Form.get(), "btnStop");
    stop->setEnabled(false);

    auto* table = Child<QComboBox>(Form.get(), "cbTable");
    table->setEditText(S("later"));
    auto* field = Child<QComboBox>(Form.get(), "cbLobField");
    field->setEditText(S("doc"));
    Click(Form.get(), "btnSave");
    EXPECT_EQ(Prompter.Messages(), QStringList{S("select a file")});
    EXPECT_EQ(Form->focusWidget(), Child<TBrowseFileEdit>(Form.get(), "edtSaveFile")->Edit());

    SetTarget(OutPath(S("typed.txt")));
    Click(Form.get(), "btnSave");
    EXPECT_EQ(FilesBelow(OutPath()).value(S("typed.txt")), QByteArray("typed\r\n"));
}

TEST_F(MergeForm, RunThatFailsGoesToTheHandlerAfterTheMergerIsFreed)
{
    QStringList handled;
    SetAppExceptionHandler([&](const std::exception& e) { handled << ExceptionMessage(e); });
    Child<QComboBox>(Form.get(), "cbTable")->setEditText(S("no_such_table"));
    SetTarget(OutPath(S("x.bin")));
    Click(Form.get(), "btnSave");
    SetAppExceptionHandler(nullptr);
    ASSERT_EQ(handled.size(), 1);
    EXPECT_TRUE(handled[0].contains(S("no_such_table"))) << handled[0].toStdString();
    EXPECT_FALSE(Child<QPushButton>(Form.get(), "btnStop")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(Form.get(), "btnSave")->isEnabled());
}
