#include "UExceptionReport.h"

#include "UOfficeVersionSolution.h"
#include "base/UDebugHelper.h"
#include "base/UFileUtil.h"
#include "base/UMakerSite.h"
#include "base/USystemUtil.h"
#include "settings/UOfficeUtil.h"
#include "platform/http/UHttpClient.h"

#include <QFile>
#include <QFileInfo>

QString ScreenshotFile;

int TExceptionReport::PostTimeoutMs = 60000;

namespace {
const QString ScreenshotField = QStringLiteral("screenshot");
const QString LogField = QStringLiteral("log");

QString VersionAndArch(const QString& version, const QString& arch)
{
    return QStringLiteral("%1 (%2)").arg(version, arch);
}
}

QString ExceptionHeadline(const QString& message)
{
    if (message.startsWith(QStringLiteral("Assertion failure")))
        return QStringLiteral("Assertion failure");
    if (message.startsWith(QStringLiteral("Access violation")))
        return QStringLiteral("Memory Error");
    if (message.contains(QStringLiteral("UniDAC")))
        return QStringLiteral("Database Error");
    return message;
}

QString ScreenshotContentType(const QString& path)
{
    const QString lower = path.toLower();
    if (lower.contains(QStringLiteral("jpg")))
        return QStringLiteral("mime/jpeg");
    if (lower.contains(QStringLiteral("gif")))
        return QStringLiteral("mime/gif");
    if (lower.contains(QStringLiteral("png")))
        return QStringLiteral("mime/png");
    return QString();
}

void TReportFields::Set(const QString& name, const QString& value)
{
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        if (FItems[i].first.compare(name, Qt::CaseInsensitive) == 0) {
            if (value.isEmpty())
                FItems.removeAt(i);
            else
                FItems[i].second = value;
            return;
        }
    }
    if (!value.isEmpty())
        FItems.append({name, value});
}

QString TReportFields::Value(const QString& name) const
{
    for (const auto& [key, value] : FItems) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QString();
}

QStringList TReportFields::Names() const
{
    QStringList names;
    for (const auto& item : FItems)
        names << item.first;
    return names;
}

TExceptionReport::TExceptionReport(const QString& message) : ErrorText(message)
{
}

void TExceptionReport::FillFields(const QString& systemInfo)
{
    Fields.Set(QStringLiteral("app_name"), QStringLiteral("Vantorquill"));
    Fields.Set(QStringLiteral("os_version"), GetOSVersion());
    Fields.Set(QStringLiteral("app_version"), GetAppVersion());
    Fields.Set(QStringLiteral("access_version"), VersionAndArch(GetAccessVersion(), GetAccessArch()));
    Fields.Set(QStringLiteral("excel_version"), VersionAndArch(GetExcelVersion(), GetExcelArch()));
    Fields.Set(QStringLiteral("info"), QStringLiteral("Exception: ") + ErrorText + QStringLiteral("\r\n\r\n")
                                           + QStringLiteral("System Info: ") + systemInfo);
    Fields.Set(QStringLiteral("msg"), ErrorText);
}

QString TExceptionReport::FindAdvice()
{
    TOfficeVersionSolution solution;
    if (!solution.Analyse(ErrorText) && !solution.Analyse(TDebugHelper::GetLog()))
        return QString();
    Fields.Set(QStringLiteral("keyword"), solution.Keyword);
    return solution.Advice;
}

QList<THttpFormPart> TExceptionReport::FormParts() const
{
    QList<THttpFormPart> parts;
    for (const auto& [name, value] : Fields.Items()) {
        THttpFormPart part;
        part.Name = name;
        if (name.toLower().contains(ScreenshotField)) {
            QFile file(value);
            if (!file.open(QIODevice::ReadOnly))
                throw FileError("open", value, file.errorString());
            part.Data = file.readAll();
            part.FileName = QFileInfo(value).fileName();
            part.ContentType = ScreenshotContentType(value);
        } else {
            part.Data = value.toUtf8();
            part.ContentType = QStringLiteral("text/plain; charset=UTF-8");
            part.TransferEncoding = QStringLiteral("8bit");
        }
        parts.append(part);
    }
    return parts;
}

void TExceptionReport::Send(bool includeScreenshot, bool includeLog)
{
    Fields.Set(ScreenshotField, includeScreenshot ? ScreenshotFile : QString());
    Fields.Set(LogField, includeLog ? TDebugHelper::GetLog() : QString());
    THttpClient client;
    client.TimeoutMs = PostTimeoutMs;
    client.MaxAnswerBytes = MaxAnswerBytes;
    const THttpResponse response = client.PostForm(ExceptionReportAddress(), FormParts());
    if (response.Status < 200 || response.Status > 299)
        throw EHttpError(response.StatusLine);
    Answer = QString::fromUtf8(response.Body);
    // Emptied only now: a failed post keeps the log it did not deliver.
    if (includeLog)
        TDebugHelper::ClearLog();
}
