#pragma once

#include "base/UException.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <mutex>

// A request that did not complete: no connection, a time-out, a protocol
// error. The message is libcurl's own text.
class EHttpError : public Exception {
public:
    using Exception::Exception;
};

struct THttpResponse {
    int Status = 0;
    QString StatusLine;   // as received, e.g. "HTTP/1.1 500 Internal Server Error"
    QByteArray Body;
};

// One part of a multipart form. A part with a file name is a file part.
struct THttpFormPart {
    QString Name;
    QByteArray Data;
    QString FileName;
    QString ContentType;         // empty: "application/octet-stream", never a guess
    QString TransferEncoding;    // e.g. "8bit"; empty: no such header
};

// HTTP over libcurl: certificates checked, loopback never proxied, no
// redirects followed. One request at a time; Abort may come from any thread.
class THttpClient {
public:
    static constexpr int DefaultConnectTimeoutMs = 10000;
    static constexpr int DefaultTimeoutMs = 30000;

    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    int ConnectTimeoutMs = DefaultConnectTimeoutMs;
    int TimeoutMs = DefaultTimeoutMs;   // the whole request
    // The longest answer body kept; a longer one ends the request with
    // "the answer is too long". 0: no limit.
    qint64 MaxAnswerBytes = 0;

    // The answer whatever its status; a request that fails raises EHttpError,
    // an aborted one EAbort.
    THttpResponse Get(const QString& address);
    THttpResponse PostForm(const QString& address, const QList<THttpFormPart>& parts);

    // Ends the running request at once and refuses later ones.
    void Abort();
    bool Aborted() const { return FAborted; }

private:
    THttpResponse Perform(void* easy);

    std::atomic<bool> FAborted {false};
    std::mutex FLock;
    void* FMulti = nullptr;   // the running request's multi handle
};
