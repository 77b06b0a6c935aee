#include "UXmlDocument.h"

#include "base/UException.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <sstream>

namespace {

// Everything kept as read: blanks, line ends, comments, instructions. A
// fragment keeps the blanks between the top-level nodes; one root element is
// then checked for here.
constexpr unsigned ParseFlags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_comments |
                                pugi::parse_declaration | pugi::parse_doctype | pugi::parse_pi |
                                pugi::parse_ws_pcdata | pugi::parse_fragment;

struct TMark {
    QByteArray Bytes;
    const char* Codec;
};

const TMark Marks[] = {
    {QByteArray("\xEF\xBB\xBF", 3), "UTF-8"},
    {QByteArray("\xFF\xFE\x00\x00", 4), "UTF-32LE"},
    {QByteArray("\x00\x00\xFE\xFF", 4), "UTF-32BE"},
    {QByteArray("\xFF\xFE", 2), "UTF-16LE"},
    {QByteArray("\xFE\xFF", 2), "UTF-16BE"},
};

// The encoding named by the declaration of ASCII-compatible bytes; empty when none.
QString DeclaredEncoding(const QByteArray& bytes)
{
    if (!bytes.startsWith("<?xml"))
        return {};
    const qsizetype end = bytes.indexOf("?>");
    const QByteArray declaration = bytes.left(end < 0 ? 200 : end);
    const qsizetype key = declaration.indexOf("encoding");
    if (key < 0)
        return {};
    qsizetype pos = declaration.indexOf('=', key);
    while (++pos < declaration.size() && (declaration[pos] == ' ' || declaration[pos] == '\t')) {
    }
    if (pos >= declaration.size() || (declaration[pos] != '"' && declaration[pos] != '\''))
        return {};
    const qsizetype close = declaration.indexOf(declaration[pos], pos + 1);
    return close < 0 ? QString() : QString::fromLatin1(declaration.mid(pos + 1, close - pos - 1));
}

bool IsUnicodeName(const QString& codec)
{
    return codec.startsWith(QLatin1String("UTF-"), Qt::CaseInsensitive);
}

bool IsNameStart(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c)
{
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Where a character of the written document stands, to know whether a
// character reference can replace it.
enum class TLexState { Text, Tag, AttrValue, Comment, CData, Instruction, Declaration };

}  // namespace

void TXmlDocument::Clear()
{
    FDoc.reset();
    FReadOnly = false;
    FEncodingName = QStringLiteral("UTF-8");
    FBom.clear();
    FFieldText.reset();
}

void TXmlDocument::Load(const QByteArray& bytes, TFieldType fieldType)
{
    Clear();
    QString text;
    if (TValueText::KindOf(fieldType) != TValueTextKind::Bytes) {
        FFieldText = TValueText::Decode(bytes, false, fieldType);
        text = FFieldText->Text();
        FReadOnly = !FFieldText->Faithful();
    } else {
        QByteArray body = bytes;
        for (const TMark& mark : Marks) {
            if (bytes.startsWith(mark.Bytes)) {
                FBom = mark.Bytes;
                FEncodingName = QString::fromLatin1(mark.Codec);
                body = bytes.mid(mark.Bytes.size());
                break;
            }
        }
        if (FBom.isEmpty()) {
            if (bytes.startsWith(QByteArray("<\0?\0", 4)))
                FEncodingName = QStringLiteral("UTF-16LE");
            else if (bytes.startsWith(QByteArray("\0<\0?", 4)))
                FEncodingName = QStringLiteral("UTF-16BE");
            else if (const QString declared = DeclaredEncoding(bytes); !declared.isEmpty())
                FEncodingName = declared;
        }
        QStringDecoder decoder(FEncodingName.toLatin1().constData(), QStringConverter::Flag::ConvertInitialBom);
        if (!decoder.isValid()) {
            FEncodingName = QStringLiteral("UTF-8");
            decoder = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        }
        text = decoder.decode(body);
        QStringEncoder encoder(FEncodingName.toLatin1().constData());
        const QByteArray again = encoder.encode(text);
        FReadOnly = decoder.hasError() || again != body;
    }
    const QByteArray utf8 = text.toUtf8();
    pugi::xml_parse_result result =
        FDoc.load_buffer(utf8.constData(), size_t(utf8.size()), ParseFlags, pugi::encoding_utf8);
    KeepBlanksAfterDeclaration(utf8);
    qsizetype roots = 0;
    for (pugi::xml_node node : FDoc.children()) {
        if (node.type() == pugi::node_element)
            ++roots;
        else if (node.type() == pugi::node_pcdata && !QByteArray(node.value()).trimmed().isEmpty())
            roots = -1;
    }
    // Text beside the root element, or not one root element.
    if (result && roots != 1) {
        result.status = pugi::status_no_document_element;
        result.offset = utf8.size();
    }
    if (!result) {
        FDoc.reset();
        throw EXmlParseError(QStringLiteral("%1 at offset %2")
                                 .arg(QString::fromUtf8(result.description()))
                                 .arg(QString::fromUtf8(utf8.left(result.offset)).size()));
    }
}

// The parser drops the blanks that follow the declaration; they are put back
// so that the line break after it survives.
void TXmlDocument::KeepBlanksAfterDeclaration(const QByteArray& utf8)
{
    const pugi::xml_node declaration = FDoc.first_child();
    if (declaration.type() != pugi::node_declaration || declaration.next_sibling().type() == pugi::node_pcdata)
        return;
    const qsizetype end = utf8.indexOf("?>");
    qsizetype stop = end + 2;
    while (stop < utf8.size() && (utf8[stop] == ' ' || utf8[stop] == '\t' || utf8[stop] == '\r' || utf8[stop] == '\n'))
        ++stop;
    if (end >= 0 && stop > end + 2)
        FDoc.insert_child_after(pugi::node_pcdata, declaration).set_value(utf8.mid(end + 2, stop - end - 2).constData());
}

QString TXmlDocument::Serialize() const
{
    std::ostringstream out;
    FDoc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return QString::fromStdString(out.str());
}

QString TXmlDocument::NodeSource(pugi::xml_node node)
{
    std::ostringstream out;
    node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
    return QString::fromStdString(out.str());
}

QByteArray TXmlDocument::Save() const
{
    return EncodeDocument(Serialize());
}

bool TXmlDocument::CanEncode(char32_t c) const
{
    if (c < 0x80)
        return true;
    const QString one = QString::fromUcs4(&c, 1);
    if (FFieldText) {
        bool lossless = true;
        EncodeText(one, FFieldText->Encoding(), &lossless);
        return lossless;
    }
    if (IsUnicodeName(FEncodingName))
        return true;
    QStringEncoder encoder(FEncodingName.toLatin1().constData());
    QStringDecoder decoder(FEncodingName.toLatin1().constData());
    const QByteArray bytes = encoder.encode(one);
    return !encoder.hasError() && decoder.decode(bytes) == one;
}

bool TXmlDocument::CanWriteLiterally(const QString& text) const
{
    for (char32_t c : text.toUcs4()) {
        if (!CanEncode(c))
            return false;
    }
    return true;
}

QByteArray TXmlDocument::EncodeDocument(const QString& xml) const
{
    const QList<uint> chars = xml.toUcs4();
    QString out;
    out.reserve(xml.size());
    TLexState state = TLexState::Text;
    char32_t quote = 0;
    int bracketDepth = 0;
    auto startsAt = [&](qsizetype i, const char* prefix) {
        for (qsizetype k = 0; prefix[k]; ++k) {
            if (i + k >= chars.size() || chars[i + k] != char32_t(prefix[k]))
                return false;
        }
        return true;
    };
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        switch (state) {
        case TLexState::Text:
            if (c == '<') {
                if (startsAt(i, "<!--"))
                    state = TLexState::Comment;
                else if (startsAt(i, "<![CDATA["))
                    state = TLexState::CData;
                else if (startsAt(i, "<?"))
                    state = TLexState::Instruction;
                else if (startsAt(i, "<!"))
                    state = TLexState::Declaration, bracketDepth = 0;
                else
                    state = TLexState::Tag;
            }
            break;
        case TLexState::Tag:
            if (c == '"' || c == '\'')
                state = TLexState::AttrValue, quote = c;
            else if (c == '>')
                state = TLexState::Text;
            break;
        case TLexState::AttrValue:
            if (c == quote)
                state = TLexState::Tag;
            break;
        case TLexState::Comment:
            if (c == '>' && i >= 2 && chars[i - 1] == '-' && chars[i - 2] == '-')
                state = TLexState::Text;
            break;
        case TLexState::CData:
            if (c == '>' && i >= 2 && chars[i - 1] == ']' && chars[i - 2] == ']')
                state = TLexState::Text;
            break;
        case TLexState::Instruction:
            if (c == '>' && i >= 1 && chars[i - 1] == '?')
                state = TLexState::Text;
            break;
        case TLexState::Declaration:
            if (c == '[')
                ++bracketDepth;
            else if (c == ']')
                --bracketDepth;
            else if (c == '>' && bracketDepth <= 0)
                state = TLexState::Text;
            break;
        }
        if (CanEncode(c)) {
            out += QString::fromUcs4(&c, 1);
        } else if (state == TLexState::Text || state == TLexState::AttrValue) {
            out += QStringLiteral("&#%1;").arg(uint(c));
        } else {
            throw Exception(QStringLiteral("The character U+%1 cannot be written in %2")
                                .arg(uint(c), 4, 16, QLatin1Char('0'))
                                .arg(FEncodingName));
        }
    }
    if (FFieldText)
        return FFieldText->Encode(out);
    QStringEncoder encoder(FEncodingName.toLatin1().constData());
    return FBom + QByteArray(encoder.encode(out));
}

TXmlIcon TXmlDocument::IconOf(pugi::xml_node node)
{
    switch (node.type()) {
    case pugi::node_element:
        return TXmlIcon::Element;
    case pugi::node_comment:
        return TXmlIcon::Comment;
    case pugi::node_cdata:
        return TXmlIcon::CData;
    case pugi::node_pcdata:
        return TXmlIcon::Text;
    case pugi::node_declaration:
        return TXmlIcon::Declaration;
    case pugi::node_doctype:
        return TXmlIcon::DocType;
    case pugi::node_pi:
        return QString::fromUtf8(node.name()).compare(QLatin1String("xml-stylesheet"), Qt::CaseInsensitive) == 0
                   ? TXmlIcon::Stylesheet
                   : TXmlIcon::Other;
    default:
        return TXmlIcon::Other;
    }
}

QString TXmlDocument::ReadableName(const QString& name)
{
    QString result = name;
    for (QChar& c : result) {
        if (c.unicode() < 0x80)
            c = c.toLower();
    }
    if (!result.isEmpty() && result[0] >= QLatin1Char('a') && result[0] <= QLatin1Char('z'))
        result[0] = result[0].toUpper();
    return result;
}

bool TXmlDocument::IsXmlName(const QString& name)
{
    const QList<uint> chars = name.toUcs4();
    if (chars.isEmpty() || !IsNameStart(chars[0]))
        return false;
    for (char32_t c : chars) {
        if (!IsNameChar(c))
            return false;
    }
    return true;
}

bool TXmlDocument::HasForbiddenChars(const QString& text)
{
    for (char32_t c : text.toUcs4()) {
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF)
            return true;
    }
    return false;
}
