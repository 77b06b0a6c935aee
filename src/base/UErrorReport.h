#pragma once

#include <QString>
#include <functional>

// Shows the exception report for a message. Window mode installs the report
// dialog; until then (and in command-line mode) the message goes to the
// prompter.
using TErrorReporter = std::function<void(const QString& message)>;

void SetExceptionReporter(TErrorReporter reporter);
void ShowExceptionReport(const QString& message);
// The report without a window: the message goes to the prompter.
void ShowFallbackExceptionReport(const QString& message);
