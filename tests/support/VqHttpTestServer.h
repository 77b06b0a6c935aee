#pragma once

// The local HTTP server of scripts/testservers.sh (VQ_TEST_HTTP_URL). Each
// test works below a path prefix of its own, so that suites run in parallel:
// it sets the answers of its paths and reads back the requests received.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <gtest/gtest.h>

namespace vqtest {

struct HttpRequest {
    QString method;
    QString path;   // with its query
    QList<QPair<QString, QString>> headers;
    QByteArray body;

    // The first header of that name (letter case aside); empty when none.
    QString Header(const QString& name) const;
};

class HttpTestServer {
public:
    // The prefix is made from the running test's name.
    HttpTestServer();

    // "http://127.0.0.1:port/"; empty when the server was not started.
    static QString Url();
    const QString& Prefix() const { return FPrefix; }
    // The server's address of a path below the prefix.
    QString Address(const QString& relative = QString()) const;

    void SetAnswer(const QString& relative, int status, const QByteArray& body,
                   const QString& contentType = QStringLiteral("text/html; charset=utf-8"));
    // The request is taken and never answered.
    void SetSilent(const QString& relative);
    // The request is answered 200 with a body that never ends.
    void SetEndless(const QString& relative);
    // The requests received below the prefix, in order.
    QList<HttpRequest> Requests() const;

private:
    QString FPrefix;
};

// A loopback address where nothing listens: requests are refused.
QString RefusingAddress();

}  // namespace vqtest

// A test that needs the HTTP server fails, never skips, when it is missing.
#define VQ_REQUIRE_TEST_HTTP()                                                                 \
    ASSERT_FALSE(::vqtest::HttpTestServer::Url().isEmpty())                                   \
        << "The test HTTP server is not running: run the tests through ./test.sh or "        \
           "scripts/with-test-servers.sh"
