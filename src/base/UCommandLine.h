#pragma once

#include <QString>
#include <QStringList>

// The process's command line, kept by the program entry before anything else
// runs: ParamStr(0) is the program file, 1..ParamCount() the arguments.
void SetProgramArguments(int argc, char** argv);
void SetProgramArguments(const QString& programFile, const QStringList& arguments);
int ParamCount();
QString ParamStr(int index);
