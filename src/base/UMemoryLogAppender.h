#pragma once

#include "ULogAppender.h"

#include <QStringList>

// Keeps time-stamped lines in memory. The text is measured against MaxSize
// only on every 1001st append, so between checks it may grow past the cap.
class TMemoryLogAppender : public TLogAppender {
public:
    void Append(const QString& text) override;
    QString GetText() const;   // every line followed by CR LF
    void Clear() { Lines.clear(); }

    int AppendCount = 0;
    QStringList Lines;
    int MaxSize = 0;           // characters; 0 = no cap

private:
    void TrimToMaxSize();
};
