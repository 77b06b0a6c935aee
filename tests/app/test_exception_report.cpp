// What the exception report says and sends, without its window.
#include "app/UExceptionReport.h"
#include "app/UOfficeVersionSolution.h"
#include "base/UCommandLine.h"
#include "base/UDebugHelper.h"
#include "base/ULog.h"
#include "base/UMakerSite.h"
#include "settings/URegUtil.h"
#include "platform/http/UHttpClient.h"
#include "support/VqHttpTestServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
std::string S(const QString& text)
{
    return text.toStdString();
}
}

TEST(ExceptionReport, Headline)
{
    const struct {
        const char* message;
        const char* headline;
    } cases[] = {
        {"Assertion failure (x.pas, line 3)", "Assertion failure"},
        {"Access violation at address 0040A1B2 in module 'x'", "Memory Error"},
        {"access violation at address 0040A1B2", "access violation at address 0040A1B2"},
        {"Lost connection: UniDAC provider error", "Database Error"},
        {"Access violation in UniDAC", "Memory Error"},
        {"Table 'x' doesn't exist", "Table 'x' doesn't exist"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(ExceptionHeadline(QString::fromLatin1(c.message))), c.headline) << c.message;
}

TEST(ExceptionReport, OfficeAdvice)
{
    SetProgramArguments(QStringLiteral("/x/Vantorquill"), {});
    const QString key = QStringLiteral("Software\\Corvanta\\Vantorquill");
    QTemporaryDir dir;
    const QString notAProgram = dir.filePath(QStringLiteral("MSACCESS.EXE"));
    QFile file(notAProgram);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a program");
    file.close();
    const QString engine = QStringLiteral("If you can not open Office 2007 and above file (*.accdb, *.xlsx), please "
                                          "download and install Microsoft Access Database Engine.");
    const struct {
        const char* message;
        QString accessPath;
        bool applies;
        QString advice;
        const char* keyword;
    } cases[] = {
        {"Cannot open C:/data/x.accdb", QString(), true, engine, "office_engine"},
        {"Cannot open C:/data/x.mdb", notAProgram, true, QStringLiteral("Please reinstall Vantorquill x86 version. "),
         "arch"},
        {"Cannot create ODBC alias", QString(), true, QStringLiteral("Please reinstall Vantorquill x86 version. "),
         "arch"},
        {"Cannot open C:/data/x.MDB", QString(), false, QString(), ""},
        {"Table 'x' doesn't exist", QString(), false, QString(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        RegWriteString(key, QStringLiteral("AccessPath"), c.accessPath);
        TOfficeVersionSolution solution;
        EXPECT_EQ(solution.Analyse(QString::fromLatin1(c.message)), c.applies);
        EXPECT_EQ(S(solution.Advice), S(c.advice));
        EXPECT_EQ(solution.Keyword.toStdString(), c.keyword);
        if (!c.accessPath.isEmpty()) {
            EXPECT_EQ(S(solution.AccessArch), "x86");
        }
    }
    RegWriteString(key, QStringLiteral("AccessPath"), QString());
}

TEST(ExceptionReport, AdviceFromTheDebugLogWhenTheMessageHasNone)
{
    TDebugHelper::Init();
    TDebugHelper::ClearLog();
    TExceptionReport plain(QStringLiteral("Something failed"));
    EXPECT_TRUE(plain.FindAdvice().isEmpty());
    EXPECT_FALSE(plain.Fields.Names().contains(QStringLiteral("keyword")));

    TLog::GetLogger()->Debug(QStringLiteral("Opening /data/old.mdb"));
    TExceptionReport fromLog(QStringLiteral("Something failed"));
    EXPECT_TRUE(fromLog.FindAdvice().startsWith(QStringLiteral("Please reinstall Vantorquill")));
    EXPECT_EQ(S(fromLog.Fields.Value(QStringLiteral("keyword"))), "arch");
    TDebugHelper::Done();
}

TEST(ExceptionReport, AFailedPostKeepsTheLogItDidNotDeliver)
{
    VQ_REQUIRE_TEST_HTTP();
    vqtest::HttpTestServer server;
    server.SetAnswer(QStringLiteral("fails/report_exception.php"), 500, "<html>down</html>");
    server.SetAnswer(QStringLiteral("works/report_exception.php"), 200, "");
    TDebugHelper::Init();
    TLog::GetLogger()->Debug(QStringLiteral("the step before the error"));

    SetMakerSite(server.Address(QStringLiteral("fails/")));
    TExceptionReport report(QStringLiteral("boom"));
    report.FillFields(QStringLiteral("info"));
    try {
        report.Send(false, true);
        FAIL() << "no exception";
    } catch (const EHttpError& e) {
        EXPECT_EQ(S(e.Message()), "HTTP/1.1 500 Internal Server Error");
    }
    EXPECT_TRUE(report.Answer.isEmpty());
    EXPECT_TRUE(TDebugHelper::GetLog().contains(QStringLiteral("the step before the error")));

    SetMakerSite(server.Address(QStringLiteral("works/")));
    report.Send(false, true);
    EXPECT_TRUE(TDebugHelper::GetLog().isEmpty()) << "delivered, then emptied";
    SetMakerSite(QString());
    TDebugHelper::Done();
}
