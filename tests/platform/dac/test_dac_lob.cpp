#include "DacTestSupport.h"

#include "platform/dac/UUniError.h"
#include "platform/dac/UUniStatement.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

using namespace dactest;

namespace {

// The process's peak resident memory so far, in bytes.
qint64 PeakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

// A file of pseudo-random bytes written a chunk at a time; its SHA-1.
QByteArray WriteRandomFile(const QString& path, qint64 size, quint32 seed)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    QRandomGenerator random(seed);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 left = size; left > 0;) {
        const qint64 n = std::min<qint64>(left, chunk.size());
        random.fillRange(reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
        file.write(chunk.constData(), n);
        hash.addData(QByteArrayView(chunk.constData(), n));
        left -= n;
    }
    return hash.result();
}

QByteArray FileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result();
}

constexpr qint64 MiB = 1 << 20;

}  // namespace

using UniLob = DacTest;

TEST_F(UniLob, SixtyFourMebibyteFileStreamsInAndOutByteForByte)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("in.bin"));
    const qint64 size = 64 * MiB + 123;
    const QByteArray hash = WriteRandomFile(source, size, 4711);
    Connection->ExecSQL(QStringLiteral("create table t (id int primary key, `the lob` longblob)"));
    auto insert = NewQuery(QStringLiteral("insert into t (id, `the lob`) values (:id, :the lob)"));
    insert->Prepare();
    Connection->MaxAllowedPacket();

    const qint64 peakBeforeImport = PeakMemory();
    insert->ParamByName(QStringLiteral("id"))->SetAsInteger(1);
    insert->ParamByName(QStringLiteral("the lob"))->LoadFromFile(source, ftBlob);
    insert->Execute();
    // The import holds about one chunk of the file, never the file.
    EXPECT_LT(PeakMemory() - peakBeforeImport, 8 * TUniStatement::ChunkSize);

    // The same prepared statement again with a small value sent inline.
    const QString small = dir.filePath(QStringLiteral("small.bin"));
    const QByteArray smallHash = WriteRandomFile(small, 1000, 1);
    insert->ParamByName(QStringLiteral("id"))->SetAsInteger(2);
    insert->ParamByName(QStringLiteral("the lob"))->LoadFromFile(small, ftBlob);
    insert->Execute();
    EXPECT_EQ(Scalar(QStringLiteral("select group_concat(length(`the lob`) order by id) from t")),
              QStringLiteral("%1,1000").arg(size));

    // Text protocol, streaming: written straight from the received row.
    const qint64 peakBeforeExport = PeakMemory();
    auto select = NewQuery(QStringLiteral("select id, `the lob` from t order by id"));
    select->SetUniDirectional(true);
    select->Open();
    ASSERT_FALSE(select->Eof());
    EXPECT_EQ(select->Fields(1)->DataSize(), size);
    select->Fields(1)->SaveToFile(dir.filePath(QStringLiteral("out1.bin")));
    select->Next();
    select->Fields(1)->SaveToFile(dir.filePath(QStringLiteral("out2.bin")));
    select->Close();
    // One row in memory, not two copies of it.
    EXPECT_LT(PeakMemory() - peakBeforeExport, size + 16 * MiB);
    EXPECT_EQ(FileHash(dir.filePath(QStringLiteral("out1.bin"))), hash);
    EXPECT_EQ(FileHash(dir.filePath(QStringLiteral("out2.bin"))), smallHash);

    // Prepared statement, streaming: copied out of the row in pieces.
    auto prepared = NewQuery(QStringLiteral("select `the lob` from t where id = :id"));
    prepared->SetUniDirectional(true);
    prepared->ParamByName(QStringLiteral("id"))->SetAsInteger(1);
    prepared->Open();
    ASSERT_FALSE(prepared->Eof());
    EXPECT_EQ(prepared->Fields(0)->DataSize(), size);
    prepared->Fields(0)->SaveToFile(dir.filePath(QStringLiteral("out3.bin")));
    prepared->Close();
    EXPECT_EQ(FileHash(dir.filePath(QStringLiteral("out3.bin"))), hash);
}

TEST_F(UniLob, FileOverTheServersLimitFailsAloneAndTheConnectionGoesOn)
{
    QTemporaryDir dir;
    const qint64 limit = Connection->MaxAllowedPacket();
    ASSERT_GT(limit, 0);
    // A sparse file one byte over the limit: nothing of it is read or sent.
    const QString big = dir.filePath(QStringLiteral("big.bin"));
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(limit + 1));
    }
    const QString ok = dir.filePath(QStringLiteral("ok.bin"));
    WriteRandomFile(ok, 3 * MiB, 2);
    Connection->ExecSQL(QStringLiteral("create table t (name varchar(20), b longblob)"));
    auto insert = NewQuery(QStringLiteral("insert into t values (:name, :b)"));
    const unsigned long session = Connection->ThreadId();
    for (const QString& path : {ok, big, ok}) {
        insert->ParamByName(QStringLiteral("name"))->SetAsString(QFileInfo(path).fileName());
        insert->ParamByName(QStringLiteral("b"))->LoadFromFile(path, ftBlob);
        if (path == big) {
            try {
                insert->Execute();
                FAIL() << "a file over max_allowed_packet was accepted";
            } catch (const EUniError& e) {
                EXPECT_TRUE(e.Message().contains(QStringLiteral("max_allowed_packet"))) << e.what();
            }
        } else {
            insert->Execute();
        }
    }
    EXPECT_EQ(Connection->ThreadId(), session);
    EXPECT_EQ(Scalar(QStringLiteral("select group_concat(name order by name) from t")),
              QStringLiteral("ok.bin,ok.bin"));
    EXPECT_EQ(Scalar(QStringLiteral("select min(length(b)) from t")), QString::number(3 * MiB));

    // A file that vanished fails alone as well.
    insert->ParamByName(QStringLiteral("b"))->LoadFromFile(dir.filePath(QStringLiteral("gone.bin")), ftBlob);
    EXPECT_THROW(insert->Execute(), EInOutError);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("2"));
}

TEST_F(UniLob, LargeValuesInMemoryAndTextRoundTrip)
{
    Connection->ExecSQL(QStringLiteral("create table t (id int, b longblob, m longtext)"));
    QByteArray bytes(3 * MiB + 7, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31 + 7);
    const QString text = QStringLiteral("äöü € ").repeated(300000);
    auto insert = NewQuery(QStringLiteral("insert into t values (1, :b, :m)"));
    insert->ParamByName(QStringLiteral("b"))->SetAsBytes(bytes);
    insert->ParamByName(QStringLiteral("m"))->SetAsMemo(text);
    insert->Execute();
    for (const QString& sql : {QStringLiteral("select b, m from t"), QStringLiteral("select b, m from t where id = :id")}) {
        for (bool uniDirectional : {false, true}) {
            auto select = NewQuery(sql);
            if (TParam* id = select->FindParam(QStringLiteral("id")))
                id->SetAsInteger(1);
            select->SetUniDirectional(uniDirectional);
            select->Open();
            ASSERT_FALSE(select->Eof());
            EXPECT_EQ(select->Fields(0)->AsBytes(), bytes) << sql.toStdString();
            EXPECT_EQ(select->Fields(1)->AsString(), text) << sql.toStdString();
            EXPECT_TRUE(select->Fields(0)->IsBlob());
        }
    }
}

TEST_F(UniLob, FailedExecutionLeavesNoLongDataForTheNext)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.bin"));
    const QString small = dir.filePath(QStringLiteral("small.bin"));
    WriteRandomFile(big, 2 * TUniStatement::ChunkSize + 5, 3);
    WriteRandomFile(small, 10, 4);
    Connection->ExecSQL(QStringLiteral("create table t (k int primary key, b longblob)"));
    Connection->ExecSQL(QStringLiteral("insert into t values (1, 'taken')"));
    auto insert = NewQuery(QStringLiteral("insert into t values (:k, :b)"));
    // The big value goes ahead of a statement that then fails.
    insert->ParamByName(QStringLiteral("k"))->SetAsInteger(1);
    insert->ParamByName(QStringLiteral("b"))->LoadFromFile(big, ftBlob);
    EXPECT_THROW(insert->Execute(), EUniError);
    insert->ParamByName(QStringLiteral("k"))->SetAsInteger(2);
    insert->ParamByName(QStringLiteral("b"))->LoadFromFile(small, ftBlob);
    insert->Execute();
    EXPECT_EQ(Scalar(QStringLiteral("select length(b) from t where k = 2")), QStringLiteral("10"));
    insert->ParamByName(QStringLiteral("k"))->SetAsInteger(3);
    insert->ParamByName(QStringLiteral("b"))->LoadFromFile(big, ftBlob);
    insert->Execute();
    EXPECT_EQ(Scalar(QStringLiteral("select length(b) from t where k = 3")),
              QString::number(2 * TUniStatement::ChunkSize + 5));
}

using UniLobCharset = DacCharsetTest;

// Text over one chunk travels in pieces ahead of the execution; the server
// must still convert it from the session's character set like a short one.
TEST_P(UniLobCharset, LongTextIsConvertedLikeShortText)
{
    Connection->ExecSQL(QStringLiteral(
        "create table t (n int, u longtext character set utf8mb4, l longtext character set latin1)"));
    for (int repeats : {10, 300000}) {
        const QString text = QStringLiteral("äöü € ").repeated(repeats);
        auto insert = NewQuery(QStringLiteral("insert into t values (:n, :u, :l)"));
        insert->ParamByName(QStringLiteral("n"))->SetAsInteger(repeats);
        insert->ParamByName(QStringLiteral("u"))->SetAsMemo(text);
        insert->ParamByName(QStringLiteral("l"))->SetAsMemo(text);
        insert->Execute();
        auto select = NewQuery(QStringLiteral("select char_length(u), char_length(l), u, l from t where n = :n"));
        select->ParamByName(QStringLiteral("n"))->SetAsInteger(repeats);
        select->Open();
        ASSERT_FALSE(select->Eof());
        EXPECT_EQ(select->Fields(0)->AsLargeInt(), text.size()) << repeats;
        EXPECT_EQ(select->Fields(1)->AsLargeInt(), text.size()) << repeats;
        EXPECT_EQ(select->Fields(2)->AsString(), text) << repeats;
        EXPECT_EQ(select->Fields(3)->AsString(), text) << repeats;
    }
}

INSTANTIATE_TEST_SUITE_P(UseUnicode, UniLobCharset, ::testing::Bool());
