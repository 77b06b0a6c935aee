#include "FieldEditorTestSupport.h"

#include "settings/URegUtil.h"
#include "base/UAppException.h"
#include "dataview/HexView.h"
#include "dataview/URtfReader.h"
#include "dataview/Pharostine.h"
#include "dataview/UBinaryEditor.h"
#include "dataview/UStringEditor.h"
#include "dataview/UValueTextEdit.h"
#include "dataview/viewers/UAlterBinaryHexDBViewForm.h"
#include "dataview/viewers/UAlterBlobHexDBViewForm.h"
#include "dataview/viewers/UMemoDBViewForm.h"
#include "dataview/viewers/USimpleRichDBViewForm.h"

#include <QCryptographicHash>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

using namespace fetest;

namespace {

QPlainTextEdit* MemoOf(TFieldEditForm& form)
{
    return static_cast<TMemoDBViewForm*>(form.Selector()->FindView(TViewKind::Text))->Memo();
}

TSimpleRichDBViewForm* RichViewOf(TFieldEditForm& form)
{
    return static_cast<TSimpleRichDBViewForm*>(form.Selector()->FindView(TViewKind::Rich));
}

QTextEdit* RichOf(TFieldEditForm& form)
{
    return RichViewOf(form)->RichEdit();
}

// The Rich tab's editor of a value that is no rich text.
QPlainTextEdit* RichPlainOf(TFieldEditForm& form)
{
    return RichViewOf(form)->PlainEdit();
}

// The choice of viewer on real rows; TEXT arrives as ftMemo with UseUnicode off.
class ViewerChoice : public LatinFieldEditorTest {};

TEST_F(ViewerChoice, RowsOpenOnTheirViewer)
{
    Exec(QStringLiteral("create table t (id int primary key, m text, b longblob)"));
    struct Row {
        const char* memo;     // nullptr: NULL
        const char* blob;
        TViewKind memoView;
        TViewKind blobView;
    } rows[] = {
        {nullptr, nullptr, TViewKind::Hex, TViewKind::Hex},
        {"{\\rtf1\\ansi hi}", "{\\rtf1\\ansi hi}", TViewKind::Rich, TViewKind::Rich},
        {"{\\RTF1 hi}", "%PDF-1.4 x", TViewKind::Text, TViewKind::Hex},
        {"1234567rtf", "PK\x03\x04zip", TViewKind::Rich, TViewKind::Hex},
        {"12345678rtf", "plain", TViewKind::Text, TViewKind::Hex},
    };
    int id = 0;
    for (const Row& row : rows) {
        auto quoted = [](const char* v) { return v ? QStringLiteral("'%1'").arg(QString::fromLatin1(v).replace(QLatin1String("\\"), QLatin1String("\\\\"))) : QStringLiteral("NULL"); };
        Exec(QStringLiteral("insert into t values (%1, %2, %3)").arg(++id).arg(quoted(row.memo), quoted(row.blob)));
    }
    OpenQuery(QStringLiteral("select id, m, b from t order by id"));
    ASSERT_EQ(Query->FieldByName(QStringLiteral("m"))->DataType(), ftMemo);
    for (const QString& column : {QStringLiteral("m"), QStringLiteral("b")}) {
        Query->First();
        auto editor = Bind<TPharostine>(column);
        Run(*editor, [&](TCommonFieldEditForm& form) {
            EXPECT_EQ(form.PageControl()->count(), 9);
            for (const Row& row : rows) {
                const TViewKind expected = column == QLatin1String("m") ? row.memoView : row.blobView;
                ASSERT_NE(Current(form), nullptr);
                EXPECT_EQ(Current(form)->Kind(), expected) << column.toStdString() << " " << (row.memo ? row.memo : "NULL");
                form.NextExecute();
            }
        });
    }
}

TEST_F(FieldEditorTest, WideMemoOpensOnHex)
{
    Exec(QStringLiteral("create table t (id int primary key, m text)"));
    Exec(QStringLiteral("insert into t values (1, '{\\\\rtf1 x}')"));
    OpenQuery(QStringLiteral("select id, m from t"));
    ASSERT_EQ(Query->FieldByName(QStringLiteral("m"))->DataType(), ftWideMemo);
    auto editor = Bind<TPharostine>(QStringLiteral("m"));
    Run(*editor, [&](TCommonFieldEditForm& form) { EXPECT_EQ(Current(form)->Kind(), TViewKind::Hex); });
}

class TextViewer : public FieldEditorTest {
protected:
    void MakeBlobs(const QList<QByteArray>& values)
    {
        Exec(QStringLiteral("create table t (id int primary key, b longblob, m text)"));
        for (int i = 0; i < values.size(); ++i)
            Exec(QStringLiteral("insert into t values (%1, x'%2', 'memo')").arg(i + 1).arg(QString::fromLatin1(values[i].toHex())));
        OpenQuery(QStringLiteral("select id, b, m from t order by id"));
    }
};

// Load and Save of every tab that has them, on files of each kind: the Text
// tab maps lines to LF and writes UTF-8; the others keep the bytes.
TEST_F(TextViewer, LoadAndSaveByTabAndFile)
{
    MakeBlobs({"seed"});
    const QByteArray binary("a\0b\x1A\r\nc", 7);
    const struct {
        const char* name;
        QByteArray file;
        QByteArray textStored;   // stored by the Text tab, and what its Save writes
    } files[] = {
        {"LF text", "one\ntwo\n", "one\ntwo\n"},
        {"CR LF text", "one\r\ntwo\r\n", "one\ntwo\n"},
        {"no final break", "one\ntwo", "one\ntwo\n"},
        // Windows-1252 read, stored in the value's encoding (UTF-8 for "seed").
        {"invalid UTF-8", "caf\xE9\n", "caf\xC3\xA9\n"},
        {"binary with 00 and 1A", binary, QByteArray("a\0b\x1A\nc\n", 7)},
    };
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    for (TViewKind tab : {TViewKind::Text, TViewKind::Rich, TViewKind::Json, TViewKind::Image, TViewKind::Hex}) {
        for (const auto& f : files) {
            const QByteArray expected = tab == TViewKind::Text ? f.textStored : f.file;
            const std::string trace = f.name + std::string(" in tab ") + std::to_string(int(tab));
            Exec(QStringLiteral("update t set b = 'seed' where id = 1"));
            Query->Refresh();
            const QString in = WriteFile(QStringLiteral("in.bin"), f.file);
            const QString out = Files.filePath(QStringLiteral("out.bin"));
            QFile::remove(out);
            Prompter.QueueText(in);
            Prompter.QueueText(out);
            Prompter.QueueAnswer(TPromptAnswer::Yes);   // Save Changes?
            Run(*editor, [&](TCommonFieldEditForm& form) {
                ClickTab(form, tab);
                ASSERT_EQ(Current(form)->Kind(), tab);
                form.LoadAction()->trigger();
                form.SaveAction()->trigger();
            });
            EXPECT_EQ(Scalar(QStringLiteral("select hex(b) from t where id = 1")),
                      QString::fromLatin1(expected.toHex().toUpper()))
                << trace;
            EXPECT_EQ(Scalar(QStringLiteral("select hex(m) from t where id = 1")), QStringLiteral("6D656D6F")) << trace;
            EXPECT_EQ(ReadFile(out), expected) << trace;
        }
    }
    EXPECT_TRUE(Prompter.Messages().contains(QStringLiteral("File ") + Files.filePath(QStringLiteral("out.bin")) +
                                             QStringLiteral(" saved.")));
}

// The stored value, not the typing, is what Save writes; NUL bytes show
// read-only with a note.
TEST_F(TextViewer, SaveWritesTheStoredValue)
{
    MakeBlobs({"a\r\nb", QByteArray("x\0y", 3)});
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    const QString saved = Files.filePath(QStringLiteral("saved.txt"));
    const QString savedNul = Files.filePath(QStringLiteral("nul.txt"));
    Prompter.QueueText(saved);
    Prompter.QueueAnswer(TPromptAnswer::No);   // the typing, at Next
    Prompter.QueueText(savedNul);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Text);
        MemoOf(form)->moveCursor(QTextCursor::End);
        QTest::keyClicks(MemoOf(form), QStringLiteral("typed"));
        form.SaveAction()->trigger();
        form.NextExecute();
        ClickTab(form, TViewKind::Text);
        EXPECT_TRUE(MemoOf(form)->isReadOnly());
        EXPECT_FALSE(form.StatusBar()->currentMessage().isEmpty());
        form.SaveAction()->trigger();
    });
    EXPECT_EQ(ReadFile(saved), QByteArray("a\nb\n"));
    EXPECT_EQ(ReadFile(savedNul), QByteArray("x\0y\n", 4));
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), Sha("a\r\nb"));
}

// A value of more than one piece loads from the event loop into the Text and
// Rich tabs: read-only until the whole value is in, then as a small one.
TEST_F(TextViewer, LargeValueLoadsInPiecesAndStopsWhenLeft)
{
    Exec(QStringLiteral("create table t (id int primary key, b longblob, m text)"));
    Exec(QStringLiteral("insert into t values (1, repeat('line \u00E9\\n', 200000), 'memo')"));
    OpenQuery(QStringLiteral("select id, b, m from t"));
    const QString expected = QStringLiteral("line \u00E9\n").repeated(200000);
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        for (TViewKind tab : {TViewKind::Text, TViewKind::Rich}) {
            ClickTab(form, tab);
            auto* memo = static_cast<TMemoDBViewForm*>(form.Selector()->FindView(TViewKind::Text));
            auto* rich = RichViewOf(form);
            QPlainTextEdit* edit = tab == TViewKind::Text ? MemoOf(form) : RichPlainOf(form);
            auto loading = [&] { return tab == TViewKind::Text ? memo->Loading() : rich->Loading(); };
            auto text = [&] { return edit->toPlainText(); };
            auto readOnly = [&] { return edit->isReadOnly(); };
            if (tab == TViewKind::Rich) {
                EXPECT_TRUE(rich->ShowsPlainText());
                EXPECT_TRUE(RichOf(form)->document()->isEmpty());
            }
            EXPECT_TRUE(loading());
            EXPECT_TRUE(readOnly());
            EXPECT_LT(text().size(), expected.size());
            // Left while loading: the rest is dropped.
            ClickTab(form, TViewKind::Hex);
            EXPECT_FALSE(loading());
            QTest::qWait(50);
            EXPECT_TRUE(text().isEmpty());
            ClickTab(form, tab);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !loading(); }, 30000));
            EXPECT_FALSE(readOnly());
            EXPECT_EQ(text(), expected) << int(tab);
        }
    });
    EXPECT_TRUE(Prompter.Prompts.isEmpty());
}

TEST_F(TextViewer, EncodingsShownRightAndKept)
{
    const QByteArray utf8 = "caf\xC3\xA9\r\nna\xC3\xAFve";
    const QByteArray cp1252 = "caf\xE9\r\n";
    MakeBlobs({utf8, cp1252});
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Text);
        EXPECT_EQ(MemoOf(form)->toPlainText(), QStringLiteral("café\nnaïve"));
        form.NextExecute();   // untouched: nothing asked, nothing written
        ClickTab(form, TViewKind::Text);
        EXPECT_EQ(MemoOf(form)->toPlainText(), QStringLiteral("café\n"));
        MemoOf(form)->moveCursor(QTextCursor::End);
        MemoOf(form)->insertPlainText(QStringLiteral("ü"));
    });
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), Sha(utf8));
    // Edited, written back in the encoding it was read in.
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 2), Sha("caf\xE9\r\n\xFC"));
}

class LatinTextViewer : public LatinFieldEditorTest {};

TEST_F(LatinTextViewer, CharacterTheEncodingLacksIsRefused)
{
    Exec(QStringLiteral("create table t (id int primary key, m text) character set latin1"));
    Exec(QStringLiteral("insert into t values (1, 'abc')"));
    OpenQuery(QStringLiteral("select id, m from t"));
    auto editor = Bind<TStringEditor>(QStringLiteral("m"));
    QString error;
    SetAppExceptionHandler([&](const std::exception& e) { error = ExceptionMessage(e); });
    Prompter.QueueAnswer(TPromptAnswer::No);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        MemoOf(form)->moveCursor(QTextCursor::End);
        MemoOf(form)->insertPlainText(QStringLiteral("中"));
        form.close();   // refused: the form stays open, the text kept
        EXPECT_TRUE(error.contains(QStringLiteral("中"))) << error.toStdString();
        EXPECT_EQ(MemoOf(form)->toPlainText(), QStringLiteral("abc中"));
        EXPECT_TRUE(form.isVisible());
        MemoOf(form)->undo();
    });
    editor.reset();

    // Leaving the Text tab is refused the same way: the tab stays.
    auto blob = Bind<TPharostine>(QStringLiteral("m"));
    error.clear();
    Prompter.QueueAnswer(TPromptAnswer::No);
    Run(*blob, [&](TCommonFieldEditForm& form) {
        EXPECT_EQ(Current(form)->Kind(), TViewKind::Text);
        MemoOf(form)->insertPlainText(QStringLiteral("中"));
        ClickTab(form, TViewKind::Hex);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(Current(form)->Kind(), TViewKind::Text);
        EXPECT_TRUE(MemoOf(form)->toPlainText().contains(QStringLiteral("中")));
        MemoOf(form)->undo();
    });
    SetAppExceptionHandler(nullptr);
    EXPECT_EQ(Scalar(QStringLiteral("select m from t")), QStringLiteral("abc"));
}

TEST_F(FieldEditorTest, FontsOfTextViewersStayApart)
{
    RegWriteString(TMemoDBViewForm::FontKey, TMemoDBViewForm::FontValueName, QString());
    TMemoDBViewForm first;
    TMemoDBViewForm second;
    TFontInfo font;
    font.Name = QStringLiteral("DejaVu Sans Mono");
    font.Size = 13;
    font.Bold = true;
    first.ApplyFont(font);
    EXPECT_EQ(first.CurrentFont(), font);
    EXPECT_EQ(second.CurrentFont(), TFontInfo());
    EXPECT_EQ(first.Memo()->font().pointSize(), 13);
    // A viewer created later takes it, read under either spelling of the key.
    TMemoDBViewForm third;
    EXPECT_EQ(third.CurrentFont(), font);
    EXPECT_EQ(RegReadString(QStringLiteral("Software\\Corvanta\\Vantorquill"), QStringLiteral("font")),
              QStringLiteral("1, \"DejaVu Sans Mono\", 13, [Bold], [clWindowText]"));
}

TEST_F(FieldEditorTest, RichTypingSurvivesATabSwitch)
{
    Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
    Exec(QStringLiteral("insert into t values (1, '{\\\\rtf1\\\\ansi\\\\deff0{\\\\fonttbl{\\\\f0 Arial;}}\\\\f0\\\\b Bold\\\\b0  text\\\\par}'), "
                        "(2, '{\\\\rtf1\\\\ansi {\\\\pict\\\\pngblip 89}}')"));
    OpenQuery(QStringLiteral("select id, b from t order by id"));
    const QString before = ServerSha(QStringLiteral("b"), 1);
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    // Untouched: a tab switch writes nothing.
    Run(*editor, [&](TCommonFieldEditForm& form) {
        EXPECT_EQ(Current(form)->Kind(), TViewKind::Rich);
        EXPECT_FALSE(RichViewOf(form)->ShowsPlainText());
        ClickTab(form, TViewKind::Hex);
        ClickTab(form, TViewKind::Rich);
    });
    EXPECT_TRUE(Prompter.Prompts.isEmpty());
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), before);

    Prompter.QueueAnswer(TPromptAnswer::Yes);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        QTextCursor cursor = RichOf(form)->textCursor();
        cursor.movePosition(QTextCursor::End);
        RichOf(form)->setTextCursor(cursor);
        QTest::keyClicks(RichOf(form), QStringLiteral(" more"));
        ClickTab(form, TViewKind::Hex);
        ClickTab(form, TViewKind::Text);
        EXPECT_EQ(MemoOf(form)->toPlainText().left(5), QStringLiteral("{\\rtf"));
        ClickTab(form, TViewKind::Rich);
        EXPECT_EQ(RichOf(form)->toPlainText(), QStringLiteral("Bold text\n more"));
        form.NextExecute();
        // A picture makes the tab read-only, with a note.
        EXPECT_TRUE(RichOf(form)->isReadOnly());
        EXPECT_TRUE(form.StatusBar()->currentMessage().startsWith(QStringLiteral("Read-only")));
    });
    const QByteArray stored = Scalar(QStringLiteral("select b from t where id = 1")).toLatin1();
    QTextDocument document;
    TRtfReader::Read(stored, &document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Bold text\n more"));
    EXPECT_EQ(document.find(QStringLiteral("Bold")).charFormat().fontWeight(), QFont::Bold);
}

// A value that is no rich text shows in the Rich tab's plain-text editor and
// is written as rich text once typed into; an RTF value keeps the rich editor.
TEST_F(FieldEditorTest, RichTabShowsPlainValueInPlainEditor)
{
    Exec(QStringLiteral("create table t (id int primary key, b longblob, m text)"));
    // Row 1: "café\nline" in Windows-1252.
    Exec(QStringLiteral("insert into t values (1, x'636166E90A6C696E65', 'memo'), "
                        "(2, '{\\\\rtf1\\\\ansi x}', 'memo'), (3, 'third', 'memo')"));
    OpenQuery(QStringLiteral("select id, b, m from t order by id"));
    const QString row2 = ServerSha(QStringLiteral("b"), 2);

    // Untouched, read-only or not: nothing is written, nothing asked.
    for (bool readOnly : {true, false}) {
        auto viewer = Bind<TPharostine>(QStringLiteral("b"), readOnly);
        Run(*viewer, [&](TCommonFieldEditForm& form) {
            ClickTab(form, TViewKind::Rich);
            ASSERT_TRUE(RichViewOf(form)->ShowsPlainText());
            EXPECT_EQ(RichPlainOf(form)->toPlainText(), QStringLiteral("café\nline"));
            EXPECT_EQ(RichPlainOf(form)->isReadOnly(), readOnly);
            EXPECT_EQ(RichPlainOf(form)->font().family(), QStringLiteral("Tahoma"));
            if (readOnly)
                QTest::keyClicks(RichPlainOf(form), QStringLiteral("refused"));
            ClickTab(form, TViewKind::Hex);
            ClickTab(form, TViewKind::Rich);
            EXPECT_EQ(RichPlainOf(form)->toPlainText(), QStringLiteral("café\nline"));
        });
        EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), Sha("caf\xE9\nline")) << readOnly;
        EXPECT_TRUE(Prompter.Prompts.isEmpty()) << readOnly;
    }

    // Typed into, it becomes rich text in the editor's font; Next shows the
    // RTF row in the rich editor.
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Prompter.QueueAnswer(TPromptAnswer::Yes);   // Save Changes?
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Rich);
        RichPlainOf(form)->moveCursor(QTextCursor::End);
        QTest::keyClicks(RichPlainOf(form), QStringLiteral(" more"));
        RichPlainOf(form)->insertPlainText(QStringLiteral("\n\u4E2D\ttab"));
        form.NextExecute();
        EXPECT_EQ(Current(form)->Kind(), TViewKind::Rich);
        EXPECT_FALSE(RichViewOf(form)->ShowsPlainText());
        EXPECT_EQ(RichOf(form)->toPlainText(), QStringLiteral("x"));
        EXPECT_TRUE(RichPlainOf(form)->document()->isEmpty());
    });
    EXPECT_EQ(Scalar(QStringLiteral("select b from t where id = 1")),
              QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\n"
                             "\\uc1\\pard\\plain \\pard\\plain\\f0\\fs16 caf\\'e9\\par\n"
                             "\\pard\\plain\\f0\\fs16 line more\\par\n"
                             "\\pard\\plain\\f0\\fs16 \\u20013?\\tab tab}"));
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 2), row2);
    EXPECT_EQ(Scalar(QStringLiteral("select group_concat(m) from t")), QStringLiteral("memo,memo,memo"));

    // A loaded file takes the editor its content wants.
    Query->Last();
    const QString rtf = WriteFile(QStringLiteral("in.rtf"), "{\\rtf1\\ansi loaded}");
    const QString txt = WriteFile(QStringLiteral("in.txt"), "plain again");
    Prompter.QueueText(rtf);
    Prompter.QueueText(txt);
    Prompter.QueueAnswer(TPromptAnswer::No);   // Save Changes?
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Rich);
        EXPECT_TRUE(RichViewOf(form)->ShowsPlainText());
        form.LoadAction()->trigger();
        EXPECT_FALSE(RichViewOf(form)->ShowsPlainText());
        EXPECT_EQ(RichOf(form)->toPlainText(), QStringLiteral("loaded"));
        form.LoadAction()->trigger();
        EXPECT_TRUE(RichViewOf(form)->ShowsPlainText());
        EXPECT_EQ(RichPlainOf(form)->toPlainText(), QStringLiteral("plain again"));
        EXPECT_TRUE(RichOf(form)->document()->isEmpty());
    });
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 3), Sha("third"));
}

class HexViewers : public FieldEditorTest {};

TEST_F(HexViewers, NullShowsEmptyAndSavesAnEmptyFile)
{
    Exec(QStringLiteral("create table t (id int primary key, b longblob, v varbinary(8))"));
    Exec(QStringLiteral("insert into t values (1, NULL, NULL)"));
    OpenQuery(QStringLiteral("select id, b, v from t"));
    for (const QString& column : {QStringLiteral("b"), QStringLiteral("v")}) {
        std::unique_ptr<TFieldEditor> editor;
        if (column == QLatin1String("b"))
            editor = Bind<TPharostine>(column);
        else
            editor = Bind<TBinaryEditor>(column);
        const QString saved = WriteFile(column + QStringLiteral(".bin"), "old content");
        Prompter.QueueText(saved);
        Run(*editor, [&](TCommonFieldEditForm& form) {
            EXPECT_EQ(Current(form)->Caption(), QStringLiteral("Hex"));
            EXPECT_EQ(Current(form)->findChild<HexView*>(QStringLiteral("HexEditor"))->SourceSize(), 0);
            form.SaveAction()->trigger();
        });
        EXPECT_EQ(ReadFile(saved), QByteArray()) << column.toStdString();
    }
}

TEST_F(HexViewers, EmptyFileIntoBinaryIsNullAndLoadedFilesShowAtOnce)
{
    Exec(QStringLiteral("create table t (id int primary key, v varbinary(8), b longblob)"));
    Exec(QStringLiteral("insert into t values (1, x'0102', 'aaaa'), (2, x'0304', 'bb')"));
    OpenQuery(QStringLiteral("select id, v, b from t order by id"));
    const QString empty = WriteFile(QStringLiteral("empty.bin"), QByteArray());
    auto binary = Bind<TBinaryEditor>(QStringLiteral("v"));
    Prompter.QueueText(empty);
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    Run(*binary, [&](TCommonFieldEditForm& form) { form.LoadAction()->trigger(); });
    EXPECT_EQ(Scalar(QStringLiteral("select v is null from t where id = 1")), QStringLiteral("1"));

    // Too long for the column: the layer's error, the value unchanged.
    Query->Next();
    const QString tooLong = WriteFile(QStringLiteral("long.bin"), QByteArray(9, 'x'));
    QString error;
    SetAppExceptionHandler([&](const std::exception& e) { error = ExceptionMessage(e); });
    Prompter.QueueText(tooLong);
    Prompter.QueueAnswer(TPromptAnswer::No);
    Run(*binary, [&](TCommonFieldEditForm& form) {
        form.LoadAction()->trigger();
        // The value stays on show.
        HexView* hex = static_cast<TAlterBinaryHexDBViewForm*>(Current(form))->HexEditor();
        EXPECT_EQ(hex->SourceSize(), 2);
        EXPECT_TRUE(hex->LineTextAt(0).contains(QStringLiteral("03 04"))) << hex->LineTextAt(0).toStdString();
    });
    SetAppExceptionHandler(nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Scalar(QStringLiteral("select hex(v) from t where id = 2")), QStringLiteral("0304"));
    binary.reset();
    Query->First();

    const QByteArray bytes("\x00\xFFloaded", 8);
    const QString loaded = WriteFile(QStringLiteral("loaded.bin"), bytes);
    auto blob = Bind<TPharostine>(QStringLiteral("b"));
    Prompter.QueueText(loaded);
    Prompter.QueueAnswer(TPromptAnswer::No);   // at Next
    Run(*blob, [&](TCommonFieldEditForm& form) {
        auto hex = [&] { return static_cast<TAlterBlobHexDBViewForm*>(Current(form))->HexEditor(); };
        form.LoadAction()->trigger();
        EXPECT_EQ(hex()->SourceSize(), 8);
        EXPECT_TRUE(hex()->LineTextAt(0).endsWith(QStringLiteral("..loaded")));
        form.NextExecute();
        EXPECT_EQ(hex()->SourceSize(), 2);   // row 2's own value, nothing appended
        form.PriorExecute();
        EXPECT_EQ(hex()->SourceSize(), 4);   // the stored value, the load was not saved
    });
}

}  // namespace

namespace {

TEST_F(HexViewers, LargeValueLoadsPostsAndPaintsItsLastLine)
{
    Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
    Exec(QStringLiteral("insert into t values (1, 'small')"));
    OpenQuery(QStringLiteral("select id, b from t"));
    const QString path = Files.filePath(QStringLiteral("big.bin"));
    const QByteArray digest = vqtest::WritePatternFile(path, 64);
    ASSERT_FALSE(digest.isEmpty());
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Prompter.QueueText(path);
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Hex);
        form.LoadAction()->trigger();
        EXPECT_EQ(static_cast<TAlterBlobHexDBViewForm*>(Current(form))->HexEditor()->SourceSize(), 64 << 20);
    });
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), QString::fromLatin1(digest.toHex()));

    Query->Refresh();
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ASSERT_EQ(Current(form)->Kind(), TViewKind::Hex);
        HexView* hex = static_cast<TAlterBlobHexDBViewForm*>(Current(form))->HexEditor();
        EXPECT_EQ(hex->LineCount(), 4 << 20);
        hex->verticalScrollBar()->setValue(hex->verticalScrollBar()->maximum());
        hex->viewport()->grab();
        EXPECT_EQ(hex->LastPaintedLine(), hex->LineCount() - 1);
        EXPECT_TRUE(hex->LineTextAt(hex->LineCount() - 1).startsWith(QStringLiteral("03FFFFF0  ")));
    });
}

}  // namespace

namespace {

TEST_F(TextViewer, UnreadableFileChangesNothing)
{
    MakeBlobs({"kept"});
    const QString missing = Files.filePath(QStringLiteral("missing.txt"));
    QStringList errors;
    SetAppExceptionHandler([&](const std::exception& e) { errors << ExceptionMessage(e); });
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        for (TViewKind kind : {TViewKind::Text, TViewKind::Rich, TViewKind::Hex}) {
            ClickTab(form, kind);
            Prompter.QueueText(missing);
            form.LoadAction()->trigger();
            EXPECT_EQ(Query->State(), dsBrowse);
        }
        // A file that cannot be written.
        Prompter.QueueText(Files.filePath(QStringLiteral("no/such/folder/out.bin")));
        form.SaveAction()->trigger();
    });
    SetAppExceptionHandler(nullptr);
    EXPECT_EQ(errors.size(), 4) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(Prompter.Messages().contains(QStringLiteral("Save Changes?")));
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), Sha("kept"));
}

}  // namespace
