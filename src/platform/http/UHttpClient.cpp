#include "UHttpClient.h"

#include "UCurlLibrary.h"

#include <memory>

namespace {
// Opens the library and starts it, once; the library is ready on return.
const TCurlLibrary& InitCurlOnce()
{
    const TCurlLibrary& curl = TCurlLibrary::Get();
    static const CURLcode init = curl.curl_global_init(CURL_GLOBAL_DEFAULT);
    if (init != CURLE_OK)
        throw EHttpError(QString::fromUtf8(curl.curl_easy_strerror(init)));
    return curl;
}

struct TEasyDeleter {
    void operator()(CURL* easy) const { TCurlLibrary::Get().curl_easy_cleanup(easy); }
};
using TEasy = std::unique_ptr<CURL, TEasyDeleter>;

struct TMimeDeleter {
    void operator()(curl_mime* mime) const { TCurlLibrary::Get().curl_mime_free(mime); }
};

struct TSlistDeleter {
    void operator()(curl_slist* list) const { TCurlLibrary::Get().curl_slist_free_all(list); }
};

struct TTransfer {
    THttpResponse response;
    const std::atomic<bool>* aborted = nullptr;
    qint64 maxBody = 0;
    bool tooLong = false;
    char error[CURL_ERROR_SIZE] = {};
};

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<TTransfer*>(user);
    const qsizetype length = qsizetype(size * count);
    // A server that sends without end must not fill the memory; a short
    // count makes libcurl end the request.
    if (transfer->maxBody > 0 && transfer->response.Body.size() + length > transfer->maxBody) {
        transfer->tooLong = true;
        return 0;
    }
    transfer->response.Body.append(data, length);
    return size * count;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user)
{
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    // The last status line wins (an interim "100 Continue" comes first).
    if (line.startsWith("HTTP/"))
        static_cast<TTransfer*>(user)->response.StatusLine = QString::fromLatin1(line);
    return size * count;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return *static_cast<TTransfer*>(user)->aborted ? 1 : 0;
}

// The user's no-proxy list, and loopback always: a local server is never
// reached through a proxy.
QByteArray NoProxyList()
{
    QByteArray list = qgetenv("no_proxy");
    if (list.isEmpty())
        list = qgetenv("NO_PROXY");
    if (!list.isEmpty())
        list += ',';
    return list + "localhost,127.0.0.0/8,::1";
}

TEasy NewEasy(const QString& address, const THttpClient& client)
{
    const TCurlLibrary& curl = InitCurlOnce();
    TEasy easy(curl.curl_easy_init());
    if (!easy)
        throw EHttpError(QStringLiteral("Out of memory"));
    CURL* e = easy.get();
    curl.curl_easy_setopt(e, CURLOPT_URL, address.toUtf8().constData());
    curl.curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl.curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl.curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(client.ConnectTimeoutMs));
    curl.curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, long(client.TimeoutMs));
    curl.curl_easy_setopt(e, CURLOPT_NOPROXY, NoProxyList().constData());
    curl.curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl.curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
    return easy;
}
}

THttpClient::THttpClient() = default;

THttpClient::~THttpClient() = default;

void THttpClient::Abort()
{
    FAborted = true;
    std::lock_guard lock(FLock);
    if (FMulti)
        TCurlLibrary::Get().curl_multi_wakeup(static_cast<CURLM*>(FMulti));
}

THttpResponse THttpClient::Get(const QString& address)
{
    TEasy easy = NewEasy(address, *this);
    TCurlLibrary::Get().curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L);
    return Perform(easy.get());
}

THttpResponse THttpClient::PostForm(const QString& address, const QList<THttpFormPart>& parts)
{
    TEasy easy = NewEasy(address, *this);
    const TCurlLibrary& curl = TCurlLibrary::Get();
    std::unique_ptr<curl_mime, TMimeDeleter> mime(curl.curl_mime_init(easy.get()));
    for (const THttpFormPart& source : parts) {
        curl_mimepart* part = curl.curl_mime_addpart(mime.get());
        curl.curl_mime_name(part, source.Name.toUtf8().constData());
        curl.curl_mime_data(part, source.Data.constData(), size_t(source.Data.size()));
        if (!source.FileName.isEmpty())
            curl.curl_mime_filename(part, source.FileName.toUtf8().constData());
        // Set always, so that libcurl never guesses one from the file name.
        const QString type = source.ContentType.isEmpty() && !source.FileName.isEmpty()
                                 ? QStringLiteral("application/octet-stream")
                                 : source.ContentType;
        if (!type.isEmpty())
            curl.curl_mime_type(part, type.toUtf8().constData());
        if (!source.TransferEncoding.isEmpty())
            curl.curl_mime_encoder(part, source.TransferEncoding.toUtf8().constData());
    }
    curl.curl_easy_setopt(easy.get(), CURLOPT_MIMEPOST, mime.get());
    // No "Expect: 100-continue" pause before a large body.
    std::unique_ptr<curl_slist, TSlistDeleter> headers(curl.curl_slist_append(nullptr, "Expect:"));
    curl.curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    return Perform(easy.get());
}

THttpResponse THttpClient::Perform(void* handle)
{
    const TCurlLibrary& curl = TCurlLibrary::Get();
    CURL* easy = static_cast<CURL*>(handle);
    TTransfer transfer;
    transfer.aborted = &FAborted;
    transfer.maxBody = MaxAnswerBytes;
    curl.curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl.curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl.curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &ReadHeader);
    curl.curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl.curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl.curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Progress);
    curl.curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
    curl.curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.error);

    CURLM* multi = curl.curl_multi_init();
    if (!multi)
        throw EHttpError(QStringLiteral("Out of memory"));
    curl.curl_multi_add_handle(multi, easy);
    {
        std::lock_guard lock(FLock);
        FMulti = multi;
    }
    // The multi loop, so that Abort wakes the wait at once instead of at the
    // next progress call.
    int running = 1;
    CURLMcode state = CURLM_OK;
    while (running && !FAborted && state == CURLM_OK) {
        state = curl.curl_multi_perform(multi, &running);
        if (running && state == CURLM_OK)
            state = curl.curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    {
        std::lock_guard lock(FLock);
        FMulti = nullptr;
    }
    CURLcode result = CURLE_OK;
    int left = 0;
    while (CURLMsg* message = curl.curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    }
    curl.curl_multi_remove_handle(multi, easy);
    curl.curl_multi_cleanup(multi);

    if (FAborted)
        throw EAbort();
    if (transfer.tooLong)
        throw EHttpError(QStringLiteral("the answer is too long"));
    if (state != CURLM_OK)
        throw EHttpError(QString::fromUtf8(curl.curl_multi_strerror(state)));
    if (result != CURLE_OK) {
        const QString text = QString::fromUtf8(transfer.error).trimmed();
        throw EHttpError(text.isEmpty() ? QString::fromUtf8(curl.curl_easy_strerror(result)) : text);
    }
    long status = 0;
    curl.curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    transfer.response.Status = int(status);
    return transfer.response;
}
