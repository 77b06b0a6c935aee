#include "platform/ini/UMyIniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("task.elt"));

    void Write(const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray Bytes()
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// A hand-written file: comments, blanks, odd spacing, LF line ends, a BOM.
const QByteArray Sample(
    "\xEF\xBB\xBF; saved by hand\n"
    "[Export]\n"
    "  FromType = 1  \n"
    "Query=\"select * from t where a = 'x'\"\n"
    "Where='single'\n"
    "Odd=\"unbalanced\n"
    "Ext=  \"\"  \n"
    "  ; comment inside\n"
    "\n"
    "[SourceDB]\n"
    "Server=db\n"
    "server=second\n"
    "\n"
    "[export]\n"
    "FromType=7\n");

}  // namespace

TEST_F(IniFile, ReadsWithThePrivateProfileRules)
{
    Write(Sample);
    const TMyIniFile ini(file);
    const struct {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"export", "fromtype", "1"},                     // names ignore case, values are trimmed
        {"Export", "Query", "select * from t where a = 'x'"},   // one pair of quotes removed
        {"Export", "Where", "single"},
        {"Export", "Odd", "\"unbalanced"},
        {"Export", "Ext", ""},
        {"SourceDB", "SERVER", "db"},                    // the first key of a name counts
        {"Export", "Missing", "default"},
        {"Missing", "Server", "default"},
        {"Export", "; comment inside", "default"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.ReadString(QLatin1String(c.section), QLatin1String(c.key), QStringLiteral("default")),
                  QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(ini.ReadSections(), (QStringList {"Export", "SourceDB"}));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("EXPORT")), (QStringList {"FromType", "Query", "Where", "Odd", "Ext"}));
    EXPECT_EQ(ini.ReadSectionValues(QStringLiteral("SourceDB")), QStringList {QStringLiteral("Server=db")});
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("sourcedb")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("TargetDB")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("Export"), QStringLiteral("ext")));
    EXPECT_FALSE(TMyIniFile(dir.filePath(QStringLiteral("none.ini"))).SectionExists(QStringLiteral("Export")));
}

TEST_F(IniFile, IntegersAndBooleans)
{
    Write("[S]\na=1\nb=yes\nc=0x10\nd=-1\ne= 2 \nf=1.5\ng=0\nh=$FF\ni=99999999999\n");
    const TIniFile ini(file);
    const struct {
        const char* key;
        int integer;   // default 5
        bool boolean;  // default false
    } cases[] = {
        {"a", 1, true}, {"b", 5, false}, {"c", 16, true}, {"d", -1, true}, {"e", 2, true},
        {"f", 5, false}, {"g", 0, false}, {"h", 255, true}, {"i", 5, false}, {"missing", 5, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("S"), QLatin1String(c.key), 5), c.integer) << c.key;
        EXPECT_EQ(ini.ReadBool(QStringLiteral("S"), QLatin1String(c.key), false), c.boolean) << c.key;
    }
}

TEST_F(IniFile, LongValuesAreCutAt307200)
{
    const QByteArray longValue(400000, 'v');
    const QByteArray exact(TMyIniFile::MaxValueLength, 'e');
    Write("[Export]\nQuery=" + longValue + "\r\nWhere=" + exact + "\r\n");
    const TMyIniFile ini(file);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Export"), QStringLiteral("Query"), QString()),
              QString(TMyIniFile::MaxValueLength, QLatin1Char('v')));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Export"), QStringLiteral("Where"), QString()).size(),
              TMyIniFile::MaxValueLength);
    // The plain reader reads the whole value.
    EXPECT_EQ(TIniFile(file).ReadString(QStringLiteral("Export"), QStringLiteral("Query"), QString()).size(), 400000);
}

TEST_F(IniFile, WritingOneKeyKeepsEveryOtherByte)
{
    Write(Sample);
    TIniFile ini(file);

    ini.WriteString(QStringLiteral("EXPORT"), QStringLiteral("fromtype"), QStringLiteral("0"));
    QByteArray expected = Sample;
    expected.replace("  FromType = 1  \n", "  FromType = 0\n");
    EXPECT_EQ(Bytes(), expected);

    // A new key goes after the section's last line, before the blank line.
    ini.WriteInteger(QStringLiteral("Export"), QStringLiteral("SubCount"), 3);
    expected.replace("  ; comment inside\n\n", "  ; comment inside\nSubCount=3\n\n");
    EXPECT_EQ(Bytes(), expected);

    // A new section is appended.
    ini.WriteBool(QStringLiteral("TargetDB"), QStringLiteral("UseSSH"), true);
    expected += "[TargetDB]\nUseSSH=1\n";
    EXPECT_EQ(Bytes(), expected);

    // Writing the same value leaves the file alone; line breaks become blanks.
    ini.WriteString(QStringLiteral("Export"), QStringLiteral("SubCount"), QStringLiteral("3"));
    EXPECT_EQ(Bytes(), expected);
    ini.WriteString(QStringLiteral("SourceDB"), QStringLiteral("Server"), QStringLiteral("a\r\nb\nc"));
    expected.replace("Server=db\n", "Server=a b c\n");
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(ini.ReadString(QStringLiteral("SourceDB"), QStringLiteral("Server"), QString()), QStringLiteral("a b c"));
}

TEST_F(IniFile, DeletingKeysAndSectionsKeepsTheRest)
{
    Write(Sample);
    TIniFile ini(file);
    ini.DeleteKey(QStringLiteral("export"), QStringLiteral("WHERE"));
    QByteArray expected = Sample;
    expected.replace("Where='single'\n", "");
    EXPECT_EQ(Bytes(), expected);

    ini.EraseSection(QStringLiteral("SourceDB"));
    expected.replace("[SourceDB]\nServer=db\nserver=second\n\n", "");
    EXPECT_EQ(Bytes(), expected);

    ini.DeleteKey(QStringLiteral("Missing"), QStringLiteral("x"));
    ini.EraseSection(QStringLiteral("Missing"));
    EXPECT_EQ(Bytes(), expected);
}

TEST_F(IniFile, NewFilesAndEncodings)
{
    // A new file is UTF-8 with CR LF.
    TIniFile ini(file);
    ini.WriteString(QStringLiteral("Import"), QStringLiteral("LoadFolder"), QStringLiteral("/home/zoë"));
    ini.WriteString(QStringLiteral("Import"), QStringLiteral("Table"), QStringLiteral("t"));
    EXPECT_EQ(Bytes(), QByteArray("[Import]\r\nLoadFolder=/home/zo\xC3\xAB\r\nTable=t\r\n"));

    // A Windows-1252 file without a final line end keeps its bytes.
    Write("[Import]\r\nLoadFolder=C:\\caf\xE9");
    ini.WriteString(QStringLiteral("Import"), QStringLiteral("Table"), QStringLiteral("t\xE9"));
    EXPECT_EQ(Bytes(), QByteArray("[Import]\r\nLoadFolder=C:\\caf\xE9\r\nTable=t\xE9\r\n"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Import"), QStringLiteral("LoadFolder"), QString()),
              QStringLiteral("C:\\café"));

    // A text the code page cannot hold turns the file into UTF-8, text intact.
    ini.WriteString(QStringLiteral("Import"), QStringLiteral("Ext"), QStringLiteral("\u4E2D"));
    EXPECT_EQ(Bytes(), QByteArray("[Import]\r\nLoadFolder=C:\\caf\xC3\xA9\r\nTable=t\xC3\xA9\r\nExt=\xE4\xB8\xAD\r\n"));

    // A UTF-16 file stays UTF-16.
    Write(QByteArray("\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0", 18));
    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("w"));
    EXPECT_EQ(Bytes(), QByteArray("\xFF\xFE[\0S\0]\0\n\0k\0=\0w\0\n\0", 18));

    TIniFile nowhere(dir.filePath(QStringLiteral("missing/x.ini")));
    EXPECT_THROW(nowhere.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")), EIniFileException);
}

TEST_F(IniFile, UpdateWritesSeveralKeysAtOnceOrNotAtAll)
{
    Write(Sample);
    TIniFile ini(file);
    ini.Update([&] {
        ini.WriteString(QStringLiteral("SourceDB"), QStringLiteral("Server"), QStringLiteral("db2"));
        ini.WriteString(QStringLiteral("SourceDB"), QStringLiteral("Port"), QStringLiteral("3307"));
        EXPECT_EQ(ini.ReadString(QStringLiteral("SourceDB"), QStringLiteral("Port"), QString()), QStringLiteral("3307"));
        EXPECT_EQ(Bytes(), Sample) << "nothing is written before the end";
    });
    QByteArray expected = Sample;
    expected.replace("Server=db\nserver=second\n", "Server=db2\nserver=second\nPort=3307\n");
    EXPECT_EQ(Bytes(), expected);

    EXPECT_THROW(ini.Update([&] {
        ini.WriteString(QStringLiteral("SourceDB"), QStringLiteral("Server"), QStringLiteral("half"));
        throw EIniFileException(QStringLiteral("a value could not be made"));
    }),
                 EIniFileException);
    EXPECT_EQ(Bytes(), expected) << "a failed change leaves the file as it was";
}
