#include "VqHttpTestServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>
#include <curl/curl.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vqtest {

namespace {
size_t Collect(char* data, size_t size, size_t count, void* user)
{
    static_cast<QByteArray*>(user)->append(data, qsizetype(size * count));
    return size * count;
}

// One control request; a failure ends the test with its reason.
QByteArray Control(const QString& path, const QByteArray* postBody)
{
    CURL* easy = curl_easy_init();
    QByteArray answer;
    const QByteArray url = (HttpTestServer::Url() + path).toUtf8();
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer);
    if (postBody) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, postBody->constData());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, long(postBody->size()));
    }
    const CURLcode result = curl_easy_perform(easy);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(easy);
    if (result != CURLE_OK || status != 200)
        throw std::runtime_error("The HTTP test server failed: " + std::string(curl_easy_strerror(result)));
    return answer;
}
}

QString HttpRequest::Header(const QString& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QString();
}

HttpTestServer::HttpTestServer()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QString name = test ? QString::fromUtf8(test->test_suite_name()) + QLatin1Char('.')
                              + QString::fromUtf8(test->name())
                        : QStringLiteral("none");
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.]")), QStringLiteral("_"));
    FPrefix = QStringLiteral("/%1-%2/").arg(name).arg(::getpid());
}

QString HttpTestServer::Url()
{
    return qEnvironmentVariable("VQ_TEST_HTTP_URL");
}

QString HttpTestServer::Address(const QString& relative) const
{
    QString url = Url();
    if (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url + FPrefix + relative;
}

void HttpTestServer::SetAnswer(const QString& relative, int status, const QByteArray& body,
                               const QString& contentType)
{
    const QJsonObject answer {{QStringLiteral("path"), FPrefix + relative},
                              {QStringLiteral("status"), status},
                              {QStringLiteral("body"), QString::fromUtf8(body)},
                              {QStringLiteral("contentType"), contentType}};
    const QByteArray json = QJsonDocument(answer).toJson(QJsonDocument::Compact);
    Control(QStringLiteral("__vq/answer"), &json);
}

void HttpTestServer::SetSilent(const QString& relative)
{
    const QJsonObject answer {{QStringLiteral("path"), FPrefix + relative},
                              {QStringLiteral("mode"), QStringLiteral("silent")}};
    const QByteArray json = QJsonDocument(answer).toJson(QJsonDocument::Compact);
    Control(QStringLiteral("__vq/answer"), &json);
}

void HttpTestServer::SetEndless(const QString& relative)
{
    const QJsonObject answer {{QStringLiteral("path"), FPrefix + relative},
                              {QStringLiteral("mode"), QStringLiteral("endless")}};
    const QByteArray json = QJsonDocument(answer).toJson(QJsonDocument::Compact);
    Control(QStringLiteral("__vq/answer"), &json);
}

QList<HttpRequest> HttpTestServer::Requests() const
{
    const QByteArray json = Control(
        QStringLiteral("__vq/requests?prefix=") + QString::fromUtf8(QUrl::toPercentEncoding(FPrefix)), nullptr);
    QList<HttpRequest> found;
    for (const QJsonValue& item : QJsonDocument::fromJson(json).array()) {
        const QJsonObject o = item.toObject();
        HttpRequest r;
        r.method = o.value(QStringLiteral("method")).toString();
        r.path = o.value(QStringLiteral("path")).toString();
        for (const QJsonValue& h : o.value(QStringLiteral("headers")).toArray())
            r.headers.append({h.toArray().at(0).toString(), h.toArray().at(1).toString()});
        r.body = QByteArray::fromBase64(o.value(QStringLiteral("body")).toString().toLatin1());
        found.append(r);
    }
    return found;
}

QString RefusingAddress()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return QStringLiteral("http://127.0.0.1:%1/").arg(ntohs(address.sin_port));
}

}  // namespace vqtest
