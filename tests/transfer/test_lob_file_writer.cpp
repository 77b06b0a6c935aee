// The file writer on values read from the test MariaDB: a file appears under
// its name whole or not at all, both where the folder takes unnamed files and
// where they are refused and a hidden temporary name stands in.
#include "LobExportTestDb.h"
#include "transfer/ULobFileWriter.h"

namespace {

using exporttest::S;

class LobFileWriter : public exporttest::LobDbTest, public ::testing::WithParamInterface<bool> {
protected:
    void TearDown() override
    {
        TLobFileWriter::SetUnnamedFilesRefused(false);
        LobDbTest::TearDown();
    }

    // Names in the folder other than the files meant: the temporary ones.
    QStringList Others(const QStringList& meant) const
    {
        QStringList others;
        for (const QString& name : FilesBelow(OutPath()).keys())
            if (!meant.contains(name))
                others.append(name);
        return others;
    }
};

}  // namespace

TEST_P(LobFileWriter, AFileTakesItsNameOnlyWhenWhole)
{
    const bool refused = GetParam();
    TLobFileWriter::SetUnnamedFilesRefused(refused);
    QByteArray all(256 * 16, Qt::Uninitialized);
    for (qsizetype i = 0; i < all.size(); ++i)
        all[i] = char(i);
    MakeValues({all, QByteArray("two"), QByteArray("never named")});
    QFile earlier(OutPath(S("2.b")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier, longer copy");
    earlier.close();
    TUniQuery query;
    query.SetConnection(Connection);
    query.SetSQL(S("select body from t order by id"));
    query.Open();
    const QStringList names{S("1.b"), S("2.b")};

    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        TLobFileWriter file;
        file.Create(QFile::encodeName(OutPath(name)));
        file.WriteValue(*query.Fields(0));
        // Written, not committed: the name holds what it held before.
        const QMap<QString, QByteArray> during = FilesBelow(OutPath());
        EXPECT_EQ(during.value(name), name == S("2.b") ? QByteArray("an earlier, longer copy") : QByteArray());
        EXPECT_EQ(during.contains(name), name == S("2.b"));
        const QStringList temporary = Others(names);
        ASSERT_EQ(temporary.size(), refused ? 1 : 0) << temporary.join(S(", ")).toStdString();
        if (refused) {
            EXPECT_TRUE(temporary.first().startsWith(S(".vq-")));
        }
        file.Commit();
        query.Next();
    }
    {
        // Given up before the commit: nothing stays behind.
        TLobFileWriter file;
        file.Create(QFile::encodeName(OutPath(S("3.b"))));
        file.WriteValue(*query.Fields(0));
    }

    EXPECT_EQ(FilesBelow(OutPath()), (QMap<QString, QByteArray>{{S("1.b"), all}, {S("2.b"), "two"}}));
}

INSTANTIATE_TEST_SUITE_P(Folders, LobFileWriter, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "UnnamedFilesRefused" : "UnnamedFiles";
                         });
