#pragma once

#include <QString>

enum TLogLevel : unsigned char {
    llDebug = 0,
    llInfo = 1,
    llWarn = 2,
    llError = 3,
    llFatal = 4,
};

// The level prefix and its TAB; a level outside 0-4 gets the debug prefix.
QString FormatLevel(int level, const QString& text);

// Base of all log sinks. A message reaches the appender when its level is at
// or above Level.
class TLogAppender {
public:
    virtual ~TLogAppender() = default;
    virtual void Append(const QString& text) = 0;

    unsigned char Level = llDebug;
    void SetDebugLevel() { Level = llDebug; }
    void SetInfoLevel() { Level = llInfo; }
    void SetErrorLevel() { Level = llError; }
};
