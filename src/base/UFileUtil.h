#pragma once

#include "UException.h"

#include <QString>

// File and folder routines. Paths use "/".

// "Cannot <action> file "<fileName>". <reason>": every failed file operation
// says it the same way.
EInOutError FileError(const char* action, const QString& fileName, const QString& reason);

// Creates or overwrites fileName with text followed by CR LF, as UTF-8. An
// empty file name does nothing; a failure raises EInOutError.
void WriteTextFile(const QString& text, const QString& fileName);

// Test-creates fileName (it then holds one CR LF): empty on success, else the
// error's message.
QString TryWriteTextFile(const QString& fileName);

// Size in bytes; a missing or unreadable file raises EInOutError.
qint64 GetFileSize(const QString& fileName);

// The file name without folder and without its last extension
// ("/x/b.tar.gz" gives "b.tar").
QString ExtractFileNameOnly(const QString& path);

// The whole file as text (see UTextCodec for the encoding), every line
// followed by CR LF; a failure raises EInOutError.
QString ReadTextFile(const QString& fileName);
// Text whose lines end at CR LF, LF or CR, every line followed by CR LF.
QString WithCrLfLines(const QString& text);

// A text file as written: its line ends kept. Windows1252Line is the line
// (from 1) of the first byte that is not UTF-8 when the file was read as
// Windows-1252 for it; 0 otherwise.
struct TTextAsWritten {
    QString Text;
    int Windows1252Line = 0;
};
// The whole file decoded by the rule of ReadTextFile; a failure raises
// EInOutError.
TTextAsWritten ReadTextAsWritten(const QString& fileName);

// The line breaks that start in [from, to): CR LF, LF and a lone CR each end a line.
template <class Text>
int CountLineBreaks(const Text& text, qsizetype from, qsizetype to)
{
    int breaks = 0;
    for (qsizetype i = from; i < to && i < text.size(); ++i) {
        if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
            ++breaks;
    }
    return breaks;
}

// The line (from 1) that offset stands on.
template <class Text>
int LineNumberAt(const Text& text, qsizetype offset)
{
    return 1 + CountLineBreaks(text, 0, offset);
}

// The extension without a leading ".".
QString ExtWithoutDot(const QString& ext);

// Creates each missing level of path from the top; failures are not reported
// (the caller's next file operation fails instead).
void ForceDirectoryPath(const QString& path);
