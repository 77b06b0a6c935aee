#include "dataview/URtfReader.h"
#include "dataview/URtfWriter.h"
#include "support/VqTestSupport.h"
#include "support/VqWidgetTestSupport.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

namespace {

class RtfTest : public vqtest::WidgetTest {
protected:
    static QByteArray Fixture(const QString& name)
    {
        QFile file(vqtest::TestDataPath(QStringLiteral("rtf/") + name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }

    // The character format at the first occurrence of text.
    static QTextCharFormat FormatOf(const QTextDocument& document, const QString& text)
    {
        QTextCursor cursor = document.find(text);
        EXPECT_FALSE(cursor.isNull()) << text.toStdString();
        return cursor.charFormat();
    }

    static Qt::Alignment AlignmentOf(const QTextDocument& document, const QString& text)
    {
        return document.find(text).block().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    }
};

TEST_F(RtfTest, WordProcessorFileKeepsTextAndFormats)
{
    QTextDocument document;
    const TRtfReader::TResult result = TRtfReader::Read(Fixture(QStringLiteral("wordpad.rtf")), &document);
    EXPECT_TRUE(result.Editable) << result.Note.toStdString();
    const QString text = document.toPlainText();
    EXPECT_FALSE(text.contains(QStringLiteral("Riched20")));
    EXPECT_FALSE(text.contains(QStringLiteral("Someone")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Quarterly note\nPlain text with italic")));
    EXPECT_TRUE(document.toRawText().contains(QStringLiteral("Café costs 5€ – “quoted”\tafter tab\u2028second line")))
        << text.toStdString();

    EXPECT_EQ(FormatOf(document, QStringLiteral("Quarterly")).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatOf(document, QStringLiteral("Quarterly")).fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(FormatOf(document, QStringLiteral("Quarterly")).fontPointSize(), 14.0);
    EXPECT_EQ(AlignmentOf(document, QStringLiteral("Quarterly")), Qt::AlignHCenter);
    EXPECT_TRUE(FormatOf(document, QStringLiteral("italic")).fontItalic());
    EXPECT_TRUE(FormatOf(document, QStringLiteral("underlined")).fontUnderline());
    EXPECT_TRUE(FormatOf(document, QStringLiteral("struck")).fontStrikeOut());
    EXPECT_EQ(FormatOf(document, QStringLiteral("red")).foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(FormatOf(document, QStringLiteral("Plain")).fontItalic());
    EXPECT_EQ(AlignmentOf(document, QStringLiteral("Right aligned")), Qt::AlignRight);
}

TEST_F(RtfTest, CodePagesAndUnicode)
{
    struct Case {
        const char* file;
        QString expected;
    } cases[] = {
        {"gbk.rtf", QStringLiteral("中文 text")},
        {"gbk-codepage.rtf", QStringLiteral("中文")},
        {"unicode.rtf", QStringLiteral("中文€ and 😀.")},
    };
    for (const Case& c : cases) {
        QTextDocument document;
        EXPECT_TRUE(TRtfReader::Read(Fixture(QString::fromLatin1(c.file)), &document).Editable) << c.file;
        EXPECT_TRUE(document.toPlainText().startsWith(c.expected)) << c.file << ": " << document.toPlainText().toStdString();
    }
    QTextDocument document;
    TRtfReader::Read(Fixture(QStringLiteral("gbk.rtf")), &document);
    EXPECT_EQ(FormatOf(document, QStringLiteral("text")).fontFamilies().toStringList().value(0), QStringLiteral("宋体"));
}

TEST_F(RtfTest, ContentItCannotKeepMakesItReadOnly)
{
    const char* files[] = {"picture.rtf", "table.rtf", "header.rtf"};
    for (const char* file : files) {
        QTextDocument document;
        const TRtfReader::TResult result = TRtfReader::Read(Fixture(QString::fromLatin1(file)), &document);
        EXPECT_FALSE(result.Editable) << file;
        EXPECT_TRUE(result.Note.startsWith(QStringLiteral("Read-only"))) << file;
    }
    QTextDocument document;
    TRtfReader::Read(Fixture(QStringLiteral("picture.rtf")), &document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Before  after\n"));
    // An optional group of unknown kind is formatting, a header is not shown.
    TRtfReader::Read(Fixture(QStringLiteral("header.rtf")), &document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Body\n"));
}

TEST_F(RtfTest, WriteThenReadKeepsTextAndFormats)
{
    QTextDocument original;
    TRtfReader::Read(Fixture(QStringLiteral("wordpad.rtf")), &original);
    // Characters Windows-1252 lacks, and the characters RTF escapes.
    QTextCursor cursor(&original);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("中文 {braces} back\\slash 😀"));

    const QByteArray rtf = TRtfWriter::Write(&original);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    EXPECT_TRUE(rtf.contains("\\'e9"));       // é from Windows-1252
    EXPECT_TRUE(rtf.contains("\\u20013?"));   // 中 as Unicode
    EXPECT_TRUE(rtf.contains("\\uc1"));

    QTextDocument read;
    EXPECT_TRUE(TRtfReader::Read(rtf, &read).Editable);
    EXPECT_EQ(read.toPlainText(), original.toPlainText());
    EXPECT_EQ(read.blockCount(), original.blockCount());
    for (const QString& word : {QStringLiteral("Quarterly"), QStringLiteral("italic"), QStringLiteral("underlined"),
                                QStringLiteral("struck"), QStringLiteral("red"), QStringLiteral("Right")}) {
        const QTextCharFormat a = FormatOf(original, word);
        const QTextCharFormat b = FormatOf(read, word);
        EXPECT_EQ(a.fontWeight(), b.fontWeight()) << word.toStdString();
        EXPECT_EQ(a.fontItalic(), b.fontItalic()) << word.toStdString();
        EXPECT_EQ(a.fontUnderline(), b.fontUnderline()) << word.toStdString();
        EXPECT_EQ(a.fontStrikeOut(), b.fontStrikeOut()) << word.toStdString();
        EXPECT_EQ(a.fontPointSize(), b.fontPointSize()) << word.toStdString();
        EXPECT_EQ(a.fontFamilies(), b.fontFamilies()) << word.toStdString();
        EXPECT_EQ(a.foreground().color(), b.foreground().color()) << word.toStdString();
        EXPECT_EQ(AlignmentOf(original, word), AlignmentOf(read, word)) << word.toStdString();
    }
    // Writing what was read gives the same rich text again.
    EXPECT_EQ(TRtfWriter::Write(&read), rtf);
}

}  // namespace
