#include "FieldEditorTestSupport.h"

#include "dataview/HexView.h"
#include "dataview/Pharostine.h"
#include "dataview/UFindDialog.h"
#include "dataview/UStringEditor.h"
#include "dataview/viewers/UAlterBlobHexDBViewForm.h"
#include "dataview/viewers/UMemoDBViewForm.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

using namespace fetest;

namespace {

class FieldEditorFrame : public FieldEditorTest {
protected:
    void MakeRows()
    {
        Exec(QStringLiteral("create table t (id int primary key, c varchar(40), b longblob)"));
        Exec(QStringLiteral("insert into t values (1, 'one', 'first'), (2, 'two', 'second'), (3, 'three', 'third')"));
        OpenQuery(QStringLiteral("select id, c, b from t order by id"));
    }

    static void Type(TFieldEditForm& form, const QString& text)
    {
        auto* memo = static_cast<TMemoDBViewForm*>(Current(form))->Memo();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, text);
    }
};

TEST_F(FieldEditorFrame, PriorAndNextAcrossTheRows)
{
    MakeRows();
    auto editor = Bind<TStringEditor>(QStringLiteral("c"));
    struct Step {
        bool next;          // the move before the check
        QString value;
        bool priorEnabled;
        bool nextEnabled;
    };
    const QList<Step> steps = {
        {false, QStringLiteral("one"), false, true},     // the first row
        {true, QStringLiteral("two"), true, true},       // a middle row
        {true, QStringLiteral("three"), true, true},     // the last row: Next still on
        {true, QStringLiteral("three"), true, false},    // past the end once
    };
    const bool shown = Run(*editor, [&](TCommonFieldEditForm& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Column: c"));
        for (const Step& step : steps) {
            if (step.next)
                form.NextAction()->trigger();
            const auto* memo = static_cast<TMemoDBViewForm*>(Current(form))->Memo();
            EXPECT_EQ(memo->toPlainText(), step.value);
            EXPECT_EQ(form.PriorAction()->isEnabled(), step.priorEnabled) << step.value.toStdString();
            EXPECT_EQ(form.NextAction()->isEnabled(), step.nextEnabled) << step.value.toStdString();
        }
        form.PriorAction()->trigger();
        EXPECT_EQ(static_cast<TMemoDBViewForm*>(Current(form))->Memo()->toPlainText(), QStringLiteral("two"));
    });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Prompter.Prompts.isEmpty());
}

TEST_F(FieldEditorFrame, NoDataSourceShowsNothing)
{
    MakeRows();
    TStringEditor editor;
    editor.SetDataField(QStringLiteral("c"));
    EXPECT_FALSE(editor.Execute());
}

TEST_F(FieldEditorFrame, SaveChangesYesWritesNoLeavesTheRow)
{
    MakeRows();
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    // No change: nothing is asked.
    Run(*editor, [](TCommonFieldEditForm&) {});
    EXPECT_TRUE(Prompter.Prompts.isEmpty());

    // A change and No: the row stays as it was.
    Prompter.QueueAnswer(TPromptAnswer::No);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Text);
        Type(form, QStringLiteral(" typed"));
    });
    ASSERT_EQ(Prompter.Prompts.size(), 1);
    EXPECT_EQ(Prompter.Prompts[0].text, QStringLiteral("Save Changes?"));
    EXPECT_EQ(Prompter.Prompts[0].title, QStringLiteral("Save"));
    EXPECT_EQ(Prompter.Prompts[0].buttons, TPromptButtons(pbYes | pbNo));
    EXPECT_EQ(ReadOnSecondConnection(QStringLiteral("select b from t where id = 1")), QStringLiteral("first"));
    EXPECT_EQ(Query->State(), dsBrowse);

    // Yes: the typed text is in the server.
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Text);
        Type(form, QStringLiteral(" typed"));
    });
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), Sha("first typed"));
}

TEST_F(FieldEditorFrame, PriorAfterAChangeAsksFirst)
{
    MakeRows();
    Query->Next();
    auto editor = Bind<TStringEditor>(QStringLiteral("c"));
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        Type(form, QStringLiteral("!"));
        form.PriorAction()->trigger();
        EXPECT_EQ(Prompter.Prompts.size(), 1);
        EXPECT_EQ(static_cast<TMemoDBViewForm*>(Current(form))->Memo()->toPlainText(), QStringLiteral("one"));
    });
    EXPECT_EQ(ReadOnSecondConnection(QStringLiteral("select c from t where id = 2")), QStringLiteral("two!"));
}

TEST_F(FieldEditorFrame, ReadOnlyCaptionAndCommands)
{
    MakeRows();
    auto editor = Bind<TPharostine>(QStringLiteral("b"), true);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Column: b  (ReadOnly)"));
        EXPECT_FALSE(form.LoadAction()->isEnabled());
        EXPECT_TRUE(form.SaveAction()->isEnabled());
        ClickTab(form, TViewKind::Text);
        auto* memo = static_cast<TMemoDBViewForm*>(Current(form))->Memo();
        EXPECT_TRUE(memo->isReadOnly());
        QTest::keyClicks(memo, QStringLiteral("x"));
        EXPECT_EQ(memo->toPlainText(), QStringLiteral("first"));
    });
    EXPECT_TRUE(Prompter.Prompts.isEmpty());
    EXPECT_EQ(Query->State(), dsBrowse);
}

// A field that cannot be changed within an editable result: an expression
// and a column of another table.
TEST_F(FieldEditorFrame, ReadOnlyFieldOfAnEditableResult)
{
    Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
    Exec(QStringLiteral("create table u (id int primary key, c longblob)"));
    Exec(QStringLiteral("insert into t values (1, 'mine')"));
    Exec(QStringLiteral("insert into u values (1, 'other')"));
    OpenQuery(QStringLiteral("select t.id, t.b, concat(t.b, 'x') as e, u.c from t join u on u.id = t.id"));
    ASSERT_TRUE(Query->CanModify());
    const struct {
        const char* field;
        bool readOnly;
    } cases[] = {{"b", false}, {"e", true}, {"c", true}};
    for (const auto& c : cases) {
        const QString field = QString::fromLatin1(c.field);
        auto editor = Bind<TPharostine>(field);
        Run(*editor, [&](TCommonFieldEditForm& form) {
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Column: ") + field +
                                              (c.readOnly ? QStringLiteral("  (ReadOnly)") : QString()));
            EXPECT_EQ(form.LoadAction()->isEnabled(), !c.readOnly) << c.field;
            EXPECT_TRUE(form.SaveAction()->isEnabled());
        });
    }
    EXPECT_TRUE(Prompter.Prompts.isEmpty());
}

TEST_F(FieldEditorFrame, TextTypingShowsInHexAndSearchFollowsTheTab)
{
    MakeRows();
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Prompter.QueueAnswer(TPromptAnswer::No);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Text);
        auto* searchFind = form.findChild<QToolButton*>(QStringLiteral("btnSearchFind"));
        EXPECT_TRUE(searchFind->defaultAction()->isEnabled());
        EXPECT_EQ(searchFind->defaultAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        // Find shows the dialog; Find Next (F3) repeats its search in the memo.
        searchFind->defaultAction()->trigger();
        auto* find = Current(form)->findChild<TFindDialog*>();
        ASSERT_NE(find, nullptr);
        EXPECT_TRUE(find->isVisible());
        find->SetFindText(QStringLiteral("r"));
        find->close();
        form.findChild<QToolButton*>(QStringLiteral("btnSearchFindNext"))->defaultAction()->trigger();
        EXPECT_EQ(static_cast<TMemoDBViewForm*>(Current(form))->Memo()->textCursor().selectionStart(), 2);
        Type(form, QStringLiteral("!"));
        ClickTab(form, TViewKind::Hex);
        auto* hex = static_cast<TAlterBlobHexDBViewForm*>(Current(form))->HexEditor();
        EXPECT_EQ(hex->SourceSize(), 6);
        EXPECT_TRUE(hex->LineTextAt(0).endsWith(QStringLiteral("first!")));
        EXPECT_FALSE(searchFind->defaultAction()->isEnabled());
        // The Text viewer is no longer bound.
        EXPECT_FALSE(form.Selector()->FindView(TViewKind::Text)->Bound());
    });
}

TEST_F(FieldEditorFrame, UnpostedInsertIsDiscardedAtOpen)
{
    MakeRows();
    Query->Next();
    Query->Insert();
    Query->FieldByName(QStringLiteral("id"))->SetAsString(QStringLiteral("9"));
    auto editor = Bind<TStringEditor>(QStringLiteral("c"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        EXPECT_EQ(static_cast<TMemoDBViewForm*>(Current(form))->Memo()->toPlainText(), QStringLiteral("two"));
    });
    EXPECT_EQ(Query->State(), dsBrowse);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("3"));
    EXPECT_TRUE(Prompter.Prompts.isEmpty());
}

TEST_F(FieldEditorFrame, RefusedPostReachesTheCallerRowStillEdited)
{
    Exec(QStringLiteral("create table t (id int primary key, c varchar(40), b longblob)"));
    Exec(QStringLiteral("insert into t values (1, 'one', 'x')"));
    OpenQuery(QStringLiteral("select id, c from t"));
    Exec(QStringLiteral("delete from t"));   // the row goes before Post
    auto editor = Bind<TStringEditor>(QStringLiteral("c"));
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    EXPECT_THROW(Run(*editor, [&](TCommonFieldEditForm& form) { Type(form, QStringLiteral("!")); }), std::exception);
    EXPECT_EQ(Query->State(), dsEdit);
    Query->Cancel();
}

}  // namespace
