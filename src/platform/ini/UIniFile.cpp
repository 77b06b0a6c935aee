#include "UIniFile.h"

#include "base/UStringUtil.h"
#include "base/UTextCodec.h"

#include <QFile>
#include <climits>
#include <QSaveFile>

struct TIniLine {
    enum Kind { Other, Comment, Section, Key };
    Kind kind = Other;
    QString text;   // without its line end
    QString eol;    // "\r\n", "\n", "\r" or empty (last line)
    QString name;   // section or key name, trimmed
    qsizetype valueStart = 0;   // key lines: where the value begins in text
};

// The file as lines; lines stays empty for a missing file.
struct TIniDocument {
    TTextEncoding encoding = TTextEncoding::Utf8;
    QList<TIniLine> lines;

    QString LineEnd() const
    {
        for (const TIniLine& line : lines) {
            if (!line.eol.isEmpty())
                return line.eol;
        }
        return QStringLiteral("\r\n");
    }

    // [first, end) of the lines of the first section of that name, header
    // included; first = -1 when it is missing.
    std::pair<qsizetype, qsizetype> SectionRange(const QString& section) const
    {
        const QString wanted = TrimText(section);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines.at(i).kind == TIniLine::Section && lines.at(i).name.compare(wanted, Qt::CaseInsensitive) == 0) {
                qsizetype end = i + 1;
                while (end < lines.size() && lines.at(end).kind != TIniLine::Section)
                    ++end;
                return {i, end};
            }
        }
        return {-1, -1};
    }

    // The line of the first key of that name in the section; -1 when missing.
    qsizetype FindKey(const QString& section, const QString& key) const
    {
        const auto [first, end] = SectionRange(section);
        const QString wanted = TrimText(key);
        for (qsizetype i = first + 1; first >= 0 && i < end; ++i) {
            if (lines.at(i).kind == TIniLine::Key && lines.at(i).name.compare(wanted, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }
};

namespace {

TIniLine ParseLine(const QString& text, const QString& eol)
{
    TIniLine line;
    line.text = text;
    line.eol = eol;
    const QString trimmed = TrimText(text);
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.contains(QLatin1Char(']'))) {
        line.kind = TIniLine::Section;
        line.name = TrimText(trimmed.mid(1, trimmed.indexOf(QLatin1Char(']')) - 1));
    } else if (trimmed.startsWith(QLatin1Char(';'))) {
        line.kind = TIniLine::Comment;
    } else if (const qsizetype equals = text.indexOf(QLatin1Char('=')); equals >= 0) {
        line.kind = TIniLine::Key;
        line.name = TrimText(text.left(equals));
        line.valueStart = equals + 1;
    }
    return line;
}

TIniDocument LoadDocument(const QString& fileName, bool forWriting = false)
{
    TIniDocument document;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        // A reader takes the defaults; a writer must not replace a file it
        // could not read with one that holds only its own keys.
        if (forWriting && QFile::exists(fileName))
            throw EIniFileException(QStringLiteral("Unable to read \"") + fileName + QStringLiteral("\": ")
                                    + file.errorString());
        return document;
    }
    const QByteArray bytes = file.readAll();
    document.encoding = DetectTextEncoding(bytes);
    const QString text = DecodeText(bytes, document.encoding);
    QStringList ends;
    const QStringList lines = SplitLines(text, &ends);
    for (qsizetype i = 0; i < lines.size(); ++i)
        document.lines << ParseLine(lines.at(i), ends.at(i));
    return document;
}

void SaveDocument(const QString& fileName, const TIniDocument& document)
{
    QString text;
    for (const TIniLine& line : document.lines)
        text += line.text + line.eol;
    bool lossless = true;
    QByteArray bytes = EncodeText(text, document.encoding, &lossless);
    if (!lossless)   // the code page cannot hold the new text: the file becomes UTF-8
        bytes = EncodeText(text, TTextEncoding::Utf8);

    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EIniFileException(QStringLiteral("Unable to write to \"") + fileName + QStringLiteral("\": ")
                                + file.errorString());
}

QString OneLine(const QString& value)
{
    QString result = value;
    result.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    result.replace(QLatin1Char('\r'), QLatin1Char(' '));
    result.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return result;
}

QString ValueOf(const TIniLine& line)
{
    QString value = TrimText(line.text.mid(line.valueStart));
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

bool ParseInteger(const QString& text, int& result)
{
    QString digits = TrimText(text);
    bool negative = false;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        negative = digits.front() == QLatin1Char('-');
        digits.remove(0, 1);
    }
    int base = 10;
    if (digits.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits.remove(0, 2);
    } else if (digits.startsWith(QLatin1Char('$'))) {
        base = 16;
        digits.remove(0, 1);
    }
    if (digits.isEmpty() || digits.front() == QLatin1Char('-') || digits.front() == QLatin1Char('+'))
        return false;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok, base);
    if (!ok)
        return false;
    const qlonglong signedValue = negative ? -value : value;
    if (base == 10 && (signedValue < INT_MIN || signedValue > INT_MAX))
        return false;
    if (base == 16 && (value > 0xFFFFFFFFLL))
        return false;
    // Hexadecimal takes the 32 bits as they are ("$FFFFFFFF" is -1).
    result = base == 16 ? static_cast<int>(static_cast<quint32>(negative ? -value : value))
                        : static_cast<int>(signedValue);
    return true;
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {}

TIniFile::~TIniFile() = default;

TIniDocument TIniFile::Document() const
{
    return FPending ? *FPending : LoadDocument(FFileName);
}

TIniDocument TIniFile::DocumentForWriting() const
{
    return FPending ? *FPending : LoadDocument(FFileName, true);
}

void TIniFile::Store(TIniDocument&& document)
{
    if (FPending) {
        *FPending = std::move(document);
        FPendingChanged = true;
    } else {
        SaveDocument(FFileName, document);
    }
}

void TIniFile::Update(const std::function<void()>& writes)
{
    if (FPending) {
        writes();
        return;
    }
    TIniDocument document = LoadDocument(FFileName, true);
    FPending = &document;
    FPendingChanged = false;
    try {
        writes();
    } catch (...) {
        FPending = nullptr;
        throw;
    }
    FPending = nullptr;
    if (FPendingChanged)
        SaveDocument(FFileName, document);
}

std::optional<QString> TIniFile::ReadValue(const QString& section, const QString& key) const
{
    const TIniDocument document = Document();
    const qsizetype at = document.FindKey(section, key);
    if (at < 0)
        return std::nullopt;
    return ValueOf(document.lines.at(at));
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return ReadValue(section, key).value_or(defaultValue);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    int value = defaultValue;
    const std::optional<QString> text = ReadValue(section, key);
    if (text && ParseInteger(*text, value))
        return value;
    return defaultValue;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString name = TrimText(key);
    const QString sectionName = TrimText(section);
    if (name.isEmpty() || sectionName.isEmpty())
        throw EIniFileException(QStringLiteral("Unable to write to \"") + FFileName
                                + QStringLiteral("\": empty section or key name"));
    const QString text = OneLine(value);
    TIniDocument document = DocumentForWriting();
    const QString eol = document.LineEnd();

    const qsizetype at = document.FindKey(sectionName, name);
    if (at >= 0) {
        // Keep the key as written and the blanks after "=", replace the rest.
        TIniLine& line = document.lines[at];
        qsizetype valueAt = line.valueStart;
        while (valueAt < line.text.size() && (line.text.at(valueAt) == QLatin1Char(' ') || line.text.at(valueAt) == QLatin1Char('\t')))
            ++valueAt;
        const QString newText = line.text.left(valueAt) + text;
        if (newText == line.text)
            return;
        line.text = newText;
    } else {
        const auto [first, end] = document.SectionRange(sectionName);
        qsizetype insertAt;
        if (first >= 0) {
            // After the section's last line that is not blank.
            insertAt = end;
            while (insertAt > first + 1 && TrimText(document.lines.at(insertAt - 1).text).isEmpty())
                --insertAt;
        } else {
            if (!document.lines.isEmpty() && document.lines.back().eol.isEmpty())
                document.lines.back().eol = eol;
            document.lines << ParseLine(QLatin1Char('[') + sectionName + QLatin1Char(']'), eol);
            insertAt = document.lines.size();
        }
        if (insertAt > 0 && document.lines.at(insertAt - 1).eol.isEmpty())
            document.lines[insertAt - 1].eol = eol;
        document.lines.insert(insertAt, ParseLine(name + QLatin1Char('=') + text, eol));
    }
    Store(std::move(document));
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList TIniFile::ReadSections() const
{
    QStringList names;
    for (const TIniLine& line : Document().lines) {
        if (line.kind == TIniLine::Section && !names.contains(line.name, Qt::CaseInsensitive))
            names << line.name;
    }
    return names;
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    const TIniDocument document = Document();
    const auto [first, end] = document.SectionRange(section);
    QStringList names;
    for (qsizetype i = first + 1; first >= 0 && i < end; ++i) {
        const TIniLine& line = document.lines.at(i);
        if (line.kind == TIniLine::Key && !line.name.isEmpty() && !names.contains(line.name, Qt::CaseInsensitive))
            names << line.name;
    }
    return names;
}

QStringList TIniFile::ReadSectionValues(const QString& section) const
{
    QStringList values;
    for (const QString& key : ReadSection(section))
        values << key + QLatin1Char('=') + ReadString(section, key, QString());
    return values;
}

bool TIniFile::SectionExists(const QString& section) const
{
    return Document().SectionRange(section).first >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return Document().FindKey(section, key) >= 0;
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    TIniDocument document = DocumentForWriting();
    const qsizetype at = document.FindKey(section, key);
    if (at < 0)
        return;
    document.lines.removeAt(at);
    Store(std::move(document));
}

void TIniFile::EraseSection(const QString& section)
{
    TIniDocument document = DocumentForWriting();
    const auto [first, end] = document.SectionRange(section);
    if (first < 0)
        return;
    document.lines.remove(first, end - first);
    Store(std::move(document));
}
