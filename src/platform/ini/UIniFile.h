#pragma once

#include "base/UException.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct TIniDocument;

// A write to an ini file that failed.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// An ini file read with the private-profile rules: section and key names
// compare without regard to letter case, the first section and key of a name
// count, names and values are trimmed, one pair of quotation marks (" or ')
// enclosing a whole value is removed, a line starting with ";" is a comment,
// a missing file or key gives the default. Every call reads the file anew
// (its encoding as UTF8/BOM/Windows-1252, see UTextCodec).
//
// Writes change the file in place: one key's line is replaced or inserted (a
// missing section is appended) and every other byte stays as it was, in the
// file's own encoding and line ends. A new file is UTF-8 with CR LF. Line
// breaks inside a written value become blanks, so the file stays intact.
class TIniFile {
public:
    explicit TIniFile(const QString& fileName);
    virtual ~TIniFile();

    const QString& FileName() const { return FFileName; }

    virtual QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // ReadInteger != 0.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // Raise EIniFileException when the file cannot be written.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);   // "1" / "0"

    // Section names of the file, each once, in file order.
    QStringList ReadSections() const;
    // Key names of a section, each once, in file order.
    QStringList ReadSection(const QString& section) const;
    // "key=value" of every key of a section, the values as ReadString gives them.
    QStringList ReadSectionValues(const QString& section) const;
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;

    // Remove a key / a section with all its lines; nothing happens when it is missing.
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);

    // Runs several writes as one change: reads inside see them, the file is
    // written once at the end, and not at all when writes raises. A writer
    // raises when the file exists but cannot be read (it would be replaced).
    void Update(const std::function<void()>& writes);

protected:
    // The value as the rules give it; nullopt when the key is missing.
    std::optional<QString> ReadValue(const QString& section, const QString& key) const;

private:
    TIniDocument Document() const;
    TIniDocument DocumentForWriting() const;
    void Store(TIniDocument&& document);

    QString FFileName;
    TIniDocument* FPending = nullptr;   // the document of a running Update
    bool FPendingChanged = false;
};
