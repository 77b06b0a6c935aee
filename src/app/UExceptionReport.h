#pragma once

#include <QList>
#include <QPair>
#include <QString>

struct THttpFormPart;

// The file of the last screen capture; empty when the last report had none.
extern QString ScreenshotFile;

// The report's short headline for a message.
QString ExceptionHeadline(const QString& message);

// The content type of a capture file by its name: "mime/jpeg", "mime/gif",
// "mime/png", else empty.
QString ScreenshotContentType(const QString& path);

// Name=value pairs in the order set; setting an empty value removes one.
class TReportFields {
public:
    void Set(const QString& name, const QString& value);
    QString Value(const QString& name) const;
    QStringList Names() const;
    const QList<QPair<QString, QString>>& Items() const { return FItems; }

private:
    QList<QPair<QString, QString>> FItems;
};

// What the exception report sends and how: the fields, the advice and the
// post to the maker's report endpoint. The dialog only binds it.
class TExceptionReport {
public:
    // The post's time-out (tests shorten it).
    static int PostTimeoutMs;
    // The longest answer to a report read.
    static constexpr qint64 MaxAnswerBytes = 1 << 20;

    explicit TExceptionReport(const QString& message);

    QString ErrorText;
    TReportFields Fields;
    QString Answer;

    // "app_name" to "msg"; systemInfo is the application object's text.
    void FillFields(const QString& systemInfo);
    // The advice for the message, else for the debug log; sets "keyword" when
    // one applies. Empty when none does.
    QString FindAdvice();

    // Sets "screenshot" (when asked and a capture exists) and "log", posts
    // the form and keeps the answer. The debug log is emptied only once it was
    // delivered. A failed post raises with libcurl's text or the status line.
    void Send(bool includeScreenshot, bool includeLog);

    // The form of the fields, in their order.
    QList<THttpFormPart> FormParts() const;
};
