// The data window against the real MariaDB: what a run sends and shows, the
// grid's pictures, buttons and typing, the navigator's writes, a refused
// post, paged reading, and SQL files.
#include "FieldEditorTestSupport.h"

#include "dataview/Pharostine.h"
#include "dataview/UDBGridModel.h"
#include "dataview/UDBNavigator.h"
#include "dataview/USqlForm.h"
#include "dataview/USqlGridDelegate.h"
#include "dataview/UStringEditor.h"
#include "base/UAppException.h"
#include "dataview/viewers/UMemoDBViewForm.h"
#include "platform/dac/UUniQuery.h"
#include "widgets/UQsci.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(SqlRunRules, TheSelectPrefixDecidesQueryOrScript)
{
    const struct {
        const char* text;
        bool query;
    } cases[] = {
        {"SELECT * FROM t", true},     {"  select 1", true},          {"\r\nselect 1", true},
        {"show tables", false},        {"describe t", false},         {"(select 1)", false},
        {"with a as (select 1) select * from a", false},              {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSqlRunRules::IsQueryText(S(c.text)), c.query) << c.text;
}

TEST(SqlRunRules, OneTrailingSemicolonIsDropped)
{
    const struct {
        std::optional<QString> given;
        const char* selection;
        const char* whole;
        const char* expected;
    } cases[] = {
        {std::nullopt, "", "select * from t;", "select * from t"},
        {std::nullopt, "", "select 1;;", "select 1;"},
        {std::nullopt, "", "  select 1;  \n", "select 1"},
        {std::nullopt, " select 2; ", "select 1;\nselect 2;", "select 2"},
        {S("select 1;\r\n"), "", "ignored", "select 1;\r\n"},   // a given text keeps it
        {S("select 1;"), "", "ignored", "select 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSqlRunRules::QueryText(c.given, S(c.selection), S(c.whole)), S(c.expected)) << c.whole;
    EXPECT_EQ(TSqlRunRules::ScriptText(QString(), S(" a;\n")), S(" a;\n"));
    EXPECT_EQ(TSqlRunRules::QueryCaption(S("select 1;\r\nselect 2")), S("Query - select 1;"));
}

TEST(SqlRunRules, ElapsedSecondsInTheLocalesGeneralFormat)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const struct {
        double ms;
        const QLocale& locale;
        const char* expected;
    } cases[] = {
        {16, english, "0.016 seconds. "}, {16, german, "0,016 seconds. "}, {1500, english, "1.5 seconds. "},
        {0, english, "0 seconds. "},      {1234567, german, "1234,567 seconds. "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSqlRunRules::ElapsedText(c.ms, c.locale), S(c.expected));
}

TEST(SqlRunRules, ColumnKindsAndPicturesByFieldType)
{
    const struct {
        TFieldType type;
        TGridColumnKind kind;
        const char* picture;   // of a non-empty value
    } cases[] = {
        {ftString, TGridColumnKind::TextButton, ""},       {ftFixedChar, TGridColumnKind::TextButton, ""},
        {ftWideString, TGridColumnKind::TextButton, ""},   {ftBytes, TGridColumnKind::BinaryButton, ""},
        {ftVarBytes, TGridColumnKind::BinaryButton, ""},   {ftInteger, TGridColumnKind::Plain, ""},
        {ftCurrency, TGridColumnKind::Plain, ""},          {ftMemo, TGridColumnKind::Picture, "5"},
        {ftWideMemo, TGridColumnKind::Picture, "1"},       {ftBlob, TGridColumnKind::Picture, "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TSqlRunRules::ColumnKindOf(c.type), c.kind) << FieldTypeName(c.type).toStdString();
        if (c.kind == TGridColumnKind::Picture) {
            EXPECT_EQ(TSqlRunRules::LobCellPicture(c.type, 3, nullptr), S(c.picture));
            EXPECT_EQ(TSqlRunRules::LobCellPicture(c.type, 0, nullptr), S("0"));
        }
    }
}

// A data window on the test's own database; a latin1 session over latin1
// tables, so TEXT is ftMemo and every column can be written.
class SqlForm : public dactest::DacTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        DacTest::SetUp();
        if (HasFatalFailure())
            return;
        Form = std::make_unique<TSqlForm>(nullptr, Connection.get());
        Form->resize(900, 600);
    }

    void TearDown() override
    {
        Form.reset();
        DacTest::TearDown();
    }

    bool UseUnicode() const override { return false; }

    void Run(const QString& sql)
    {
        Form->SetSqlText(sql);
        Form->actRunSql->trigger();
    }
    bool GridShown() const { return !Form->pnlGrid->isHidden() && Form->pnlInfo->isHidden(); }
    bool InfoShown() const { return Form->pnlGrid->isHidden() && !Form->pnlInfo->isHidden(); }
    QColor InfoColor() const { return Form->memInfo->palette().color(QPalette::Text); }
    QStringList InfoLines() const { return Form->memInfo->toPlainText().split(QLatin1Char('\n')); }
    QModelIndex Cell(int row, int column) const { return Form->GridModel()->index(row, column); }
    // Return in a cell editor: the view commits and closes it from the event loop.
    static void PressReturn(QWidget* editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    int Rows(const char* table) { return Scalar(QStringLiteral("select count(*) from ") + QLatin1String(table)).toInt(); }
    // Text opens the string editor on the current cell; replaces its text with
    // typed, closes it and answers "Save Changes?" with Yes.
    void TypeInStringEditorAndSave(const QString& typed)
    {
        Prompter.QueueAnswer(TPromptAnswer::Yes);
        QTimer::singleShot(0, [typed] {
            auto* form = static_cast<TFieldEditForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            auto* memo = static_cast<TMemoDBViewForm*>(form->CurrentView())->Memo();
            memo->selectAll();
            QTest::keyClicks(memo, typed);
            form->close();
        });
        GuardedCall([&] { Form->OnTextClick(); });   // as the button's slot runs it
    }

    std::unique_ptr<TSqlForm> Form;
    vqtest::FakePrompter Prompter;
};

const QRegularExpression elapsedLine(QStringLiteral("^\\d+([.,]\\d+)? seconds\\. $"));

TEST_F(SqlForm, OnlyTheSelectedQueryRunsAndTheCaptionTakesTheFirstLine)
{
    Form->SetSqlText(S("select 1 as a;\nselect 2 as b;"));
    Form->edtSql->setSelection(1, 0, 1, 14);
    Form->actRunSql->trigger();
    EXPECT_TRUE(GridShown());
    ASSERT_EQ(Form->DataSetSql()->FieldCount(), 1);
    EXPECT_EQ(Form->DataSetSql()->Fields(0)->FieldName(), S("b"));
    EXPECT_EQ(Form->windowTitle(), S("Query - select 1 as a;"));
    EXPECT_GE(Form->ElapsedTime(), 0);
}

TEST_F(SqlForm, RunOutcomes)
{
    Connection->ExecSQL(S("create table t (id int primary key, s varchar(20)) charset latin1"));
    Form->show();
    // A refused query: its message in red, the caption changed all the same.
    Run(S("select * from nosuch"));
    EXPECT_TRUE(InfoShown());
    EXPECT_TRUE(Form->memInfo->toPlainText().contains(S("nosuch"))) << Form->memInfo->toPlainText().toStdString();
    EXPECT_EQ(InfoColor(), QColor(Qt::red));
    EXPECT_EQ(Form->windowTitle(), S("Query - select * from nosuch"));

    // A script without rows: only the elapsed line, black again.
    Run(S("insert into t values (9, 'x')"));
    EXPECT_TRUE(InfoShown());
    EXPECT_EQ(InfoLines().size(), 1);
    EXPECT_TRUE(elapsedLine.match(InfoLines().value(0)).hasMatch()) << Form->memInfo->toPlainText().toStdString();
    EXPECT_EQ(InfoColor(), QColor(Qt::black));

    // A failing insert: message, empty line, elapsed line, all red.
    Run(S("insert into t values (9, 'again')"));
    const QStringList lines = InfoLines();
    ASSERT_EQ(lines.size(), 3) << Form->memInfo->toPlainText().toStdString();
    EXPECT_TRUE(lines[0].contains(S("Duplicate entry")));
    EXPECT_EQ(lines[1], QString());
    EXPECT_TRUE(elapsedLine.match(lines[2]).hasMatch());
    EXPECT_EQ(InfoColor(), QColor(Qt::red));

    // The rows of the script's last statement show, its insert sent once.
    Run(S("insert into t values (1, 'one');\nselect * from t order by id"));
    EXPECT_TRUE(GridShown());
    EXPECT_EQ(Rows("t where id = 1"), 1);
    EXPECT_EQ(Form->GridModel()->rowCount(), 2);
    EXPECT_EQ(Form->ColumnKind(1), TGridColumnKind::TextButton);

    // A select first runs as one query, which the server refuses: nothing inserted.
    Run(S("select * from t; insert into t values (2, 'two')"));
    EXPECT_TRUE(InfoShown());
    EXPECT_EQ(InfoColor(), QColor(Qt::red));
    EXPECT_EQ(Rows("t"), 2);
}

TEST_F(SqlForm, TheElapsedLineFollowsTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Run(S("do sleep(0.02)"));
    QLocale::setDefault(previous);
    const QString line = InfoLines().value(0);
    EXPECT_TRUE(elapsedLine.match(line).hasMatch()) << line.toStdString();
    EXPECT_FALSE(line.contains(QLatin1Char('.')) && line.indexOf(QLatin1Char('.')) < line.indexOf(QLatin1Char(' ')))
        << "a German decimal comma: " << line.toStdString();
}

TEST_F(SqlForm, GridCellsShowPicturesButtonsAndRefuseTyping)
{
    Connection->ExecSQL(S("create table g (id int primary key, s varchar(10), v varbinary(10), tx text, bl blob) charset latin1"));
    Connection->ExecSQL(S("insert into g values (1, 'a', x'00', null, ''), (2, 'b', x'01', '', 'x'),"
                          " (3, 'c', null, 'text', null)"));
    Run(S("select * from g order by id"));
    ASSERT_TRUE(GridShown());
    const TSqlGridDelegate* delegate = Form->GridDelegate();
    const struct {
        int row;
        const char* tx;
        const char* bl;
    } pictures[] = {{0, "0", "0"}, {1, "0", "1"}, {2, "5", "0"}};
    for (const auto& p : pictures) {
        EXPECT_EQ(delegate->PictureOf(Cell(p.row, 3)), S(p.tx)) << p.row;
        EXPECT_EQ(delegate->PictureOf(Cell(p.row, 4)), S(p.bl)) << p.row;
    }
    EXPECT_EQ(delegate->PictureOf(Cell(0, 1)), QString());
    const TGridColumnKind kinds[] = {TGridColumnKind::Plain, TGridColumnKind::TextButton,
                                     TGridColumnKind::BinaryButton, TGridColumnKind::Picture,
                                     TGridColumnKind::Picture};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(Form->ColumnKind(c), kinds[c]) << c;

    // Typing: refused in binary and large-object cells, taken in a string cell.
    for (int c : {2, 3, 4})
        EXPECT_FALSE(Form->GridModel()->flags(Cell(0, c)) & Qt::ItemIsEditable) << c;
    Form->show();
    Form->grdData->setCurrentIndex(Cell(0, 1));
    QTest::keyClicks(Form->grdData, S("z"));
    QLineEdit* cellEditor = Form->grdData->findChild<QLineEdit*>();
    ASSERT_NE(cellEditor, nullptr) << "typing opened the cell's editor";
    EXPECT_EQ(cellEditor->text(), S("z"));
    Form->GridDelegate()->setModelData(cellEditor, Form->GridModel(), Cell(0, 1));
    EXPECT_EQ(Form->DataSetSql()->State(), dsEdit);
    EXPECT_EQ(Form->DataSetSql()->FieldByName(S("s"))->AsString(), S("z"));
    Form->dbnvgr1->Button(TDBNavigator::nbCancel)->trigger();

    // A click on a string or a numeric cell opens nothing.
    for (int c : {0, 1}) {
        const QRect rect = Form->grdData->visualRect(Cell(1, c));
        QTest::mouseClick(Form->grdData->viewport(), Qt::LeftButton, {}, rect.topLeft() + QPoint(3, 3));
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(Form->DataSetSql()->RecNo(), 2);
}

TEST_F(SqlForm, ALargeObjectClickOfAReadOnlyResultOpensTheEditorReadOnly)
{
    Connection->ExecSQL(S("create table r (tx text) charset latin1"));   // no key: read-only
    Connection->ExecSQL(S("insert into r values ('first'), ('second')"));
    Run(S("select tx from r"));
    ASSERT_FALSE(Form->DataSetSql()->CanModify());
    Form->show();
    QString caption;
    bool gridDisabled = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        caption = modal->windowTitle();
        gridDisabled = !Form->grdData->isEnabled();
        modal->close();
    });
    const QRect rect = Form->grdData->visualRect(Cell(1, 0));
    QTest::mouseClick(Form->grdData->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(caption, S("Column: tx  (ReadOnly)"));
    EXPECT_TRUE(gridDisabled);
    EXPECT_TRUE(Form->grdData->isEnabled());
    EXPECT_EQ(Form->LobEditor()->DataSource(), nullptr) << "unbound after the run";
}

TEST_F(SqlForm, TheNavigatorInsertsAndDeletesOnTheServer)
{
    Connection->ExecSQL(S("create table n (id int primary key, s varchar(10)) charset latin1"));
    Connection->ExecSQL(S("insert into n values (1, 'a'), (2, 'b')"));
    Run(S("select * from n order by id"));
    TDBNavigator* nav = Form->dbnvgr1;
    EXPECT_FALSE(nav->Button(TDBNavigator::nbPost)->isEnabled());
    EXPECT_FALSE(nav->Button(TDBNavigator::nbFirst)->isEnabled()) << "on the first row";
    EXPECT_TRUE(nav->Button(TDBNavigator::nbInsert)->isEnabled());

    nav->BtnClick(TDBNavigator::nbInsert);
    EXPECT_TRUE(nav->Button(TDBNavigator::nbPost)->isEnabled());
    Form->DataSetSql()->FieldByName(S("id"))->SetAsString(S("3"));
    Form->DataSetSql()->FieldByName(S("s"))->SetAsString(S("c"));
    nav->Button(TDBNavigator::nbPost)->trigger();
    EXPECT_EQ(Scalar(S("select s from n where id = 3")), S("c"));

    const struct {
        TPromptAnswer answer;
        int left;
    } deletes[] = {{TPromptAnswer::Cancel, 3}, {TPromptAnswer::OK, 2}};
    for (const auto& d : deletes) {
        Prompter.Prompts.clear();
        Prompter.QueueAnswer(d.answer);
        nav->Button(TDBNavigator::nbDelete)->trigger();
        ASSERT_EQ(Prompter.Messages(), QStringList{S("Delete record?")});
        EXPECT_EQ(Prompter.Prompts[0].buttons, TPromptButtons(pbOK | pbCancel));
        EXPECT_EQ(Rows("n"), d.left);
    }
}

TEST_F(SqlForm, ARefusedPostShowsTheErrorAndKeepsTheRow)
{
    Connection->ExecSQL(S("create table d (id int primary key, s varchar(10) unique) charset latin1"));
    Connection->ExecSQL(S("insert into d values (1, 'a'), (2, 'b')"));
    Run(S("select * from d order by id"));
    // The abort that follows the box reaches the guards and says nothing more.
    QStringList handled;
    SetAppExceptionHandler([&](const std::exception& e) { handled << ExceptionMessage(e); });
    struct Unset {
        ~Unset() { SetAppExceptionHandler({}); }
    } unset;
    const auto expectRefused = [&](TDataSetState state, const char* where) {
        SCOPED_TRACE(where);
        ASSERT_EQ(Prompter.Prompts.size(), 1);
        EXPECT_EQ(Prompter.Prompts[0].title, S("Error"));
        EXPECT_EQ(Prompter.Prompts[0].kind, TPromptKind::Error);
        EXPECT_TRUE(Prompter.Prompts[0].text.contains(S("Duplicate entry")));
        EXPECT_TRUE(Form->memInfo->toPlainText().contains(S("Duplicate entry")));
        EXPECT_EQ(InfoColor(), QColor(Qt::red));
        EXPECT_TRUE(GridShown()) << "the grid stays";
        EXPECT_EQ(Form->DataSetSql()->State(), state);
        EXPECT_EQ(Rows("d"), 2);
    };

    // From the grid's navigator: a new row with a taken key.
    Form->dbnvgr1->Button(TDBNavigator::nbInsert)->trigger();
    Form->DataSetSql()->FieldByName(S("id"))->SetAsString(S("1"));
    Form->dbnvgr1->Button(TDBNavigator::nbPost)->trigger();
    expectRefused(dsInsert, "grid");
    EXPECT_EQ(Form->DataSetSql()->FieldByName(S("id"))->AsString(), S("1")) << "the typed value kept";
    Form->dbnvgr1->Button(TDBNavigator::nbCancel)->trigger();

    // From the string editor: "Save Changes?" Yes on a taken value.
    Prompter.Prompts.clear();
    Form->show();
    Form->grdData->setCurrentIndex(Cell(1, 1));
    TypeInStringEditorAndSave(S("a"));
    ASSERT_GE(Prompter.Prompts.size(), 1);
    EXPECT_EQ(Prompter.Prompts.takeFirst().text, S("Save Changes?"));
    expectRefused(dsEdit, "field editor");
    EXPECT_TRUE(Form->grdData->isEnabled());
    EXPECT_EQ(Scalar(S("select s from d where id = 2")), S("b"));
    EXPECT_EQ(handled, QStringList());
}

// A cell's own editor, open when its button opens the string editor, is
// closed with the editor: it would hand its old text back.
TEST_F(SqlForm, TheFieldEditorClosesTheCellsEditor)
{
    Connection->ExecSQL(S("create table e (id int primary key, s varchar(10)) charset latin1"));
    Connection->ExecSQL(S("insert into e values (1, 'a'), (2, 'b')"));
    Run(S("select * from e order by id"));
    Form->show();
    Form->grdData->setCurrentIndex(Cell(0, 1));
    QTest::keyClicks(Form->grdData, S("z"));
    ASSERT_NE(Form->grdData->indexWidget(Cell(0, 1)), nullptr) << "typing opened the cell's editor";
    TypeInStringEditorAndSave(S("typed"));
    QApplication::processEvents();
    EXPECT_EQ(Form->grdData->indexWidget(Cell(0, 1)), nullptr);
    EXPECT_EQ(Form->DataSetSql()->State(), dsBrowse);
    EXPECT_EQ(Scalar(S("select s from e where id = 1")), S("typed"));
    EXPECT_EQ(Scalar(S("select s from e where id = 2")), S("b"));
}

TEST_F(SqlForm, ALargeTableReadsFifteenRowsAndAnotherWindowLeavesItWhole)
{
    Connection->ExecSQL(S("create table big (id int primary key) charset latin1"));
    Connection->ExecSQL(S("insert into big select seq from seq_1_to_100000"));
    Run(S("select * from big order by id"));
    EXPECT_EQ(Form->DataSetSql()->KeptRowCount(), 15);
    EXPECT_EQ(Form->GridModel()->rowCount(), 15);

    // A second window on the same connection while the first is partly read.
    TSqlForm second(nullptr, Connection.get());
    second.SetSqlText(S("select count(*) as c from big"));
    second.actRunSqlExecute();
    EXPECT_EQ(second.DataSetSql()->Fields(0)->AsString(), S("100000"));
    TUniQuery* first = Form->DataSetSql();
    ASSERT_TRUE(first->Active());
    first->Last();
    EXPECT_EQ(first->RecNo(), 100000);
    EXPECT_EQ(first->FieldByName(S("id"))->AsString(), S("100000"));
    EXPECT_EQ(Form->GridModel()->rowCount(), 100000);

    // Re-running a partly read result does not read it to its end.
    Run(S("select * from big order by id"));
    EXPECT_EQ(Form->DataSetSql()->KeptRowCount(), 15);
}

TEST_F(SqlForm, SqlFilesRoundTrip)
{
    QTemporaryDir dir;
    const QString text = S("select 'Grüße €' from t;\n-- end\n");
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"utf8.sql", text.toUtf8()},
        {"bom.sql", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
        {"cp1252.sql", QByteArray("select 'Gr\xFC\xDF" "e \x80' from t;\n-- end\n")},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const QString path = dir.filePath(QLatin1String(f.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.bytes);
        file.close();
        Prompter.QueueText(path);
        Form->tbLoad->click();
        EXPECT_EQ(Form->GetSqlText(), text);
        const QString saved = dir.filePath(S("out.sql"));
        Prompter.QueueText(saved);
        Form->tbSave->click();
        QFile out(saved);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        EXPECT_EQ(out.readAll(), text.toUtf8()) << "UTF-8 without a mark";
    }
    const vqtest::RecordedPrompt& open = Prompter.Prompts[0];
    EXPECT_EQ(open.options.Filter, S("Sql file (*.sql)|*.sql"));
    EXPECT_EQ(open.options.DefaultExt, S("sql"));

    // A file that cannot be read leaves the editor as it was.
    Prompter.QueueText(dir.filePath(S("missing.sql")));
    Form->tbLoad->click();
    EXPECT_EQ(Form->GetSqlText(), text);
}

}  // namespace

namespace {

// The row of table e as "s|n|t" ("<null>" for NULL).
const char* const eRowSql = "select concat_ws('|', ifnull(s, '<null>'), ifnull(n, '<null>'), ifnull(t, '<null>')) "
                            "from e where id = %1";

}  // namespace

TEST_F(SqlForm, ACellEditorSetsOnlyWhatTheUserTyped)
{
    Connection->ExecSQL(S("create table e (id int primary key, s varchar(10), n int, t varchar(10)) charset latin1"));
    const auto reset = [&] {
        Connection->ExecSQL(S("delete from e"));
        Connection->ExecSQL(S("insert into e values (1, null, null, 'text'), (2, null, null, 'other')"));
    };
    enum class TTyping { None, TypedAndErased, Erased };
    const struct {
        int column;
        TTyping typing;
        bool sets;
        const char* row1;
    } cases[] = {
        {1, TTyping::None, false, "<null>|<null>|text"},
        {2, TTyping::None, false, "<null>|<null>|text"},
        {3, TTyping::None, false, "<null>|<null>|text"},
        {1, TTyping::TypedAndErased, true, "|<null>|text"},
        {3, TTyping::Erased, true, "<null>|<null>|"},
    };
    Form->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        reset();
        Run(S("select * from e order by id"));
        ASSERT_TRUE(GridShown());
        const QModelIndex cell = Cell(0, c.column);
        Form->grdData->setCurrentIndex(cell);
        Form->grdData->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(Form->grdData->indexWidget(cell));
        ASSERT_NE(editor, nullptr);
        if (c.typing == TTyping::TypedAndErased) {
            QTest::keyClicks(editor, S("ab"));
            QTest::keyClick(editor, Qt::Key_Backspace);
            QTest::keyClick(editor, Qt::Key_Backspace);
        } else if (c.typing == TTyping::Erased) {
            editor->selectAll();
            QTest::keyClick(editor, Qt::Key_Delete);
        }
        ASSERT_EQ(editor->text(), c.typing == TTyping::None && c.column == 3 ? S("text") : QString());
        PressReturn(editor);
        EXPECT_EQ(Form->grdData->indexWidget(cell), nullptr) << "the editor closed";
        EXPECT_EQ(Form->DataSetSql()->State(), c.sets ? dsEdit : dsBrowse);
        EXPECT_EQ(Form->DataSetSql()->Modified(), c.sets);
        if (c.sets)
            Form->dbnvgr1->Button(TDBNavigator::nbPost)->trigger();
        EXPECT_EQ(Scalar(S(eRowSql).arg(1)), S(c.row1));
        EXPECT_EQ(Scalar(S(eRowSql).arg(2)), S("<null>|<null>|other"));
    }
    EXPECT_TRUE(Prompter.Prompts.isEmpty()) << Prompter.Messages().join(S("\n")).toStdString();
}

TEST_F(SqlForm, ATooLongValueStaysInTheCellEditorToBeShortened)
{
    Connection->ExecSQL(S("create table w (id int primary key, s varchar(3)) charset latin1"));
    Connection->ExecSQL(S("insert into w values (1, 'abc'), (2, 'xyz')"));
    Run(S("select * from w order by id"));
    QStringList shown;   // the application's handler shows a slot's error
    SetAppExceptionHandler([&](const std::exception& e) { shown << ExceptionMessage(e); });
    struct Unset {
        ~Unset() { SetAppExceptionHandler({}); }
    } unset;
    Form->show();
    const QModelIndex cell = Cell(0, 1);
    Form->grdData->setCurrentIndex(cell);
    Form->grdData->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(Form->grdData->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, S("abcdef"));
    PressReturn(editor);

    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(S("too long"))) << shown[0].toStdString();
    editor = qobject_cast<QLineEdit*>(Form->grdData->indexWidget(cell));
    ASSERT_NE(editor, nullptr) << "the cell's editor is open again";
    EXPECT_EQ(editor->text(), S("abcdef"));
    EXPECT_EQ(Form->DataSetSql()->State(), dsEdit);

    editor->end(false);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(editor, Qt::Key_Backspace);
    PressReturn(editor);
    Form->dbnvgr1->Button(TDBNavigator::nbPost)->trigger();
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(Scalar(S("select group_concat(s order by id) from w")), S("ab,xyz"));
}

TEST_F(SqlForm, TheLargeObjectOfTheOtherAliasOfASelfJoinOpensReadOnly)
{
    Connection->ExecSQL(S("create table sj (id int primary key, parent int, tx text) charset latin1"));
    Connection->ExecSQL(S("insert into sj values (1, 2, 'first'), (2, 1, 'second')"));
    Run(S("select a.id, a.tx, b.tx as btx from sj a join sj b on b.id = a.parent order by a.id"));
    ASSERT_TRUE(Form->DataSetSql()->CanModify());
    Form->show();
    const struct {
        int column;
        bool readOnly;
    } cases[] = {{1, false}, {2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        QString caption;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            caption = modal->windowTitle();
            modal->close();
        });
        const QRect rect = Form->grdData->visualRect(Cell(0, c.column));
        QTest::mouseClick(Form->grdData->viewport(), Qt::LeftButton, {}, rect.center());
        EXPECT_EQ(caption.contains(S("(ReadOnly)")), c.readOnly) << caption.toStdString();
    }
    EXPECT_EQ(Scalar(S("select group_concat(tx order by id) from sj")), S("first,second"));
}
