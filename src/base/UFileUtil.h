#pragma once

#include <QString>

// File and folder routines. Paths use "/".

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

// The extension without a leading ".".
QString ExtWithoutDot(const QString& ext);

// Creates each missing level of path from the top; failures are not reported
// (the caller's next file operation fails instead).
void ForceDirectoryPath(const QString& path);
