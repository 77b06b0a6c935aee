#pragma once

#include <QString>

// A text output of a transfer run: appends time-stamped lines to a log file
// (none when LogFile is empty). Subclasses bind it to what they observe.
class TOutputer {
public:
    virtual ~TOutputer() = default;

    virtual void Attach() = 0;
    // Empties what the outputer shows; nothing to empty here.
    virtual void Clear() {}
    // Appends text as one line "[" + stamp + "] " + text, without a level
    // prefix. A file that cannot be written raises EInOutError.
    virtual void Output(const QString& text);

    void SetLogFile(const QString& fileName) { FLogFile = fileName; }
    const QString& LogFile() const { return FLogFile; }

private:
    QString FLogFile;
};
