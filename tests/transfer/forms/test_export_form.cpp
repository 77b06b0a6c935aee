// The export dialog: its checks, query rule and task mapping as plain values,
// and the dialog itself against the test MariaDB.
#include "TransferFormsTestUtil.h"
#include "settings/UQuenmarelSettings.h"
#include "transfer/ULobExportSession.h"
#include "transfer/forms/UBrowseFileEdit.h"
#include "transfer/forms/ULobExportForm.h"
#include "widgets/UQsci.h"
#include "transfer/forms/URadioGroup.h"

#include <QLineEdit>
#include <QPlainTextEdit>

using namespace transferforms;

namespace {

TLobExportFormValues FilledExportValues(const QString& folder)
{
    TLobExportFormValues values;
    values.Schema = S("shop");
    values.Table = S("pics");
    values.LobField = S("body");
    values.SaveTo = folder;
    return values;
}

}  // namespace

TEST(ExportFormValues, ChecksInTheirOrder)
{
    QTemporaryDir dir;
    const struct {
        std::function<void(TLobExportFormValues&)> change;
        const char* message;
        const char* control;
    } cases[] = {
        {[](auto& v) { v.Table.clear(); v.LobField.clear(); }, "select a table", "cbTable"},
        {[](auto& v) { v.FromType = TExportFromType::Query; v.QueryEditorText = S(" \n "); }, "input a query", "edtQuery"},
        {[](auto& v) { v.LobField.clear(); v.SaveTo.clear(); }, "select a lob field", "cbLobField"},
        {[](auto& v) { v.NameType = TExportNameType::FromField; }, "select a field as name", "cbNameField"},
        {[](auto& v) { v.ExtType = TExportExtType::FromField; }, "select a field as file extension", "cbExtField"},
        {[](auto& v) { v.SaveTo.clear(); }, "select a directory", "deSaveTo"},
        {[](auto& v) { v.SaveTo = S("select a directory"); }, "select a directory", "deSaveTo"},
        {[](auto& v) { v.SaveTo += S("/missing"); }, "The \"Save To\" folder is not exists.", "deSaveTo"},
        {[](auto& v) { v.SubFolderCreateType = TSubFolderCreateType::ByField; }, "select a field as sub folder", "cbSubFolderField"},
    };
    for (const auto& c : cases) {
        TLobExportFormValues values = FilledExportValues(dir.path());
        c.change(values);
        const TValidationResult result = values.Validate();
        ASSERT_TRUE(result.has_value()) << c.message;
        EXPECT_EQ(*result, (TValidationFailure{S(c.message), S(c.control)}));
    }
    // A custom extension may be empty; the folder's surrounding blanks are trimmed.
    TLobExportFormValues values = FilledExportValues(S(" ") + dir.path() + S(" "));
    values.Ext.clear();
    EXPECT_FALSE(values.Validate().has_value());
    values.FromType = TExportFromType::Query;
    values.Table.clear();
    values.QueryEditorText = S("select 1");
    EXPECT_FALSE(values.Validate().has_value());
}

TEST(ExportFormValues, QueryAndWhereAreSavedOnOneLineWithoutOneTrailingSemicolon)
{
    EXPECT_EQ(TLobExportFormValues::QueryText(S("  select * from t;  ")), S("select * from t"));
    EXPECT_EQ(TLobExportFormValues::QueryText(S("select * from t;;")), S("select * from t;"));
    EXPECT_EQ(TLobExportFormValues::QueryText(S("select 1")), S("select 1"));

    TLobExportFormValues values;
    values.Where = S("where a=1\r\nand b=2\rand c=3\nlimit 5");
    values.QueryEditorText = S("select *\r\nfrom t\n;");
    TLobExportSession session;
    values.ToSession(session);
    EXPECT_EQ(session.Where, S("where a=1 and b=2 and c=3 limit 5"));
    EXPECT_EQ(session.Query, S("select * from t "));
    EXPECT_EQ(session.FromType, TExportFromType::Table) << "the query is kept in table mode too";
}

namespace {

class ExportForm : public TransferFormTest {
protected:
    void SetUp() override
    {
        TransferFormTest::SetUp();
        if (HasFatalFailure())
            return;
        Exec(S("CREATE TABLE docs (id INT PRIMARY KEY, name VARCHAR(50), kind VARCHAR(10), body LONGBLOB)"));
        Exec(S("INSERT INTO docs VALUES (1, 'alpha', 'txt', X'00FF0D0A41'), (2, 'beta', 'bin', X''),"
               " (3, 'gamma', 'txt', NULL)"));
        Exec(S("CREATE TABLE blobs_only (body LONGBLOB)"));
        Form = std::make_unique<TLobExportForm>(nullptr, Services());
        Form->FillSchemas();
        Form->show();
    }

    void TearDown() override
    {
        Form.reset();
        TQuenmarelSettings::UseLobValueAsName = false;
        TransferFormTest::TearDown();
    }

    void Choose(const char* group, int index)
    {
        Child<TRadioGroup>(Form.get(), group)->findChildren<QAbstractButton*>().at(index)->click();
    }

    QsciScintilla* Query() { return Child<QsciScintilla>(Form.get(), "edtQuery"); }

    std::unique_ptr<TLobExportForm> Form;
};

}  // namespace

TEST_F(ExportForm, ModeSwitchAndShowLobFieldInQueryMode)
{
    EXPECT_EQ(Text(Form.get(), "cbTable"), S("blobs_only"));
    Form->SelectTable(Database, S("docs"));
    EXPECT_EQ(Items(Form.get(), "cbNameField"), (QStringList{S("id"), S("name"), S("kind")}));
    EXPECT_FALSE(Query()->isVisible());

    Choose("rgFromType", 1);
    EXPECT_TRUE(Query()->isVisible());
    EXPECT_TRUE(Child<QWidget>(Form.get(), "lblQuery")->isVisible());
    for (const char* name : {"cbbSchema", "cbTable", "memWhere", "lblSchema", "lblTable", "lblWhere"})
        EXPECT_FALSE(Child<QWidget>(Form.get(), name)->isVisible()) << name;
    for (const char* name : {"cbLobField", "cbNameField", "cbExtField", "cbSubFolderField"})
        EXPECT_TRUE(Items(Form.get(), name).isEmpty()) << name;

    Query()->setText(S("select name, body as content from docs;"));
    Click(Form.get(), "btnShowLob");
    EXPECT_EQ(Items(Form.get(), "cbLobField"), QStringList{S("content")});
    EXPECT_EQ(Items(Form.get(), "cbExtField"), QStringList{S("name")});

    // An invalid query reaches the application's handler; the dialog stays usable.
    QStringList handled;
    SetAppExceptionHandler([&](const std::exception& e) { handled << ExceptionMessage(e); });
    Query()->setText(S("select nothing from nowhere"));
    Click(Form.get(), "btnShowLob");
    SetAppExceptionHandler(nullptr);
    EXPECT_EQ(handled.size(), 1);

    Choose("rgFromType", 0);
    EXPECT_TRUE(Child<QWidget>(Form.get(), "cbTable")->isVisible());
    EXPECT_EQ(Items(Form.get(), "cbLobField"), QStringList{S("body")}) << "table mode lists the table again";
}

TEST_F(ExportForm, LobValuesAsNamesListLobColumnsToo)
{
    TQuenmarelSettings::UseLobValueAsName = true;
    Form->SelectTable(Database, S("docs"));
    EXPECT_EQ(Items(Form.get(), "cbNameField"), (QStringList{S("id"), S("name"), S("kind"), S("body")}));
    EXPECT_EQ(Items(Form.get(), "cbSubFolderField"), Items(Form.get(), "cbNameField"));
    EXPECT_EQ(Items(Form.get(), "cbExtField"), Items(Form.get(), "cbNameField"));

    // A table without name columns is listed again through its select-all query.
    TQuenmarelSettings::UseLobValueAsName = false;
    Form->SelectTable(Database, S("blobs_only"));
    EXPECT_EQ(Items(Form.get(), "cbLobField"), QStringList{S("body")});
    EXPECT_TRUE(Items(Form.get(), "cbNameField").isEmpty());
}

TEST_F(ExportForm, APickedTableIsReadByItsOwnName)
{
    // Each holds large objects only, so the dialog also lists it through its
    // select-all query; typed-name rules would read `docs` instead.
    const struct {
        const char* table;
        const char* created;
        const char* column;
    } cases[] = {
        {" docs", "` docs`", "blank_body"},
        {"`docs`", "```docs```", "tick_body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        Exec(S("CREATE TABLE %1 (%2 LONGBLOB)").arg(S(c.created), S(c.column)));
        Form->FillSchemas();
        Form->SelectTable(Database, S(c.table));
        ASSERT_EQ(Text(Form.get(), "cbTable"), S(c.table));
        EXPECT_EQ(Items(Form.get(), "cbLobField"), QStringList{S(c.column)});
        EXPECT_TRUE(Items(Form.get(), "cbNameField").isEmpty());
    }
}

TEST_F(ExportForm, HiddenQueryIsStillSavedAndTheExtensionEditFollowsTheChoice)
{
    auto* ext = Child<QLineEdit>(Form.get(), "edtExt");
    EXPECT_TRUE(ext->isEnabled()) << "Custom at start";
    Choose("rgExt", 0);
    EXPECT_FALSE(ext->isEnabled());

    Choose("rgFromType", 1);
    Query()->setText(S("select body\nfrom docs;"));
    Choose("rgFromType", 0);
    Child<QPlainTextEdit>(Form.get(), "memWhere")->setPlainText(S("where id < 3\nand id > 0"));
    Form->FormToSession();
    EXPECT_EQ(Form->Session().Query, S("select body from docs"));
    EXPECT_EQ(Form->Session().Where, S("where id < 3 and id > 0"));
    EXPECT_EQ(Form->Session().FromType, TExportFromType::Table);

    // A loaded query task fills the editor and the lists from its query; the
    // hidden table controls are saved as they stand.
    Child<QPlainTextEdit>(Form.get(), "memWhere")->clear();
    TLobExportSession task;
    task.Schema = Database;
    task.Table = S("blobs_only");
    task.FromType = TExportFromType::Query;
    task.Query = S("select kind, body from docs");
    task.LobField = S("body");
    task.NameType = TExportNameType::FromField;
    task.NameField = S("kind");
    task.ExtType = TExportExtType::Fixed;
    task.Ext = S("out");
    task.UnloadFolder = Out.path();
    task.SubFolderCreateType = TSubFolderCreateType::ByCount;
    task.SubCount = 7;
    const QString file = Out.filePath(S("task.elt"));
    task.SaveToFile(file);
    Form->LoadTask(file);
    EXPECT_TRUE(Query()->isVisible());
    EXPECT_EQ(Query()->text(), task.Query);
    EXPECT_EQ(Text(Form.get(), "cbNameField"), S("kind"));
    EXPECT_TRUE(ext->isEnabled());
    Form->FormToSession();
    EXPECT_TRUE(Form->Session().IsSame(task));
}

TEST_F(ExportForm, ExportsToDiskByteForByte)
{
    Form->SelectTable(Database, S("docs"));
    Choose("rgName", 0);
    Child<QComboBox>(Form.get(), "cbNameField")->setCurrentText(S("name"));
    Choose("rgExt", 0);
    Child<QComboBox>(Form.get(), "cbExtField")->setCurrentText(S("kind"));
    Child<TBrowseFileEdit>(Form.get(), "deSaveTo")->SetFileName(Out.path() + S("/missing"));
    Click(Form.get(), "btnExport");
    EXPECT_EQ(Prompter.Messages(), QStringList{S("The \"Save To\" folder is not exists.")});

    Child<TBrowseFileEdit>(Form.get(), "deSaveTo")->SetFileName(Out.path());
    Click(Form.get(), "btnExport");
    EXPECT_EQ(Prompter.Messages().size(), 1);
    const QMap<QString, QByteArray> files = FilesBelow(Out.path());
    EXPECT_EQ(files.value(S("alpha.txt")), QByteArray("\x00\xFF\r\nA", 5));
    EXPECT_TRUE(files.contains(S("beta.bin")));
    EXPECT_EQ(files.value(S("beta.bin")), QByteArray());
    EXPECT_EQ(Text(Form.get(), "lblPercent"), S("100 %"));
}
