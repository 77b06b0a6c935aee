// The create-table dialog: its checks without a window, its grids under
// offscreen, and new tables on the test MariaDB.
#include "WorkspaceTestUtil.h"
#include "base/UAppException.h"
#include "db/UDataStructUtil.h"
#include "db/UDBDictionary.h"
#include "db/UMysqlTableCreator.h"
#include "db/UTableInfo.h"
#include "support/VqFakePrompter.h"
#include "workspace/UCreateTableCommand.h"
#include "workspace/UCreateTableDesign.h"
#include "workspace/UCreateTableDlg.h"
#include "workspace/UNewTableCreator.h"
#include "widgets/UQsci.h"
#include "workspace/UTableCreateHelper.h"
#include "workspace/UTableCreateExecuteForm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <gtest/gtest.h>

using wstest::S;

namespace {

TColumnRow Column(const char* name, const char* type, bool primaryKey = false)
{
    TColumnRow row;
    row.FieldName = S(name);
    row.DataType = S(type);
    row.PrimaryKey = primaryKey;
    return row;
}

TIndexRow Index(const char* name, const char* columns, int type = itUnique)
{
    return TIndexRow{S(name), S(columns), type};
}

TCreateTableDesign ValidDesign()
{
    TCreateTableDesign design;
    design.Schema = S("s");
    design.TableName = S("t");
    design.Columns = {Column("id", "int", true), Column("data", "blob")};
    design.Indexes = {Index("ix_data", "data", itNonUnique)};
    return design;
}

struct ValidateCase {
    const char* what;
    std::function<void(TCreateTableDesign&)> change;
    const char* message;
    TDesignTarget target;
    int row;
    int column;
};

const ValidateCase validateCases[] = {
    {"empty name", [](TCreateTableDesign& d) { d.TableName = S("  "); }, "Please input Table Name",
     TDesignTarget::TableName, -1, -1},
    {"blank in the name", [](TCreateTableDesign& d) { d.TableName = S("my t"); },
     "Table Name can not contain char \"    \".", TDesignTarget::TableName, -1, -1},
    {"no columns", [](TCreateTableDesign& d) { d.Columns.clear(); }, "No Field, Please add",
     TDesignTarget::ColumnsGrid, -1, -1},
    {"a new row", [](TCreateTableDesign& d) { d.Columns.append(TColumnRow()); },
     "Please input Field Name, Row: 3", TDesignTarget::ColumnCell, 2, cgFieldName},
    {"a named new row", [](TCreateTableDesign& d) { d.Columns.append(Column("x", "")); },
     "Please select Data Type, Row: 3", TDesignTarget::ColumnCell, 2, cgDataType},
    {"a bad column name", [](TCreateTableDesign& d) { d.Columns[1].FieldName = S("a#"); },
     "Field Name can not contain char \" #  \". Row: 2", TDesignTarget::ColumnCell, 1, cgFieldName},
    {"blob key", [](TCreateTableDesign& d) { d.Columns[1].PrimaryKey = true; },
     "can not set primary key to data type blob", TDesignTarget::ColumnCell, 1, cgPrimaryKey},
    {"a and A", [](TCreateTableDesign& d) { d.Columns = {Column("a", "int"), Column(" A ", "int")}; },
     "Duplicate column name \"A\" at row 1 and row 2", TDesignTarget::ColumnCell, 1, cgFieldName},
    {"empty index name", [](TCreateTableDesign& d) { d.Indexes.append(Index(" ", "id")); },
     "Please input Index Name, Row: 2", TDesignTarget::IndexCell, 1, igIndexName},
    {"bad index name", [](TCreateTableDesign& d) { d.Indexes.append(Index("ix.1", "id")); },
     "Index Name can not contain char \" .  \". Row: 2", TDesignTarget::IndexCell, 1, igIndexName},
    {"empty Columns", [](TCreateTableDesign& d) { d.Indexes.append(Index("ix_2", "")); },
     "Please input Columns, Row: 2", TDesignTarget::IndexCell, 1, igColumns},
    {"alike index names", [](TCreateTableDesign& d) { d.Indexes.append(Index("IX_Data", "id")); },
     "Duplicate index name \"IX_Data\" at row 1 and row 2", TDesignTarget::IndexCell, 1, igIndexName},
};

}  // namespace

TEST(CreateTableDesign, ValidationInItsOrder)
{
    TMysqlTableCreator creator;
    EXPECT_TRUE(ValidDesign().Validate(creator).IsValid());
    TCreateTableDesign binaryKey = ValidDesign();
    binaryKey.Columns = {Column("b", "binary(50)", true)};
    binaryKey.Indexes.clear();
    EXPECT_TRUE(binaryKey.Validate(creator).IsValid()) << "only the large-object list counts";

    for (const ValidateCase& c : validateCases) {
        TCreateTableDesign design = ValidDesign();
        c.change(design);
        const TDesignFault fault = design.Validate(creator);
        EXPECT_EQ(fault.Message, S(c.message)) << c.what;
        EXPECT_EQ(fault.Target, c.target) << c.what;
        EXPECT_EQ(fault.Row, c.row) << c.what;
        EXPECT_EQ(fault.Column, c.column) << c.what;
    }
}

TEST(CreateTableDesign, DescriptionFromTheGrids)
{
    TCreateTableDesign design;
    design.Schema = S(" s ");
    design.TableName = S(" t\t");
    TColumnRow id = Column(" id ", " int ", true);
    id.NotNull = true;
    id.AutoIncrement = true;
    id.DefaultValue = S(" 7 ");
    design.Columns = {id, Column("b", "text")};
    design.Indexes = {Index(" ix ", " b ", itUnique), Index("iy", "id", -1)};
    const std::unique_ptr<TTableInfo> info = design.ToTableInfo();
    EXPECT_EQ(info->Schema, S(" s ")) << "the schema as it stands";
    EXPECT_EQ(info->TableName, S("t"));
    EXPECT_EQ(info->Columns, (QStringList{S("id"), S("b")}));
    EXPECT_EQ(info->FieldTypes.Strings(), (QStringList{S("id=int"), S("b=text")}));
    EXPECT_EQ(info->NotNulls.Strings(), (QStringList{S("id=-1"), S("b=0")}));
    EXPECT_EQ(info->PrimaryKeys.Strings(), (QStringList{S("id=-1"), S("b=0")}));
    EXPECT_EQ(info->AutoIncrements.Strings(), (QStringList{S("id=-1"), S("b=0")}));
    EXPECT_EQ(info->DefaultValues.Strings(), QStringList{S("id=7")});
    EXPECT_EQ(info->IndexColumns.Strings(), (QStringList{S("ix=b"), S("iy=id")}));
    EXPECT_EQ(info->IndexTypes.Strings(), (QStringList{S("ix=UNIQUE"), S("iy=NON_UNIQUE")}));
}

TEST(CreateTableDesign, UniqueDisplayedNames)
{
    const QString head(60, QLatin1Char('h'));
    EXPECT_EQ(MakeUniqueName(S("a"), 64, 4), S("a_001"));
    EXPECT_EQ(MakeUniqueName(S("a_001"), 64, 4), S("a_001_001"));
    EXPECT_EQ(MakeUniqueName(head + S("_001"), 64, 4), head + S("_002"));
    EXPECT_EQ(MakeUniqueName(head + S("_x01"), 64, 4), head + S("_001"));

    TMysqlTableCreator creator;
    TTableInfo info;
    info.Schema = S("s");
    info.TableName = S("My Table");
    info.Columns = {S("a-b"), S("a_b"), S("A_B"), S("id")};
    info.FieldTypes.SetValue(S("a-b"), S("int"));
    info.PrimaryKeys.SetFlag(S("id"), true);
    info.IndexColumns.SetValue(S("IX_Both"), S("A-B,ID"));
    info.IndexTypes.SetValue(S("IX_Both"), S("NON_UNIQUE"));
    TNameValueList detected;
    const TCreateTableDesign design = TCreateTableDesign::FromTableInfo(info, creator, detected);
    EXPECT_EQ(design.TableName, S("my_table"));
    ASSERT_EQ(design.Columns.size(), 4);
    EXPECT_EQ(design.Columns[0].FieldName, S("a_b"));
    EXPECT_EQ(design.Columns[1].FieldName, S("a_b_001"));
    EXPECT_EQ(design.Columns[2].FieldName, S("a_b_001_001")) << "a short name counts from 1 again";
    EXPECT_TRUE(design.Columns[3].PrimaryKey);
    EXPECT_EQ(detected.Strings(), (QStringList{S("a_b=int"), S("a_b_001=varchar(255)"), S("a_b_001_001=varchar(255)"),
                                               S("id=varchar(255)")}));
    ASSERT_EQ(design.Indexes.size(), 1);
    EXPECT_EQ(design.Indexes[0].IndexName, S("IX_Both"));
    EXPECT_EQ(design.Indexes[0].Columns, S("a-b,id"));
    EXPECT_EQ(design.Indexes[0].IndexType, itNonUnique);
}

// The dialog under offscreen, without a server.
class CreateTableDlgTest : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        Dialog.SetTableCreator(&Creator);
        Columns = Dialog.findChild<QTableWidget*>(S("grdColumns"));
        Indexes = Dialog.findChild<QTableWidget*>(S("grdIndexes"));
        Mode = Dialog.findChild<QComboBox*>(S("cbbFieldTypeMode"));
        Pages = Dialog.findChild<QTabWidget*>(S("pcTable"));
    }

    void ChooseMode(const char* text)
    {
        Mode->setCurrentIndex(Mode->findText(S(text)));
        Q_EMIT Mode->activated(Mode->currentIndex());
    }

    QString Cell(QTableWidget* grid, int row, int column) { return grid->item(row, column)->text(); }
    bool Checked(int row, int column) { return Columns->item(row, column)->checkState() == Qt::Checked; }

    QApplication& App = vqtest::WidgetApp();   // before any widget
    TMysqlTableCreator Creator;
    TCreateTableDlg Dialog;
    QTableWidget* Columns = nullptr;
    QTableWidget* Indexes = nullptr;
    QComboBox* Mode = nullptr;
    QTabWidget* Pages = nullptr;
    vqtest::FakePrompter Prompter;
};

TEST_F(CreateTableDlgTest, ValidationMessagesFocusTheirPlace)
{
    Dialog.show();
    Dialog.activateWindow();
    QApplication::setActiveWindow(&Dialog);
    for (const ValidateCase& c : validateCases) {
        TCreateTableDesign design = ValidDesign();
        c.change(design);
        Dialog.LoadDesign(design);
        Pages->setCurrentIndex(c.target == TDesignTarget::ColumnCell ? 1 : 0);
        Prompter.Prompts.clear();
        EXPECT_FALSE(Dialog.Validate()) << c.what;
        EXPECT_EQ(Prompter.Messages(), QStringList{S(c.message)}) << c.what;
        QWidget* focused = QApplication::focusWidget();
        switch (c.target) {
        case TDesignTarget::TableName:
            EXPECT_EQ(focused, Dialog.findChild<QLineEdit*>(S("edtTableName"))) << c.what;
            break;
        case TDesignTarget::ColumnsGrid:
            EXPECT_EQ(Pages->currentWidget()->objectName(), S("tsColumns")) << c.what;
            EXPECT_EQ(focused, Columns) << c.what;
            break;
        case TDesignTarget::ColumnCell:
        case TDesignTarget::IndexCell: {
            QTableWidget* grid = c.target == TDesignTarget::ColumnCell ? Columns : Indexes;
            EXPECT_EQ(Pages->currentWidget(), grid->parentWidget()) << c.what;
            EXPECT_EQ(grid->currentRow(), c.row) << c.what;
            EXPECT_EQ(grid->currentColumn(), c.column) << c.what;
            EXPECT_EQ(focused, grid) << c.what;
            break;
        }
        case TDesignTarget::None:
            break;
        }
    }
}

TEST_F(CreateTableDlgTest, UncheckingNotNullClearsKeyAndAutoIncrement)
{
    TColumnRow row = Column("id", "int", true);
    row.NotNull = true;
    row.AutoIncrement = true;
    Dialog.LoadDesign(TCreateTableDesign{S(""), S("t"), {row, Column("b", "int")}, {}});
    Columns->item(1, cgNotNull)->setCheckState(Qt::Checked);
    EXPECT_FALSE(Checked(1, cgPrimaryKey)) << "checking Not Null changes nothing else";
    Columns->item(0, cgNotNull)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(Checked(0, cgPrimaryKey));
    EXPECT_FALSE(Checked(0, cgAutoInc));
}

TEST_F(CreateTableDlgTest, FieldTypeModeInAStructureAndInANewTable)
{
    EXPECT_EQ(Mode->count(), 3);
    EXPECT_EQ(Mode->itemText(0), S("Auto Detect"));
    TTableInfo info;
    info.TableName = S("t");
    info.Columns = {S("a"), S("b")};
    info.FieldTypes.SetValue(S("a"), S("int"));
    info.FieldTypes.SetValue(S("b"), S("longblob"));
    Dialog.LoadTableInfo(info);
    EXPECT_EQ(Mode->currentText(), S("Auto Detect"));
    ChooseMode("text");
    EXPECT_EQ(Cell(Columns, 0, cgDataType) + Cell(Columns, 1, cgDataType), S("texttext"));
    ChooseMode("Auto Detect");
    EXPECT_EQ(Cell(Columns, 0, cgDataType), S("int"));
    EXPECT_EQ(Cell(Columns, 1, cgDataType), S("longblob"));

    TCreateTableDlg fresh;
    fresh.SetTableCreator(&Creator);
    auto* grid = fresh.findChild<QTableWidget*>(S("grdColumns"));
    fresh.btnInsertColumnClick();
    grid->item(0, cgFieldName)->setText(S("new_one"));
    EXPECT_EQ(grid->item(0, cgDataType)->text(), QString()) << "a new row starts without a type";
    auto* mode = fresh.findChild<QComboBox*>(S("cbbFieldTypeMode"));
    EXPECT_EQ(mode->currentIndex(), -1);
    mode->setCurrentIndex(2);
    fresh.ApplyFieldTypeMode();
    EXPECT_EQ(grid->item(0, cgDataType)->text(), S("text"));
    mode->setCurrentIndex(0);
    fresh.ApplyFieldTypeMode();
    EXPECT_EQ(grid->item(0, cgDataType)->text(), QString());
}

TEST_F(CreateTableDlgTest, InsertAndDeleteRows)
{
    Dialog.btnDeleteColumnClick();
    EXPECT_TRUE(Prompter.Prompts.isEmpty()) << "an empty grid: nothing happens";
    Dialog.btnInsertColumnClick();
    Columns->item(0, cgFieldName)->setText(S("first"));
    Dialog.btnInsertColumnClick();
    Columns->item(1, cgFieldName)->setText(S("second"));
    Columns->setCurrentCell(0, 0);
    Dialog.btnInsertColumnClick();
    EXPECT_EQ(Columns->rowCount(), 3);
    EXPECT_EQ(Cell(Columns, 1, cgFieldName), QString()) << "inserted after the selected row";
    EXPECT_EQ(Cell(Columns, 2, cgFieldName), S("second"));
    Columns->setCurrentCell(-1, -1);
    Dialog.btnInsertColumnClick();
    EXPECT_EQ(Cell(Columns, 0, cgFieldName), QString()) << "without a selection at the top";

    Columns->setCurrentCell(-1, -1);
    Dialog.btnDeleteColumnClick();
    EXPECT_EQ(Prompter.Messages(), QStringList{S("Please select the COLUMN you want to delete.")});
    Columns->setCurrentCell(3, 0);
    Dialog.btnDeleteColumnClick();
    EXPECT_EQ(Columns->rowCount(), 3);
    EXPECT_EQ(Cell(Columns, 2, cgFieldName), QString());

    Dialog.btnInsertIndexClick();
    EXPECT_EQ(Cell(Indexes, 0, igIndexType), S("UNIQUE"));
    Indexes->setCurrentCell(-1, -1);
    Dialog.btnDeleteIndexClick();
    EXPECT_EQ(Prompter.Messages().last(), S("Please select the INDEX you want to delete."));
    Indexes->setCurrentCell(0, 1);
    Dialog.btnDeleteIndexClick();
    EXPECT_EQ(Indexes->rowCount(), 0);
}

TEST_F(CreateTableDlgTest, ViewOnlyShowsTheScriptOfTheStructure)
{
    Dialog.SetViewOnly();
    EXPECT_TRUE(Dialog.findChild<QToolButton*>(S("btnInsertColumn"))->isHidden());
    TTableInfo info;
    info.Schema = S("s");
    info.TableName = S("T-1");
    info.Columns = {S("ID")};
    info.FieldTypes.SetValue(S("ID"), S("int"));
    Dialog.LoadTableInfo(info);
    Dialog.pmiViewSQLClick();
    EXPECT_EQ(Dialog.findChild<QToolButton*>(S("btnChangeView"))->text(), S("View SQL"));
    EXPECT_TRUE(Dialog.findChild<QWidget*>(S("pnlDesign"))->isHidden());
    EXPECT_EQ(Dialog.findChild<QsciScintilla*>(S("synSql"))->text(),
              S("create table `t_1` (\r\n`id` int\r\n) default charset utf8 COLLATE utf8_general_ci\r\n"))
        << "the schema is not in the list, so none is selected";
    Dialog.pmiViewFormClick();
    EXPECT_FALSE(Dialog.findChild<QWidget*>(S("pnlDesign"))->isHidden());
    Dialog.OKBtnClick();
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Prompter.Prompts.isEmpty());
}

// New tables on the server.
class NewTableTest : public wstest::FactoryTest {
protected:
    static void FillDesign(TCreateTableDlg& dialog, const char* table)
    {
        TCreateTableDesign design;
        design.TableName = S(table);
        TColumnRow id = Column("id", "int", true);
        id.AutoIncrement = true;
        design.Columns = {id, Column("Data", "longblob"), Column("note", "varchar(20)")};
        design.Columns[2].DefaultValue = S("it's");
        design.Indexes = {Index("ix_note", "note", itNonUnique)};
        dialog.LoadDesign(design);
    }

    QString ColumnsOf(const char* table)
    {
        return Scalar(S("select group_concat(column_name order by ordinal_position) from information_schema.columns "
                        "where table_schema = '%1' and table_name = '%2'")
                          .arg(Database, S(table)));
    }

    vqtest::FakePrompter Prompter;
};

TEST_F(NewTableTest, AValidDesignCreatesTheTable)
{
    TNewTableCreator creator;
    creator.SetFactory(Factory.get());
    QString schemaShown;
    creator.OnPrepared = [&](TCreateTableCommand& command) {
        wstest::WhenModal([&] {
            TCreateTableDlg& dialog = *command.Dialog();
            schemaShown = dialog.findChild<QComboBox*>(S("cbbSchema"))->currentText();
            FillDesign(dialog, "t");
            wstest::WhenModal([&] { dialog.ExecuteForm()->findChild<QPushButton*>(S("BitBtn1"))->click(); });
            dialog.findChild<QPushButton*>(S("OKBtn"))->click();
        });
    };
    EXPECT_TRUE(creator.Execute());
    EXPECT_EQ(creator.TableName(), S("t"));
    EXPECT_EQ(schemaShown, Database) << "the current database is selected";
    EXPECT_EQ(Prompter.Messages(), QStringList{S("Table t created.")});
    EXPECT_EQ(ColumnsOf("t"), S("id,Data,note"));
    Connection->ExecSQL(S("insert into t (Data) values ('x')"));
    EXPECT_EQ(Scalar(S("select note from t")), S("it's"));
    EXPECT_EQ(Scalar(S("select count(*) from information_schema.statistics where table_schema = '%1' and "
                       "table_name = 't' and index_name = 'ix_note'").arg(Database)),
              S("1"));
}

TEST_F(NewTableTest, ARejectedScriptKeepsTheExecuteFormAndCancelShowsNothing)
{
    QStringList handled;
    SetAppExceptionHandler([&](const std::exception& e) { handled << ExceptionMessage(e); });
    TCreateTableCommand command;
    TMysqlTableCreator creator;
    command.SetTableCreator(&creator);
    command.SetDictionary(Factory->GetDictionary());
    creator.SetExecutor(Factory->GetSqlExecutor());
    TTableCreateHelper helper;
    command.SetCreateHelper(&helper);
    TCreateTableDlg& dialog = *command.Dialog();
    bool formKept = false;
    QString scriptKept;
    wstest::WhenModal([&] {
        FillDesign(dialog, "bad");
        TTableCreateExecuteForm* form = dialog.ExecuteForm();
        wstest::WhenModal([&, form] {
            auto* editor = form->findChild<QsciScintilla*>(S("edtSql"));
            editor->setText(S("create table bad (a nosuchtype)"));
            form->findChild<QPushButton*>(S("BitBtn1"))->click();
            formKept = form->isVisible();
            scriptKept = editor->text();
            form->findChild<QPushButton*>(S("BitBtn2"))->click();
        });
        dialog.findChild<QPushButton*>(S("OKBtn"))->click();
        EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open for corrections";
        dialog.findChild<QPushButton*>(S("CancelBtn"))->click();
    });
    EXPECT_FALSE(command.Execute());
    SetAppExceptionHandler(nullptr);
    EXPECT_TRUE(formKept);
    EXPECT_EQ(scriptKept, S("create table bad (a nosuchtype)"));
    ASSERT_EQ(handled.size(), 1);
    EXPECT_TRUE(handled[0].contains(S("nosuchtype"))) << handled[0].toStdString();
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << "cancel after a failure shows nothing";
    EXPECT_EQ(dialog.ExecuteForm()->Result(), S("canceled"));
    EXPECT_EQ(ColumnsOf("bad"), QString());
}
