// The merger against the test MariaDB: the values of a table one after the
// other in one file, each followed by CR LF.
#include "LobExportTestDb.h"
#include "base/UException.h"
#include "transfer/ULobMerger.h"

#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using exporttest::S;

class LobMerger : public exporttest::LobDbTest {
protected:
    void SetUp() override
    {
        LobDbTest::SetUp();
        // On the program's connection, which exists from here on.
        Merger = std::make_unique<TLobMerger>();
        Merger->SetSchema(Database);
        Merger->SetTable(S("t"));
        Merger->SetLobField(S("body"));
        Merger->SetFileName(OutPath(S("all.txt")));
    }

    QByteArray Output() { return FilesBelow(OutPath()).value(S("all.txt")); }

    // The message of the exception the merge ended with.
    QString FailedMerge()
    {
        try {
            Merger->Convert();
        } catch (const Exception& e) {
            return e.Message();
        }
        return S("(no error)");
    }

    std::unique_ptr<TLobMerger> Merger;
};

}  // namespace

TEST_F(LobMerger, ValuesFollowEachOtherWithALineBreakAndNullWritesNothing)
{
    QByteArray binary(300, Qt::Uninitialized);
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i);
    MakeValues({QByteArray("A"), QByteArray(), QByteArray("B"), QByteArray(""), binary});
    QFile stale(OutPath(S("all.txt")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(5000, 'z'));   // replaced, not appended to
    stale.close();
    int errors = -1;
    Merger->Status().OnEnd = [&](TConvertStatus& status) { errors = status.Errors; };

    EXPECT_TRUE(Merger->Convert());

    EXPECT_EQ(Output(), QByteArray("A\r\nB\r\n\r\n") + binary + QByteArray("\r\n"));
    EXPECT_EQ(Merger->Status().Succeeded, 5);
    EXPECT_EQ(Merger->Status().Total, 5);
    EXPECT_EQ(errors, 0);
}

TEST_F(LobMerger, TheWhereRuleOfTheMerge)
{
    MakeValues({QByteArray("A"), QByteArray("B"), QByteArray("C")});
    const QString from = S(" from `%1`.`t`").arg(Database);
    const struct {
        const char* where;
        QString sql;
        QByteArray output;
    } cases[] = {
        {"", S("select `body`") + from, "A\r\nB\r\nC\r\n"},
        {" \t\r\n", S("select `body`") + from, "A\r\nB\r\nC\r\n"},
        {"id > 1", S("select `body`") + from + S(" where id > 1"), "B\r\nC\r\n"},
        {"  WHERE id = 2", S("select `body`") + from + S("   WHERE id = 2"), "B\r\n"},
        {"Where id < 2 ", S("select `body`") + from + S(" Where id < 2 "), "A\r\n"},
    };
    for (const auto& c : cases) {
        Merger->SetWhere(S(c.where));
        EXPECT_EQ(Merger->BuildSql(), c.sql) << c.where;
        EXPECT_TRUE(Merger->Convert());
        EXPECT_EQ(Output(), c.output) << c.where;
    }
}

// Statements that fail end the run before the file exists; the connection is
// free afterwards.
TEST_F(LobMerger, AFailingStatementEndsTheRunBeforeTheFile)
{
    MakeValues({QByteArray("A")});
    const struct {
        const char* table;
        const char* where;
        const char* message;
    } cases[] = {
        {"missing", "", "doesn't exist"},
        {"t", "limit 1", "SQL syntax"},   // not recognised: " where limit 1"
        {"t", "nope = 1", "Unknown column"},
    };
    for (const auto& c : cases) {
        Merger->SetTable(S(c.table));
        Merger->SetWhere(S(c.where));
        EXPECT_TRUE(FailedMerge().contains(S(c.message))) << c.table << " " << c.where;
        EXPECT_FALSE(QFileInfo::exists(OutPath(S("all.txt")))) << c.table << " " << c.where;
        EXPECT_EQ(Scalar(S("select 1")), S("1"));
    }
}

TEST_F(LobMerger, AnOutputFileThatCannotBeCreatedEndsTheRun)
{
    MakeValues({QByteArray("A")});
    Merger->SetFileName(OutPath(S("missing/all.txt")));
    EXPECT_EQ(FailedMerge(),
              S("Cannot create file \"%1\". No such file or directory").arg(OutPath(S("missing/all.txt"))));
    EXPECT_EQ(Scalar(S("select 1")), S("1"));
}

TEST_F(LobMerger, AStopAfterThreeRowsKeepsWhatWasWritten)
{
    MakeRows(10);
    Merger->Status().OnProgress = [&](TConvertStatus& status) {
        if (status.Succeeded == 3)
            Merger->Stop();
    };

    EXPECT_TRUE(Merger->Convert());

    EXPECT_EQ(Output(), QByteArray("v1\r\nv2\r\nv3\r\n"));
    EXPECT_EQ(Merger->Status().Total, 10);
    EXPECT_EQ(Merger->Status().Succeeded, 3);
    EXPECT_EQ(Scalar(S("select count(*) from t")), S("10"));
}

// The output takes its name only when the run ends: a full disk cuts the file
// back to its last whole value, and a run that breaks off leaves an earlier
// output as it was, with no temporary file behind.
TEST_F(LobMerger, TheOutputNeverHoldsPartOfAValue)
{
    ASSERT_EQ(::geteuid(), 0u) << "a small file system of its own needs root";
    const QString disk = OutPath(S("disk"));
    QDir().mkpath(disk);
    ASSERT_EQ(::mount("vqtest", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=1m"), 0) << std::strerror(errno);
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH); });
    MakeValues({QByteArray("A"), QByteArray(3 << 20, 'x'), QByteArray("B")});
    Merger->SetFileName(disk + S("/all.txt"));
    EXPECT_TRUE(Merger->Convert());
    EXPECT_EQ(Merger->Status().Errors, 1);
    EXPECT_EQ(FilesBelow(disk), (QMap<QString, QByteArray>{{S("all.txt"), "A\r\nB\r\n"}}));

    // Broken off: the session is killed while the rows still stream.
    Exec(S("DROP TABLE t"));
    QList<QByteArray> values;
    for (int i = 0; i < 40; ++i)
        values << QByteArray(1 << 20, char('a' + i % 26));
    MakeValues(values);
    Merger->SetFileName(OutPath(S("all.txt")));
    QFile earlier(OutPath(S("all.txt")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("the earlier output");
    earlier.close();
    Merger->Status().OnProgress = [&](TConvertStatus& status) {
        if (status.Succeeded != 1)
            return;
        TUniConnection killer;
        Configure(killer);
        killer.Connect();
        killer.ExecSQL(S("KILL CONNECTION %1").arg(Connection->ThreadId()));
    };
    EXPECT_NE(FailedMerge(), S("(no error)"));
    EXPECT_EQ(Output(), "the earlier output");
    EXPECT_EQ(QDir(OutPath()).entryList(QDir::Files | QDir::Hidden), QStringList({S("all.txt")}));
}
