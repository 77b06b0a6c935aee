#include "URtfReader.h"

#include "base/UTextCodec.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Where the text of a group goes.
enum class TDestination {
    Body,        // shown
    FontTable,
    ColorTable,
    Skip,        // formatting or an alternative copy: read past
    Hidden,      // content that cannot be shown: read past, not editable
};

struct TCharState {
    int Font = -1;        // -1: the default font
    int HalfPoints = 24;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Color = 0;        // 0: automatic
};

struct TGroupState {
    TDestination Destination = TDestination::Body;
    TCharState Char;
    Qt::Alignment Align = Qt::AlignLeft;
    int SkipAfterUnicode = 1;   // \ucN
    bool FirstWord = true;      // the group's first control word may name a destination
    bool Ignorable = false;     // \* seen: an unknown destination is skipped
};

struct TFontEntry {
    QString Name;
    QByteArray NameBytes;
    int Charset = -1;
    int CodePage = 0;
};

// Code pages of the font character sets.
int CharsetCodePage(int charset)
{
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0;   // the document's code page
    }
}

QByteArray CodecName(int codePage)
{
    switch (codePage) {
    case 10000: return "macintosh";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "EUC-KR";
    case 950: return "Big5";
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 65001: return "UTF-8";
    default: return "windows-" + QByteArray::number(codePage);
    }
}

QString DecodeBytes(const QByteArray& bytes, int codePage)
{
    if (codePage == 1252 || codePage == 0)
        return DecodeText(bytes, TTextEncoding::Windows1252);
    QStringDecoder decoder(CodecName(codePage).constData());
    if (!decoder.isValid())
        return DecodeText(bytes, TTextEncoding::Windows1252);
    return decoder.decode(bytes);
}

// Named characters.
const QHash<QByteArray, char16_t>& NamedCharacters()
{
    static const QHash<QByteArray, char16_t> names = {
        {"emdash", 0x2014}, {"endash", 0x2013}, {"bullet", 0x2022}, {"lquote", 0x2018},
        {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
        {"enspace", 0x2002}, {"qmspace", 0x2005}, {"zwj", 0x200D}, {"zwnj", 0x200C},
        {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
    };
    return names;
}

// Groups read past as formatting (without \* in front).
const QSet<QByteArray>& SkippedDestinations()
{
    static const QSet<QByteArray> words = {
        "stylesheet", "info", "listtable", "listoverridetable", "rsidtbl", "generator",
        "xmlnstbl", "latentstyles", "themedata", "colorschememapping", "datastore",
        "pgdsctbl", "revtbl", "filetbl", "mmathPr", "fchars", "lchars", "nonshppict",
        "panose", "falt", "author", "operator", "title", "subject", "keywords", "comment",
        "doccomm", "company", "category", "creatim", "revtim", "printim", "buptim",
    };
    return words;
}

// Destinations whose content a plain rich-text editor cannot keep.
const QHash<QByteArray, QString>& HiddenDestinations()
{
    static const QHash<QByteArray, QString> words = {
        {"pict", QStringLiteral("pictures")},       {"shppict", QStringLiteral("pictures")},
        {"object", QStringLiteral("objects")},      {"shp", QStringLiteral("objects")},
        {"do", QStringLiteral("objects")},          {"footnote", QStringLiteral("notes")},
        {"annotation", QStringLiteral("notes")},    {"atnid", QStringLiteral("notes")},
        {"header", QStringLiteral("headers")},      {"headerl", QStringLiteral("headers")},
        {"headerr", QStringLiteral("headers")},     {"headerf", QStringLiteral("headers")},
        {"footer", QStringLiteral("footers")},      {"footerl", QStringLiteral("footers")},
        {"footerr", QStringLiteral("footers")},     {"footerf", QStringLiteral("footers")},
        {"fldinst", QStringLiteral("fields")},      {"txe", QStringLiteral("index entries")},
        {"xe", QStringLiteral("index entries")},    {"tc", QStringLiteral("index entries")},
    };
    return words;
}

class TParser {
public:
    TParser(const QByteArray& bytes, QTextDocument* document) : FIn(bytes), FCursor(document) {}

    TRtfReader::TResult Run();

private:
    void OpenGroup();
    void CloseGroup();
    void ControlWord(const QByteArray& word, bool hasParam, int param);
    void ControlSymbol(char symbol);
    void TextByte(char byte);
    void HexByte(unsigned char byte);
    void AppendText(const QString& text);
    void FlushBytes();
    void EndParagraph();
    void MarkHidden(const QString& what);
    QTextCharFormat CharFormat() const;
    int CurrentCodePage() const;
    void FinishFontEntry();

    TGroupState& State() { return FStack.last(); }
    const TGroupState& State() const { return FStack.last(); }

    const QByteArray& FIn;
    qsizetype FPos = 0;
    QTextCursor FCursor;
    QList<TGroupState> FStack;
    QHash<int, TFontEntry> FFonts;
    int FFontEntry = -1;   // the font table entry being read
    QList<QColor> FColors;
    int FRed = -1, FGreen = -1, FBlue = -1;
    int FDefaultFont = 0;
    int FCodePage = 1252;
    int FSkipChars = 0;         // characters still to skip after \uN
    QByteArray FPendingBytes;   // text bytes waiting for one decode
    int FPendingCodePage = 0;
    QTextCharFormat FPendingFormat;
    QStringList FHidden;
    bool FAnyText = false;
};

TRtfReader::TResult TParser::Run()
{
    FStack.append(TGroupState());
    FCursor.document()->clear();
    FCursor = QTextCursor(FCursor.document());
    while (FPos < FIn.size()) {
        const char c = FIn[FPos++];
        if (c == '{') {
            FlushBytes();
            OpenGroup();
        } else if (c == '}') {
            FlushBytes();
            CloseGroup();
        } else if (c == '\\') {
            if (FPos >= FIn.size())
                break;
            const char next = FIn[FPos];
            if (QChar::isLetter(uchar(next)) && uchar(next) < 0x80) {
                const qsizetype start = FPos;
                while (FPos < FIn.size() && uchar(FIn[FPos]) < 0x80 && QChar::isLetter(uchar(FIn[FPos])))
                    ++FPos;
                const QByteArray word = FIn.mid(start, FPos - start);
                bool hasParam = false;
                qsizetype numStart = FPos;
                if (FPos < FIn.size() && FIn[FPos] == '-')
                    ++FPos;
                while (FPos < FIn.size() && FIn[FPos] >= '0' && FIn[FPos] <= '9')
                    ++FPos;
                int param = 0;
                if (FPos > numStart && !(FPos == numStart + 1 && FIn[numStart] == '-')) {
                    hasParam = true;
                    param = FIn.mid(numStart, FPos - numStart).toInt();
                } else {
                    FPos = numStart;
                }
                if (FPos < FIn.size() && FIn[FPos] == ' ')
                    ++FPos;
                ControlWord(word, hasParam, param);
            } else {
                ++FPos;
                ControlSymbol(next);
            }
        } else if (c == '\r' || c == '\n') {
            continue;
        } else {
            TextByte(c);
        }
    }
    FlushBytes();
    FCursor.setBlockFormat([this] {
        QTextBlockFormat format;
        format.setAlignment(State().Align);
        return format;
    }());

    TRtfReader::TResult result;
    if (!FHidden.isEmpty()) {
        FHidden.removeDuplicates();
        result.Editable = false;
        result.Note = QStringLiteral("Read-only: this viewer cannot keep the value's %1.").arg(FHidden.join(QStringLiteral(", ")));
    }
    return result;
}

void TParser::OpenGroup()
{
    TGroupState state = State();
    state.FirstWord = true;
    state.Ignorable = false;
    FStack.append(state);
    FSkipChars = 0;
}

void TParser::CloseGroup()
{
    if (State().Destination == TDestination::FontTable && FFontEntry >= 0 && FStack.size() > 1
        && FStack[FStack.size() - 2].Destination == TDestination::FontTable)
        FinishFontEntry();
    if (FStack.size() > 1) {
        FStack.removeLast();
    }
    FSkipChars = 0;
}

void TParser::MarkHidden(const QString& what)
{
    FHidden << what;
}

int TParser::CurrentCodePage() const
{
    const auto font = FFonts.constFind(State().Char.Font < 0 ? FDefaultFont : State().Char.Font);
    if (font != FFonts.constEnd()) {
        if (font->CodePage > 0)
            return font->CodePage;
        const int fromCharset = CharsetCodePage(font->Charset);
        if (fromCharset > 0)
            return fromCharset;
    }
    return FCodePage;
}

QTextCharFormat TParser::CharFormat() const
{
    const TCharState& s = State().Char;
    QTextCharFormat format;
    const int fontId = s.Font < 0 ? FDefaultFont : s.Font;
    const auto font = FFonts.constFind(fontId);
    if (font != FFonts.constEnd() && !font->Name.isEmpty())
        format.setFontFamilies(QStringList{font->Name});
    format.setFontPointSize(s.HalfPoints / 2.0);
    format.setFontWeight(s.Bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(s.Italic);
    format.setFontUnderline(s.Underline);
    format.setFontStrikeOut(s.StrikeOut);
    if (s.Color > 0 && s.Color < FColors.size() && FColors[s.Color].isValid())
        format.setForeground(FColors[s.Color]);
    return format;
}

void TParser::AppendText(const QString& text)
{
    if (text.isEmpty())
        return;
    switch (State().Destination) {
    case TDestination::Body:
        FlushBytes();
        FCursor.insertText(text, CharFormat());
        FAnyText = true;
        break;
    case TDestination::FontTable:
        if (FFontEntry >= 0)
            FFonts[FFontEntry].Name += text;
        break;
    default:
        break;
    }
}

void TParser::FlushBytes()
{
    if (FPendingBytes.isEmpty())
        return;
    const QByteArray bytes = FPendingBytes;
    FPendingBytes.clear();
    const QString text = DecodeBytes(bytes, FPendingCodePage);
    FCursor.insertText(text, FPendingFormat);
    FAnyText = true;
}

void TParser::TextByte(char byte)
{
    if (FSkipChars > 0) {
        --FSkipChars;
        return;
    }
    const TDestination destination = State().Destination;
    if (destination == TDestination::FontTable) {
        if (byte == ';')
            FinishFontEntry();
        else if (FFontEntry >= 0)
            FFonts[FFontEntry].NameBytes += byte;
        return;
    }
    if (destination == TDestination::ColorTable) {
        if (byte == ';') {
            FColors << (FRed < 0 && FGreen < 0 && FBlue < 0 ? QColor() : QColor(qMax(0, FRed), qMax(0, FGreen), qMax(0, FBlue)));
            FRed = FGreen = FBlue = -1;
        }
        return;
    }
    if (destination != TDestination::Body)
        return;
    if (uchar(byte) < 0x80 && FPendingBytes.isEmpty()) {
        // Plain ASCII goes straight in, in runs.
        QString run = QString(QChar(uchar(byte)));
        while (FPos < FIn.size()) {
            const char c = FIn[FPos];
            if (c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || uchar(c) >= 0x80)
                break;
            run += QChar(uchar(c));
            ++FPos;
        }
        FCursor.insertText(run, CharFormat());
        FAnyText = true;
        return;
    }
    HexByte(uchar(byte));
}

void TParser::HexByte(unsigned char byte)
{
    if (FSkipChars > 0) {
        --FSkipChars;
        return;
    }
    if (State().Destination == TDestination::FontTable) {
        if (FFontEntry >= 0)
            FFonts[FFontEntry].NameBytes += char(byte);
        return;
    }
    if (State().Destination != TDestination::Body)
        return;
    const int codePage = CurrentCodePage();
    const QTextCharFormat format = CharFormat();
    if (!FPendingBytes.isEmpty() && (codePage != FPendingCodePage || format != FPendingFormat))
        FlushBytes();
    FPendingCodePage = codePage;
    FPendingFormat = format;
    FPendingBytes += char(byte);
}

void TParser::FinishFontEntry()
{
    if (FFontEntry < 0)
        return;
    TFontEntry& font = FFonts[FFontEntry];
    int codePage = font.CodePage > 0 ? font.CodePage : CharsetCodePage(font.Charset);
    if (codePage <= 0)
        codePage = FCodePage;
    if (!font.NameBytes.isEmpty())
        font.Name += DecodeBytes(font.NameBytes, codePage);
    font.NameBytes.clear();
    font.Name = font.Name.trimmed();
    if (font.Name.endsWith(QLatin1Char(';')))
        font.Name.chop(1);
    FFontEntry = -1;
}

void TParser::EndParagraph()
{
    FlushBytes();
    QTextBlockFormat format;
    format.setAlignment(State().Align);
    FCursor.setBlockFormat(format);
    FCursor.insertBlock(format, CharFormat());
}

void TParser::ControlSymbol(char symbol)
{
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        if (FSkipChars > 0) {
            --FSkipChars;
            return;
        }
        if (State().Destination == TDestination::Body)
            HexByte(uchar(symbol));
        return;
    case '\'': {
        if (FPos + 2 > FIn.size())
            return;
        bool ok = false;
        const int value = FIn.mid(FPos, 2).toInt(&ok, 16);
        FPos += 2;
        if (ok)
            HexByte(uchar(value));
        return;
    }
    case '*':
        State().Ignorable = true;
        return;
    case '~':
        AppendText(QString(QChar(0x00A0)));
        return;
    case '-':
        AppendText(QString(QChar(0x00AD)));
        return;
    case '_':
        AppendText(QString(QChar(0x2011)));
        return;
    case '\n':
    case '\r':
        if (State().Destination == TDestination::Body)
            EndParagraph();
        return;
    case '\t':
        AppendText(QStringLiteral("\t"));
        return;
    default:
        return;
    }
}

void TParser::ControlWord(const QByteArray& word, bool hasParam, int param)
{
    TGroupState& state = State();
    const bool first = state.FirstWord;
    state.FirstWord = false;
    if (state.Destination == TDestination::Skip || state.Destination == TDestination::Hidden) {
        if (word == "bin" && hasParam && param > 0)
            FPos = qMin(FIn.size(), FPos + param);
        if (word == "pict" || word == "object")
            MarkHidden(HiddenDestinations().value(word));
        return;
    }

    // Destinations: the first word of a group.
    if (first) {
        if (word == "fonttbl") {
            state.Destination = TDestination::FontTable;
            return;
        }
        if (word == "colortbl") {
            state.Destination = TDestination::ColorTable;
            FColors.clear();
            return;
        }
        const auto hidden = HiddenDestinations().constFind(word);
        if (hidden != HiddenDestinations().constEnd()) {
            FlushBytes();
            MarkHidden(hidden.value());
            state.Destination = TDestination::Hidden;
            return;
        }
        if (SkippedDestinations().contains(word) || (state.Ignorable && word != "ud" && word != "fldrslt")) {
            FlushBytes();
            state.Destination = TDestination::Skip;
            return;
        }
    }
    if (word == "bin" && hasParam && param > 0) {
        FPos = qMin(FIn.size(), FPos + param);
        return;
    }

    if (state.Destination == TDestination::FontTable) {
        if (word == "f" && hasParam) {
            FinishFontEntry();
            FFontEntry = param;
            FFonts[param] = TFontEntry();
        } else if (word == "fcharset" && FFontEntry >= 0) {
            FFonts[FFontEntry].Charset = param;
        } else if (word == "cpg" && FFontEntry >= 0) {
            FFonts[FFontEntry].CodePage = param;
        }
        return;
    }
    if (state.Destination == TDestination::ColorTable) {
        if (word == "red")
            FRed = param;
        else if (word == "green")
            FGreen = param;
        else if (word == "blue")
            FBlue = param;
        return;
    }

    const auto named = NamedCharacters().constFind(word);
    if (named != NamedCharacters().constEnd()) {
        AppendText(QString(QChar(named.value())));
        return;
    }

    TCharState& ch = state.Char;
    const bool on = !hasParam || param != 0;
    if (word == "par" || word == "sect" || word == "page") {
        if (state.Destination == TDestination::Body)
            EndParagraph();
    } else if (word == "line") {
        AppendText(QString(QChar(QChar::LineSeparator)));
    } else if (word == "tab") {
        AppendText(QStringLiteral("\t"));
    } else if (word == "u" && hasParam) {
        FlushBytes();
        AppendText(QString(QChar(char16_t(param < 0 ? param + 65536 : param))));
        FSkipChars = state.SkipAfterUnicode;
    } else if (word == "uc") {
        state.SkipAfterUnicode = qMax(0, param);
    } else if (word == "ansicpg") {
        FCodePage = param;
    } else if (word == "mac") {
        FCodePage = 10000;
    } else if (word == "pc") {
        FCodePage = 437;
    } else if (word == "pca") {
        FCodePage = 850;
    } else if (word == "deff") {
        FDefaultFont = param;
    } else if (word == "pard") {
        state.Align = Qt::AlignLeft;
    } else if (word == "ql") {
        state.Align = Qt::AlignLeft;
    } else if (word == "qr") {
        state.Align = Qt::AlignRight;
    } else if (word == "qc") {
        state.Align = Qt::AlignHCenter;
    } else if (word == "qj") {
        state.Align = Qt::AlignJustify;
    } else if (word == "plain") {
        ch = TCharState();
    } else if (word == "f" && hasParam) {
        FlushBytes();
        ch.Font = param;
    } else if (word == "fs" && hasParam) {
        ch.HalfPoints = param > 0 ? param : 24;
    } else if (word == "b") {
        ch.Bold = on;
    } else if (word == "i") {
        ch.Italic = on;
    } else if (word == "ul") {
        ch.Underline = on;
    } else if (word == "ulnone") {
        ch.Underline = false;
    } else if (word == "strike") {
        ch.StrikeOut = on;
    } else if (word == "cf") {
        ch.Color = param;
    } else if (word == "trowd" || word == "intbl" || word == "cell" || word == "row" || word == "nestcell") {
        MarkHidden(QStringLiteral("tables"));
        if (word == "cell" || word == "nestcell")
            AppendText(QStringLiteral("\t"));
        else if (word == "row" && state.Destination == TDestination::Body)
            EndParagraph();
    } else if (word == "field") {
        MarkHidden(QStringLiteral("fields"));
    } else if (word == "pict" || word == "object") {
        MarkHidden(HiddenDestinations().value(word));
        state.Destination = TDestination::Hidden;
    }
    // Any other word is formatting this viewer does not keep.
}

}  // namespace

bool TRtfReader::IsRtf(const QByteArray& bytes)
{
    return bytes.startsWith("{\\rtf");
}

TRtfReader::TResult TRtfReader::Read(const QByteArray& bytes, QTextDocument* document)
{
    TParser parser(bytes, document);
    return parser.Run();
}
