#pragma once

#include <QChar>
#include <QString>

// System facts, per-user folders and child processes.

QString GetOSVersion();
bool IsOS64();
QString GetOSArch();

// The running program's version + " (" + GetAppArch() + ")", and the
// architecture it was built for ("x64", "x86", else Qt's name for it).
QString GetAppVersion();
QString GetAppArch();

// Version text of an executable's version resource: empty here, where
// executables carry none.
QString GetExeVersionText(const QString& fileName);
// "x64" for a 64-bit Windows program file, "x86" otherwise and on any error.
QString GetExeArch(const QString& fileName);
QString GetSystemLanguage();
QChar GetDecimalSeparator();

// $XDG_DATA_HOME (default ~/.local/share), no trailing "/"; empty without a home.
QString GetAppDataDir();
// $XDG_CONFIG_HOME (default ~/.config), no trailing "/"; empty without a home.
QString GetConfigDir();
// GetAppDataDir() + "/" + name + "/", created when missing; raises
// "Cannot create \"<folder>\"" when it cannot be made, and says so when
// neither HOME nor XDG_DATA_HOME is set.
QString GetProgramDataDir(const QString& name);
QString GetExceptionLogFile(const QString& name);
// The XDG documents folder without a trailing "/", created with its parents
// when missing; empty without a home.
QString GetDocumentsDir();

// Runs "/bin/sh -c command" in workingFolder with standard output and error
// joined, and returns all it printed; empty when it cannot be started.
QString RunCommand(const QString& command, const QString& workingFolder);

// Whether something accepts TCP connections on port of this machine.
bool IsPortListening(int port);
