// The database object tree against the test MariaDB, on widgets under offscreen.
#include "WorkspaceTestUtil.h"
#include "base/UAppException.h"
#include "db/UDBDictionary.h"
#include "support/VqFakePrompter.h"
#include "workspace/UCreateTableDesign.h"
#include "workspace/UCreateTableDlg.h"
#include "workspace/UDBObjectView.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

using wstest::S;

namespace {

const char* const oddTable = "odd `name` x";

class ObjectViewTest : public wstest::FactoryTest {
protected:
    void SetUp() override
    {
        FactoryTest::SetUp();
        if (HasFatalFailure())
            return;
        // The main window's own three items follow the tree's five.
        for (const char* caption : {"View/Edit Data", "Import LOB", "Export LOB"})
            Menu.addAction(S(caption));
        View = std::make_unique<TDBObjectView>(
            TDBObjectViewControls{&Tree, &Label, &Combo, TDBObjectView::DefaultIcons(), &Menu});
    }

    void TearDown() override
    {
        View.reset();
        FactoryTest::TearDown();
    }

    QTreeWidgetItem* Branch(const char* text)
    {
        QTreeWidgetItem* root = Tree.topLevelItem(0);
        for (int i = 0; root && i < root->childCount(); ++i) {
            if (root->child(i)->text(0) == S(text))
                return root->child(i);
        }
        return nullptr;
    }

    QStringList Names(const char* branch)
    {
        QStringList names;
        QTreeWidgetItem* node = Branch(branch);
        for (int i = 0; node && i < node->childCount(); ++i)
            names << node->child(i)->text(0);
        return names;
    }

    void Select(const char* branch, const char* name)
    {
        QTreeWidgetItem* node = Branch(branch);
        for (int i = 0; node && i < node->childCount(); ++i) {
            if (node->child(i)->text(0) == S(name))
                Tree.setCurrentItem(node->child(i));
        }
    }

    QStringList Captions()
    {
        QStringList captions;
        for (QAction* action : Menu.actions())
            captions << action->text();
        return captions;
    }

    QApplication& App = vqtest::WidgetApp();   // before any widget
    QTreeWidget Tree;
    QLabel Label;
    QComboBox Combo;
    QMenu Menu;
    std::unique_ptr<TDBObjectView> View;
    vqtest::FakePrompter Prompter;
};

}  // namespace

TEST_F(ObjectViewTest, ConnectFillsSchemasAndAnEmptyTree)
{
    EXPECT_FALSE(View->RefreshItem()->isEnabled()) << "disconnected at first";
    View->SetOnViewData([](QObject*) {});
    View->Connect(Factory.get());
    EXPECT_GE(Combo.findText(S("mysql")), 0);
    EXPECT_EQ(Combo.currentText(), Database);
    EXPECT_TRUE(Combo.isEnabled());
    EXPECT_EQ(Factory->GetDictionary()->CurrentSchema(), Database);
    ASSERT_EQ(Tree.topLevelItemCount(), 1);
    EXPECT_EQ(Tree.topLevelItem(0)->text(0), Database);
    EXPECT_EQ(Tree.topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(Names("Tables"), QStringList());
    EXPECT_EQ(Names("Views"), QStringList());
    for (QAction* item : {View->RefreshItem(), View->CreateItem(), View->DropItem(), View->StructItem(),
                          View->DataItem()})
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
    EXPECT_EQ(Captions(), (QStringList{S("Refresh"), S("Create Table"), S("Drop Table"), S("View Table Struct"),
                                       S("View Table Data"), S("View/Edit Data"), S("Import LOB"), S("Export LOB")}));
    EXPECT_EQ(View->RefreshItem()->toolTip(), S("Refresh Object Tree"));
}

TEST_F(ObjectViewTest, TablesAndViewsInOrderAndTheSelectionRules)
{
    Connection->ExecSQL(S("create table b_table (id int)"));
    Connection->ExecSQL(S("create table a_table (id int)"));
    Connection->ExecSQL(S("create view v_one as select id from a_table"));
    QList<QObject*> senders;
    View->SetOnViewData([&](QObject* sender) { senders << sender; });
    View->Connect(Factory.get());
    EXPECT_EQ(Names("Tables"), (QStringList{S("a_table"), S("b_table")}));
    EXPECT_EQ(Names("Views"), QStringList{S("v_one")});
    EXPECT_TRUE(Tree.topLevelItem(0)->isExpanded() && Branch("Tables")->isExpanded() && Branch("Views")->isExpanded());

    Select("Views", "v_one");
    EXPECT_EQ(View->GetSelectedObject(), S("v_one"));
    EXPECT_EQ(View->GetSelectedTable(), QString());
    EXPECT_FALSE(View->DropItem()->isEnabled());
    EXPECT_FALSE(View->StructItem()->isEnabled());
    EXPECT_TRUE(View->DataItem()->isEnabled() && View->CreateItem()->isEnabled() && View->RefreshItem()->isEnabled());

    Select("Tables", "b_table");
    EXPECT_EQ(View->GetSelectedTable(), S("b_table"));
    EXPECT_TRUE(View->DropItem()->isEnabled());
    EXPECT_EQ(Factory->GetDictionary()->CurrentTable(), S("b_table"));

    Tree.setCurrentItem(Branch("Tables"));
    EXPECT_EQ(View->GetSelectedObject(), QString()) << "a branch is no object";
    View->DropItem()->setEnabled(true);
    View->DropItem()->trigger();
    View->StructItem()->setEnabled(true);
    View->StructItem()->trigger();
    EXPECT_EQ(Prompter.Messages(), (QStringList{S("Please select a table."), S("Please select a table.")}));

    View->DataItem()->trigger();
    Q_EMIT Tree.itemDoubleClicked(Branch("Views"), 0);
    EXPECT_EQ(senders, (QList<QObject*>{View->DataItem(), &Tree}));
}

TEST_F(ObjectViewTest, DropAsksAndRefreshes)
{
    Connection->ExecSQL(S("create table keep_me (id int)"));
    Connection->ExecSQL(S("create table ") + Factory->GetDictionary()->QuoteName(S(oddTable)) + S(" (id int)"));
    View->Connect(Factory.get());
    Select("Tables", oddTable);
    View->DropItem()->trigger();
    ASSERT_EQ(Prompter.Prompts.size(), 1);
    EXPECT_EQ(Prompter.Prompts[0].text, S("Drop table odd `name` x?"));
    EXPECT_EQ(Prompter.Prompts[0].title, S("Confirm"));
    EXPECT_EQ(Prompter.Prompts[0].buttons, TPromptButtons(pbOK | pbCancel));
    EXPECT_EQ(Names("Tables"), (QStringList{S("keep_me"), S(oddTable)})) << "Cancel drops nothing";

    Prompter.QueueAnswer(TPromptAnswer::OK);
    View->DropItem()->trigger();
    EXPECT_EQ(Names("Tables"), QStringList{S("keep_me")});
    EXPECT_EQ(Scalar(S("select count(*) from information_schema.tables where table_schema = '%1'").arg(Database)),
              S("1"));
}

TEST_F(ObjectViewTest, AFailedDropLeavesTheTreeAndTheCursor)
{
    Connection->ExecSQL(S("create table gone (id int)"));
    View->Connect(Factory.get());
    Connection->ExecSQL(S("drop table gone"));
    Select("Tables", "gone");
    QStringList handled;
    SetAppExceptionHandler([&](const std::exception& e) { handled << ExceptionMessage(e); });
    Prompter.QueueAnswer(TPromptAnswer::OK);
    View->DropItem()->trigger();
    SetAppExceptionHandler(nullptr);
    ASSERT_EQ(handled.size(), 1);
    EXPECT_TRUE(handled[0].contains(S("gone"))) << handled[0].toStdString();
    EXPECT_EQ(Names("Tables"), QStringList{S("gone")}) << "not refreshed";
    EXPECT_NE(Tree.cursor().shape(), Qt::WaitCursor) << "the wait cursor is taken away";
}

TEST_F(ObjectViewTest, SchemaChangeSwitchesTheConnection)
{
    const QString other = Database + S("_b");
    Connection->ExecSQL(S("create database `%1`").arg(other));
    Connection->ExecSQL(S("create table `%1`.other_t (id int)").arg(other));
    View->Connect(Factory.get());
    Combo.setCurrentIndex(Combo.findText(other));
    Q_EMIT Combo.activated(Combo.currentIndex());
    EXPECT_EQ(Tree.topLevelItem(0)->text(0), other);
    EXPECT_EQ(Names("Tables"), QStringList{S("other_t")});
    EXPECT_EQ(Factory->GetDictionary()->CurrentSchema(), other);
    EXPECT_EQ(dactest::Scalar(*Factory->GetConnection(), S("select database()")), other);
    Connection->ExecSQL(S("drop database `%1`").arg(other));
}

TEST_F(ObjectViewTest, ClearAndASecondConnectKeepTheItemsOnce)
{
    View->Connect(Factory.get());
    View->Clear();
    EXPECT_EQ(Tree.topLevelItemCount(), 0);
    EXPECT_EQ(Combo.count(), 0);
    EXPECT_FALSE(View->RefreshItem()->isEnabled());
    EXPECT_FALSE(View->DataItem()->isEnabled());
    View->Connect(Factory.get());
    EXPECT_EQ(Menu.actions().size(), 8);
    EXPECT_TRUE(View->DropItem()->isEnabled());
}

TEST_F(ObjectViewTest, StructureShowsNormalisedNames)
{
    Connection->ExecSQL(S("create table `Tab-One` (`a-b` int primary key, a_b text, `C` varchar(9), "
                          "unique key IX_C (`C`, `a_b`(10)))"));
    View->Connect(Factory.get());
    Select("Tables", "Tab-One");
    QString tableName;
    QStringList names;
    QString indexColumns;
    bool viewOnly = false;
    wstest::WhenModal([&] {
        auto* dialog = qobject_cast<TCreateTableDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        viewOnly = dialog->ViewOnly();
        tableName = dialog->findChild<QLineEdit*>(S("edtTableName"))->text();
        auto* grid = dialog->findChild<QTableWidget*>(S("grdColumns"));
        for (int r = 0; r < grid->rowCount(); ++r)
            names << grid->item(r, cgFieldName)->text();
        indexColumns = dialog->findChild<QTableWidget*>(S("grdIndexes"))->item(0, igColumns)->text();
        dialog->findChild<QPushButton*>(S("OKBtn"))->click();
    });
    View->StructItem()->trigger();
    EXPECT_TRUE(viewOnly);
    EXPECT_EQ(tableName, S("tab_one"));
    EXPECT_EQ(names, (QStringList{S("a_b"), S("a_b_001"), S("c")}));
    EXPECT_EQ(indexColumns, S("c,a_b"));
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(ObjectViewTest, CreateTableRefreshesWhateverTheUserDid)
{
    View->Connect(Factory.get());
    Connection->ExecSQL(S("create table made_meanwhile (id int)"));
    wstest::WhenModal([] {
        QApplication::activeModalWidget()->findChild<QPushButton*>(S("CancelBtn"))->click();
    });
    View->CreateItem()->trigger();
    EXPECT_EQ(Names("Tables"), QStringList{S("made_meanwhile")});
}
