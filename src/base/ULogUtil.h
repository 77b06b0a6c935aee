#pragma once

#include <QDateTime>
#include <QString>

// "yyyy-mm-dd hh:mm:ss:zzz" in local time, the stamp of every log line.
QString LogTimeStamp(const QDateTime& time = QDateTime::currentDateTime());

// Appends "[" + stamp + "] " + text + CR LF to fileName (UTF-8), opening and
// closing the file for the line under one process-wide lock. An empty file
// name writes nothing; a file that cannot be opened or written raises
// EInOutError.
void WriteLogLine(const QString& fileName, const QString& text);

// text with its control characters (below U+0020, and DEL) written as
// escapes: "\r", "\n", "\t", else "\xHH"; a backslash stays as it is. A name
// or message so escaped is one log line, and cannot forge further lines.
QString EscapeLogText(const QString& text);
