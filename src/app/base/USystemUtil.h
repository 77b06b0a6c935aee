#pragma once

#include <QChar>
#include <QString>

// System facts, per-user folders and child processes.

QString GetOSVersion();
bool IsOS64();
QString GetOSArch();
QString GetSystemLanguage();
QChar GetDecimalSeparator();

// $XDG_DATA_HOME (default ~/.local/share), no trailing "/"; empty without a home.
QString GetAppDataDir();
// GetAppDataDir() + "/" + name + "/", created when missing; raises
// "Cannot create \"<folder>\"" when it cannot be made.
QString GetProgramDataDir(const QString& name);
QString GetExceptionLogFile(const QString& name);
