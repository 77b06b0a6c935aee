#include "UFileLogAppender.h"

#include "ULogUtil.h"

std::unique_ptr<TFileLogAppender> TFileLogAppender::ForFile(const QString& fileName)
{
    return std::make_unique<TFileLogAppender>(fileName);
}

void TFileLogAppender::Append(const QString& text)
{
    WriteLogLine(FileName, text);
}
