#include "dataview/HexView.h"
#include "dataview/UFindDialog.h"
#include "dataview/UReplaceDialog.h"
#include "dataview/UTextSearch.h"
#include "support/VqWidgetTestSupport.h"

#include <QBuffer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QTest>

namespace {

// A device that counts the bytes read from it, to show that painting reads
// only the lines in view.
class CountingBuffer : public QBuffer {
public:
    qint64 BytesRead = 0;

protected:
    qint64 readData(char* data, qint64 len) override
    {
        const qint64 n = QBuffer::readData(data, len);
        BytesRead += qMax<qint64>(0, n);
        return n;
    }
};

using HexViewTest = vqtest::WidgetTest;

TEST_F(HexViewTest, LineLayout)
{
    const QByteArray bytes("0123456789ABCDEF\x00\x7F\xFF", 19);
    EXPECT_EQ(HexView::LineText(0, bytes.left(16)),
              QStringLiteral("00000000  30 31 32 33 34 35 36 37  38 39 41 42 43 44 45 46  0123456789ABCDEF"));
    EXPECT_EQ(HexView::LineText(16, bytes.mid(16)),
              QStringLiteral("00000010  00 7F FF                                          ..."));
}

TEST_F(HexViewTest, SourcesAndEmptyView)
{
    HexView view;
    view.resize(600, 300);
    view.show();
    EXPECT_EQ(view.LineCount(), 0);
    view.OpenBytes(QByteArray(33, 'a'));
    EXPECT_EQ(view.LineCount(), 3);
    EXPECT_EQ(view.SourceSize(), 33);

    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("file bytes");
    file.flush();
    view.OpenFile(file.fileName());
    EXPECT_EQ(view.SourceSize(), 10);
    EXPECT_TRUE(view.LineTextAt(0).endsWith(QStringLiteral("file bytes")));

    view.OpenNone();
    EXPECT_EQ(view.SourceSize(), 0);
    view.grab();
    EXPECT_THROW(view.OpenFile(QStringLiteral("/nonexistent/file")), std::exception);
}

TEST_F(HexViewTest, LargeValueScrollsAtOnceAndPaintsOnlyWhatIsInView)
{
    CountingBuffer device;
    device.buffer() = QByteArray(64 * 1024 * 1024, '\0');
    device.buffer()[device.buffer().size() - 1] = 'Z';
    device.open(QIODevice::ReadOnly);

    HexView view;
    view.resize(700, 400);
    view.show();
    view.OpenDevice(&device);
    EXPECT_EQ(view.LineCount(), 4 * 1024 * 1024);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    device.BytesRead = 0;
    view.viewport()->grab();
    EXPECT_EQ(view.LastPaintedLine(), view.LineCount() - 1);
    EXPECT_LE(device.BytesRead, (view.VisibleLineCount() + 2) * HexView::BytesPerLine);
    EXPECT_TRUE(view.LineTextAt(view.LineCount() - 1).endsWith(QStringLiteral("...............Z")));
}

TEST(TextSearch, FindInTextOptions)
{
    const QString text = QStringLiteral("Cat scatter cat CAT");
    TSearchOptions options;
    EXPECT_EQ(FindInText(text, QStringLiteral("cat"), 0, options), 0);
    EXPECT_EQ(FindInText(text, QStringLiteral("cat"), 1, options), 5);
    options.WholeWord = true;
    EXPECT_EQ(FindInText(text, QStringLiteral("cat"), 1, options), 12);
    options.MatchCase = true;
    EXPECT_EQ(FindInText(text, QStringLiteral("CAT"), 0, options), 16);
    options = {};
    options.Down = false;
    EXPECT_EQ(FindInText(text, QStringLiteral("cat"), 15, options), 12);
    EXPECT_EQ(FindInText(text, QStringLiteral("cat"), 2, options), -1);
    EXPECT_EQ(FindInText(text, QString(), 0, {}), -1);
}

using SearchDialogTest = vqtest::WidgetTest;

TEST_F(SearchDialogTest, FindAndReplaceDriveTheEditor)
{
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("one two one\nthree one"));
    TPlainTextSearcher searcher(&editor);

    TFindDialog find;
    find.SetFindText(QStringLiteral("one"));
    QObject::connect(&find, &TFindDialog::FindNextRequested, [&] { searcher.FindNext(find.FindText(), find.Options()); });
    auto* findNext = find.findChild<QPushButton*>(QStringLiteral("btnFindNext"));
    QTest::mouseClick(findNext, Qt::LeftButton);
    EXPECT_EQ(editor.textCursor().selectionStart(), 0);
    QTest::mouseClick(findNext, Qt::LeftButton);
    EXPECT_EQ(editor.textCursor().selectionStart(), 8);
    find.findChild<QLineEdit*>(QStringLiteral("edtFindText"))->clear();
    EXPECT_FALSE(findNext->isEnabled());

    TReplaceDialog replace;
    replace.SetFindText(QStringLiteral("one"));
    replace.findChild<QLineEdit*>(QStringLiteral("edtReplaceText"))->setText(QStringLiteral("1"));
    QObject::connect(&replace, &TReplaceDialog::ReplaceRequested,
                     [&] { searcher.Replace(replace.FindText(), replace.ReplaceText(), replace.Options()); });
    QObject::connect(&replace, &TReplaceDialog::ReplaceAllRequested,
                     [&] { searcher.ReplaceAll(replace.FindText(), replace.ReplaceText(), replace.Options()); });
    // The selection is the match at 8: Replace changes it and selects the next.
    QTest::mouseClick(replace.findChild<QPushButton*>(QStringLiteral("btnReplace")), Qt::LeftButton);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("one two 1\nthree one"));
    EXPECT_EQ(editor.textCursor().selectedText(), QStringLiteral("one"));
    QTest::mouseClick(replace.findChild<QPushButton*>(QStringLiteral("btnReplaceAll")), Qt::LeftButton);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("1 two 1\nthree 1"));
    // Replace All is one undo step.
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("one two 1\nthree one"));

    editor.setReadOnly(true);
    EXPECT_EQ(searcher.ReplaceAll(QStringLiteral("one"), QStringLiteral("x"), {}), 0);
}

}  // namespace
