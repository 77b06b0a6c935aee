#pragma once

#include <QString>

// Version texts have four dot-separated parts: "3.3.1.210811".

// The program's compiled-in four-part version for the running program file;
// "x.x.x.x" for any other file (a Linux executable has no version resource).
QString GetFileVersion(const QString& fileName);

// The text before the first, second and third "." and the rest after the
// third; an empty or missing part reads "x".
void SplitVersion(const QString& version, QString& major, QString& minor, QString& release,
                  QString& build);

// major + "." + minor of GetFileVersion.
QString GetMajorMinorVersion(const QString& fileName);
