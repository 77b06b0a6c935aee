// The HTTP client against the local test server.
#include "platform/http/UHttpClient.h"
#include "support/VqHttpTestServer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <thread>

using vqtest::HttpTestServer;

TEST(HttpClient, GetGivesStatusLineAndBodyWhateverTheStatus)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("ok"), 200, "3.4\r\n");
    server.SetAnswer(QStringLiteral("fail"), 500, "<html>broken</html>");
    THttpClient client;

    const THttpResponse ok = client.Get(server.Address(QStringLiteral("ok?a=1&b=x%20y")));
    EXPECT_EQ(ok.Status, 200);
    EXPECT_EQ(ok.StatusLine, QStringLiteral("HTTP/1.1 200 OK"));
    EXPECT_EQ(ok.Body, QByteArray("3.4\r\n"));
    const THttpResponse fail = client.Get(server.Address(QStringLiteral("fail")));
    EXPECT_EQ(fail.Status, 500);
    EXPECT_EQ(fail.StatusLine, QStringLiteral("HTTP/1.1 500 Internal Server Error"));

    const QList<vqtest::HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].method, QStringLiteral("GET"));
    EXPECT_EQ(requests[0].path, server.Prefix() + QStringLiteral("ok?a=1&b=x%20y"));
}

TEST(HttpClient, FailuresRaiseLibcurlsTextWithinTheirTimeOut)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetSilent(QStringLiteral("silent"));
    THttpClient client;
    client.TimeoutMs = 500;

    try {
        client.Get(vqtest::RefusingAddress());
        FAIL() << "no exception";
    } catch (const EHttpError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Couldn't connect to server"))) << e.what();
    }
    QElapsedTimer timer;
    timer.start();
    try {
        client.Get(server.Address(QStringLiteral("silent")));
        FAIL() << "no exception";
    } catch (const EHttpError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Operation timed out after"))) << e.what();
    }
    EXPECT_LT(timer.elapsed(), 3000);
}

TEST(HttpClient, AbortFromAnotherThreadEndsTheRequestAtOnce)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetSilent(QStringLiteral("silent"));
    THttpClient client;
    std::thread aborter([&] {
        // Once the server holds the request.
        for (int i = 0; i < 200 && server.Requests().isEmpty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        client.Abort();
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(client.Get(server.Address(QStringLiteral("silent"))), EAbort);
    const qint64 afterAbort = timer.elapsed();
    aborter.join();
    EXPECT_LT(afterAbort, 5000) << "not the default time-out of 30 s";
    EXPECT_THROW(client.Get(server.Address(QStringLiteral("silent"))), EAbort) << "an aborted client stays so";
}

TEST(HttpClient, PostFormSendsThePartsAsGiven)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("post"), 200, "thanks");
    THttpClient client;
    const QByteArray binary("\xff\xd8\x00\x01 jpeg", 9);
    const THttpResponse answer = client.PostForm(
        server.Address(QStringLiteral("post")),
        {{QStringLiteral("msg"), QStringLiteral("Fehler: ä").toUtf8(), QString(),
          QStringLiteral("text/plain; charset=UTF-8"), QStringLiteral("8bit")},
         {QStringLiteral("screenshot"), binary, QStringLiteral("screenshot.png"), QString(), QString()}});
    EXPECT_EQ(answer.Body, QByteArray("thanks"));

    const QList<vqtest::HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1);
    const vqtest::HttpRequest& r = requests[0];
    EXPECT_EQ(r.method, QStringLiteral("POST"));
    EXPECT_TRUE(r.Header(QStringLiteral("Content-Type")).startsWith(QStringLiteral("multipart/form-data; boundary=")));
    EXPECT_TRUE(r.Header(QStringLiteral("Expect")).isEmpty());
    EXPECT_TRUE(r.body.contains("Content-Disposition: form-data; name=\"msg\"\r\n"
                                "Content-Type: text/plain; charset=UTF-8\r\n"
                                "Content-Transfer-Encoding: 8bit\r\n\r\n" + QStringLiteral("Fehler: ä").toUtf8() + "\r\n"))
        << r.body.toStdString();
    // A file part without a type gets a neutral one, never a guess from its name.
    EXPECT_TRUE(r.body.contains("Content-Disposition: form-data; name=\"screenshot\"; filename=\"screenshot.png\"\r\n"
                                "Content-Type: application/octet-stream\r\n\r\n" + binary + "\r\n"))
        << r.body.toStdString();
}
