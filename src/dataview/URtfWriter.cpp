#include "URtfWriter.h"

#include "base/UTextCodec.h"

#include <QColor>
#include <QList>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace {

class TWriter {
public:
    explicit TWriter(const QTextDocument* document) : FDocument(document) {}

    QByteArray Run();

private:
    int FontIndex(const QTextCharFormat& format);
    int ColorIndex(const QTextCharFormat& format);
    int HalfPoints(const QTextCharFormat& format) const;
    void WriteBlock(const QTextBlock& block);
    static QByteArray EscapeText(const QString& text);

    const QTextDocument* FDocument;
    QStringList FFonts;
    QList<QColor> FColors;
    QByteArray FBody;
};

QByteArray TWriter::Run()
{
    FFonts << FDocument->defaultFont().family();
    bool firstBlock = true;
    for (QTextBlock block = FDocument->begin(); block.isValid(); block = block.next()) {
        if (!firstBlock)
            FBody += "\\par\n";
        firstBlock = false;
        WriteBlock(block);
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (int i = 0; i < FFonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
        QString name = FFonts[i];
        name.remove(QLatin1Char(';'));
        out += EscapeText(name) + ";}";
    }
    out += "}";
    if (!FColors.isEmpty()) {
        out += "{\\colortbl ;";
        for (const QColor& color : FColors) {
            out += "\\red" + QByteArray::number(color.red()) + "\\green" + QByteArray::number(color.green())
                + "\\blue" + QByteArray::number(color.blue()) + ";";
        }
        out += "}";
    }
    out += "\n\\uc1\\pard\\plain ";
    out += FBody;
    out += "}";
    return out;
}

int TWriter::FontIndex(const QTextCharFormat& format)
{
    const QStringList families = format.fontFamilies().toStringList();
    const QString family = families.isEmpty() ? FDocument->defaultFont().family() : families.first();
    qsizetype index = FFonts.indexOf(family);
    if (index < 0) {
        FFonts << family;
        index = FFonts.size() - 1;
    }
    return int(index);
}

int TWriter::ColorIndex(const QTextCharFormat& format)
{
    if (!format.hasProperty(QTextFormat::ForegroundBrush) || format.foreground().style() == Qt::NoBrush)
        return 0;
    const QColor color = format.foreground().color();
    qsizetype index = FColors.indexOf(color);
    if (index < 0) {
        FColors << color;
        index = FColors.size() - 1;
    }
    return int(index) + 1;
}

int TWriter::HalfPoints(const QTextCharFormat& format) const
{
    const double points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
                                                                          : FDocument->defaultFont().pointSizeF();
    return qMax(1, qRound(points * 2));
}

void TWriter::WriteBlock(const QTextBlock& block)
{
    FBody += "\\pard";
    const Qt::Alignment align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignRight)
        FBody += "\\qr";
    else if (align & Qt::AlignHCenter)
        FBody += "\\qc";
    else if (align & Qt::AlignJustify)
        FBody += "\\qj";
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const QTextCharFormat format = fragment.charFormat();
        FBody += "\\plain\\f" + QByteArray::number(FontIndex(format)) + "\\fs" + QByteArray::number(HalfPoints(format));
        if (format.fontWeight() > QFont::Medium)
            FBody += "\\b";
        if (format.fontItalic())
            FBody += "\\i";
        if (format.fontUnderline())
            FBody += "\\ul";
        if (format.fontStrikeOut())
            FBody += "\\strike";
        const int color = ColorIndex(format);
        if (color > 0)
            FBody += "\\cf" + QByteArray::number(color);
        FBody += ' ';
        FBody += EscapeText(fragment.text());
    }
}

QByteArray TWriter::EscapeText(const QString& text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator || u == QChar::ParagraphSeparator || u == '\n') {
            out += "\\line ";
        } else if (u == 0x00A0) {
            out += "\\~";
        } else if (u == 0x00AD) {
            out += "\\-";
        } else if (u == 0x2011) {
            out += "\\_";
        } else if (u >= 0x20 && u < 0x7F) {
            out += char(u);
        } else {
            bool lossless = true;
            const QByteArray byte = u >= 0x80 && !c.isSurrogate()
                ? EncodeText(QString(c), TTextEncoding::Windows1252, &lossless)
                : QByteArray();
            if (u >= 0x80 && !c.isSurrogate() && lossless && byte.size() == 1 && uchar(byte[0]) >= 0x80
                && !(uchar(byte[0]) >= 0x80 && uchar(byte[0]) <= 0x9F && u < 0x100)) {
                out += "\\'" + QByteArray::number(uchar(byte[0]), 16).rightJustified(2, '0');
            } else {
                out += "\\u" + QByteArray::number(qint16(u)) + '?';
            }
        }
    }
    return out;
}

}  // namespace

QByteArray TRtfWriter::Write(const QTextDocument* document)
{
    TWriter writer(document);
    return writer.Run();
}
