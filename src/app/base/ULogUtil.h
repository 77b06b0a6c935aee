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
