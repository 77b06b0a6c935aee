#pragma once

#include "ULogAppender.h"

#include <memory>

// Appends one time-stamped line per message to a text file.
class TFileLogAppender : public TLogAppender {
public:
    explicit TFileLogAppender(const QString& fileName = QString()) : FileName(fileName) {}
    static std::unique_ptr<TFileLogAppender> ForFile(const QString& fileName);

    void Append(const QString& text) override;

    QString FileName;
};
