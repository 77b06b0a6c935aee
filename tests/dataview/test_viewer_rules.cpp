#include "dataview/UBlobTypeUtil.h"
#include "dataview/UBlobViewChoice.h"
#include "dataview/UFontUtil.h"
#include "dataview/UStreamUtil.h"
#include "dataview/UValueText.h"
#include "dataview/UValueTextReader.h"
#include "base/UException.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

TEST(BlobViewChoice, TableOfRules)
{
    struct Case {
        const char* name;
        bool isNull;
        TFieldType type;
        QByteArray head;
        bool imageLoads;
        TViewKind expected;
    } cases[] = {
        {"NULL memo", true, ftMemo, "{\\rtf1", false, TViewKind::Hex},
        {"NULL graphic", true, ftGraphic, "", true, TViewKind::Hex},
        {"memo rtf", false, ftMemo, "{\\rtf1\\ansi", false, TViewKind::Rich},
        {"memo RTF capitals", false, ftMemo, "{\\RTF1\\ansi", false, TViewKind::Text},
        {"rtf at 8-10", false, ftMemo, "1234567rtf", false, TViewKind::Rich},
        {"rtf at 9-11", false, ftMemo, "12345678rtf", false, TViewKind::Text},
        {"clob text", false, ftOraClob, "hello", false, TViewKind::Text},
        {"formatted memo", false, ftFmtMemo, "plain", false, TViewKind::Rich},
        {"graphic", false, ftGraphic, "x", false, TViewKind::Image},
        {"blob picture", false, ftBlob, "\x89PNG", true, TViewKind::Image},
        {"blob rtf", false, ftBlob, "{\\rtf1", false, TViewKind::Rich},
        {"blob pdf", false, ftBlob, "%PDF-1.4", false, TViewKind::Hex},
        {"blob zip", false, ftBlob, "PK\x03\x04", false, TViewKind::Hex},
        {"wide memo rtf", false, ftWideMemo, "{\\rtf1", false, TViewKind::Hex},
    };
    for (const Case& c : cases) {
        TBlobChoiceInput input;
        input.IsNull = c.isNull;
        input.BlobType = c.type;
        input.Head = c.head;
        bool asked = false;
        input.ImageLoads = [&] {
            asked = true;
            return c.imageLoads;
        };
        EXPECT_EQ(ChooseBlobView(input), c.expected) << c.name;
        // The picture test runs only for binary kinds.
        EXPECT_EQ(asked, !c.isNull && (c.type == ftBlob || c.type == ftOraBlob)) << c.name;
    }
}

TEST(BlobViewChoice, MissingViewerFallsBackToHexThenFirstTab)
{
    using V = std::optional<TViewKind>;
    const QList<V> all = {TViewKind::Text, TViewKind::Rich, V(), V(), V(), V(), V(), TViewKind::Hex, V()};
    EXPECT_EQ(ResolveViewTab(TViewKind::Rich, all), 1);
    EXPECT_EQ(ResolveViewTab(TViewKind::Image, all), 7);
    const QList<V> noHex = {V(), TViewKind::Rich};
    EXPECT_EQ(ResolveViewTab(TViewKind::Image, noHex), 1);
    EXPECT_EQ(ResolveViewTab(TViewKind::Text, QList<V>{V(), V()}), -1);
}

TEST(BlobTypeUtil, ContentTests)
{
    EXPECT_FALSE(UBlobTypeUtil::IsRtf("{\\rtf1", true));
    EXPECT_TRUE(UBlobTypeUtil::IsPdf("%PDF-1.7", false));
    EXPECT_FALSE(UBlobTypeUtil::IsPdf("%pdf-1.7", false));
    EXPECT_FALSE(UBlobTypeUtil::IsPdf("%PDF", true));
    EXPECT_FALSE(UBlobTypeUtil::IsRtf("", false));
}

TFontInfo SampleFont()
{
    TFontInfo font;
    font.Charset = 134;
    font.Name = QStringLiteral("Tahoma");
    font.Size = 10;
    font.Bold = true;
    font.Italic = true;
    font.Color = UColorUtil::clRed;
    return font;
}

TEST(FontUtil, WritesTheDocumentedForm)
{
    TFontInfo font = SampleFont();
    font.Charset = 1;
    EXPECT_EQ(UFontUtil::FontToText(font, true), QStringLiteral("1, \"Tahoma\", 10, [Bold|Italic], [clRed]"));
    EXPECT_EQ(UFontUtil::FontToText(font, false), QStringLiteral("1, \"Tahoma\", 10, [Bold|Italic]"));
    font.Bold = font.Italic = false;
    font.StrikeOut = true;
    font.Color = 0x123456;
    EXPECT_EQ(UFontUtil::FontToText(font, true), QStringLiteral("1, \"Tahoma\", 10, [Strikeout], [$00123456]"));
}

TEST(FontUtil, RoundTripsEveryPart)
{
    const TColor colors[] = {UColorUtil::clRed, UColorUtil::clWindowText, 0x00ABCDEF, 0};
    for (TColor color : colors) {
        for (int styles = 0; styles < 16; ++styles) {
            TFontInfo font = SampleFont();
            font.Name = QStringLiteral("DejaVu Sans Mono");
            font.Bold = styles & 1;
            font.Italic = styles & 2;
            font.Underline = styles & 4;
            font.StrikeOut = styles & 8;
            font.Color = color;
            TFontInfo read;
            UFontUtil::TextToFont(UFontUtil::FontToText(font, true), read, true);
            EXPECT_EQ(read, font) << UFontUtil::FontToText(font, true).toStdString();
        }
    }
}

TEST(FontUtil, TextToFontQuirks)
{
    // Without the colour part the styles are never reached.
    TFontInfo font;
    UFontUtil::TextToFont(QStringLiteral("0, \"Arial\", 12, [Bold]"), font, true);
    EXPECT_EQ(font.Name, QStringLiteral("Arial"));
    EXPECT_EQ(font.Size, 12);
    EXPECT_FALSE(font.Bold);
    EXPECT_EQ(font.Color, UColorUtil::clWindowText);

    // Without colour asked for, a text without it still has no style part.
    TFontInfo plain;
    UFontUtil::TextToFont(QStringLiteral("0, \"Arial\", 12, [Bold]"), plain, false);
    EXPECT_FALSE(plain.Bold);

    // A comma in the name: the name is cut and the parse stops at the size.
    TFontInfo comma;
    UFontUtil::TextToFont(QStringLiteral("1, \"Ta,homa\", 10, [Bold], [clRed]"), comma, true);
    EXPECT_NE(comma.Name, QStringLiteral("Ta,homa"));
    EXPECT_EQ(comma.Size, 8);
    EXPECT_FALSE(comma.Bold);

    // A bad number ends the parse; what came before stays.
    TFontInfo bad;
    UFontUtil::TextToFont(QStringLiteral("2, \"Courier\", x, [Bold], [clRed]"), bad, true);
    EXPECT_EQ(bad.Charset, 2);
    EXPECT_EQ(bad.Name, QStringLiteral("Courier"));
    EXPECT_EQ(bad.Size, 8);

    // Nothing at all: nothing changes, nothing raised.
    TFontInfo empty;
    UFontUtil::TextToFont(QString(), empty, true);
    EXPECT_EQ(empty, TFontInfo());
}

TEST(ValueText, DecodesByFieldKind)
{
    const QByteArray utf8 = "caf\xC3\xA9";
    const QByteArray cp1252 = "caf\xE9";
    struct Case {
        const char* name;
        QByteArray bytes;
        TFieldType type;
        TTextEncoding encoding;
        QString text;
    } cases[] = {
        {"wide", utf8, ftWideMemo, TTextEncoding::Utf8, QStringLiteral("café")},
        {"narrow", cp1252, ftMemo, TTextEncoding::Windows1252, QStringLiteral("café")},
        {"narrow reads UTF-8 bytes as 1252", utf8, ftString, TTextEncoding::Windows1252, QStringLiteral("cafÃ©")},
        {"blob UTF-8", utf8, ftBlob, TTextEncoding::Utf8, QStringLiteral("café")},
        {"blob 1252", cp1252, ftBlob, TTextEncoding::Windows1252, QStringLiteral("café")},
        {"blob with mark", QByteArray("\xEF\xBB\xBFx"), ftBlob, TTextEncoding::Utf8Bom, QStringLiteral("x")},
        {"varbytes", cp1252, ftVarBytes, TTextEncoding::Windows1252, QStringLiteral("café")},
    };
    for (const Case& c : cases) {
        const TValueText value = TValueText::Decode(c.bytes, false, c.type);
        EXPECT_EQ(value.Encoding(), c.encoding) << c.name;
        EXPECT_EQ(value.Text(), c.text) << c.name;
        EXPECT_TRUE(value.Faithful()) << c.name;
        // Unedited text gives the same bytes back.
        EXPECT_EQ(value.Encode(value.Text()), c.bytes) << c.name;
    }
    EXPECT_EQ(TValueText::Decode({}, true, ftBlob).Encoding(), TTextEncoding::Utf8);
}

TEST(ValueText, LineEndsAndWhatAnEditorCannotKeep)
{
    const TValueText crlf = TValueText::Decode("a\r\nb", false, ftMemo);
    EXPECT_EQ(crlf.Text(), QStringLiteral("a\nb"));
    EXPECT_EQ(crlf.Encode(QStringLiteral("a\nb\nc")), QByteArray("a\r\nb\r\nc"));
    const TValueText lf = TValueText::Decode("a\nb", false, ftMemo);
    EXPECT_EQ(lf.Encode(QStringLiteral("a\nb\nc")), QByteArray("a\nb\nc"));
    // A value without breaks takes LF.
    EXPECT_EQ(TValueText::Decode("a", false, ftMemo).Encode(QStringLiteral("a\nb")), QByteArray("a\nb"));
    EXPECT_EQ(TValueText::Decode({}, true, ftBlob).Encode(QStringLiteral("a\nb")), QByteArray("a\nb"));

    const QByteArray unfaithful[] = {QByteArray("a\0b", 3), "a\r\nb\nc", "a\rb"};
    for (const QByteArray& bytes : unfaithful) {
        const TValueText value = TValueText::Decode(bytes, false, ftBlob);
        EXPECT_FALSE(value.Faithful()) << bytes.toStdString();
        EXPECT_FALSE(value.Note().isEmpty());
    }
}

// Read in pieces of every small size, a value gives the text and the rules
// it gives read whole: characters, marks and CR LF cut by a piece's end.
TEST(ValueText, PiecesReadAsTheWhole)
{
    const struct {
        const char* name;
        QByteArray bytes;
        TFieldType type;
    } cases[] = {
        {"UTF-8", "a\xC3\xA9\r\n\xE4\xB8\xAD\r\n\xF0\x9F\x98\x80x\r\n", ftBlob},
        {"UTF-8 mark, a mark inside", "\xEF\xBB\xBF" "ab\xEF\xBB\xBF\ncd\n", ftBlob},
        {"UTF-16LE", QByteArray("\xFF\xFEh\0\r\0\n\0\x2D\x4E\r\0\n\0", 14), ftBlob},
        {"Windows-1252", "caf\xE9\r\nna\xEFve\r\n", ftBlob},
        {"mixed line ends", "a\r\nb\nc\rd", ftBlob},
        {"NUL", QByteArray("a\0\r\nb", 5), ftBlob},
        {"lone CR last", "ab\r", ftMemo},
        {"invalid at the end", "abc\xC3", ftBlob},
    };
    for (const auto& c : cases) {
        const TValueText whole = TValueText::Decode(c.bytes, false, c.type);
        for (qint64 size = 1; size <= c.bytes.size(); ++size) {
            auto buffer = std::make_unique<QBuffer>();
            buffer->setData(c.bytes);
            buffer->open(QIODevice::ReadOnly);
            TValueTextReader reader(std::move(buffer), false, c.type);
            QString text;
            while (!reader.AtEnd())
                text += reader.Next(size);
            const TValueText pieces = reader.Result();
            EXPECT_EQ(text, whole.Text()) << c.name << " in pieces of " << size;
            EXPECT_EQ(pieces.Encoding(), whole.Encoding()) << c.name << " " << size;
            EXPECT_EQ(pieces.LineEnd(), whole.LineEnd()) << c.name << " " << size;
            EXPECT_EQ(pieces.Note(), whole.Note()) << c.name << " " << size;
            EXPECT_EQ(reader.BytesRead(), c.bytes.size()) << c.name << " " << size;
        }
        if (whole.Faithful()) {
            EXPECT_EQ(whole.Encode(whole.Text()), c.bytes) << c.name;
        }
    }
}

TEST(ValueText, RefusesACharacterTheEncodingLacks)
{
    const TValueText narrow = TValueText::Decode("abc", false, ftMemo);
    try {
        narrow.Encode(QStringLiteral("a\u4E2Db"));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("\u4E2D"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("U+4E2D")));
    }
    // A byte-valued field read as UTF-8 takes any character.
    const TValueText bytes = TValueText::Decode({}, true, ftBlob);
    EXPECT_EQ(bytes.Encode(QStringLiteral("\u4E2D")), QByteArray("\xE4\xB8\xAD"));
}

TEST(StreamUtil, NullAndEmptyAreOne)
{
    QBuffer buffer;
    UStreamUtil::VariantToStream(QVariant(QByteArray("abc")), &buffer);
    EXPECT_EQ(buffer.buffer(), QByteArray("abc"));
    EXPECT_EQ(buffer.pos(), 0);
    EXPECT_EQ(UStreamUtil::StreamToVariant(&buffer).toByteArray(), QByteArray("abc"));
    UStreamUtil::VariantToStream(QVariant(), &buffer);
    EXPECT_TRUE(buffer.buffer().isEmpty());
    EXPECT_FALSE(UStreamUtil::StreamToVariant(&buffer).isValid());
    EXPECT_THROW(UStreamUtil::StreamToVariant(nullptr), Exception);
    EXPECT_THROW(UStreamUtil::VariantToStream(QVariant(), nullptr), Exception);
}

}  // namespace
