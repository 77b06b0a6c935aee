#pragma once

// Unattended runs of the built program against the test MariaDB: a database
// and a home of their own for every test, task files written as a user
// writes them, and the log read back line by line.

#include "db/UMysqlDBLogonOption.h"
#include "transfer/ULogonBatchOptions.h"
#include "platform/dac/UField.h"
#include "transfer/LobExportTestDb.h"

#include <QRegularExpression>
#include <utility>

namespace cmdtest {

using exporttest::S;

using TIniKeys = QList<std::pair<QString, QString>>;

// A log's lines with the time stamps as "[T] " and the elapsed time of the
// summary as "T": what stays is exactly what the run wrote.
inline QStringList NormalizedLines(const QByteArray& bytes, const QByteArray& lineEnd)
{
    static const QRegularExpression stamp(S("^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d:\\d{3}\\] "));
    static const QRegularExpression elapsed(S("Elapsed: \\d\\d:\\d\\d:\\d\\d\\.\\d{3}"));
    QStringList lines;
    for (const QByteArray& raw : bytes.split('\n')) {
        QByteArray line = raw;
        if (lineEnd == "\r\n") {
            if (!line.endsWith('\r'))
                continue;   // only the tail after the last line end
            line.chop(1);
        }
        QString text = QString::fromUtf8(line);
        text.replace(stamp, S("[T] "));
        text.replace(elapsed, S("Elapsed: T"));
        lines << text;
    }
    if (lineEnd == "\n" && !lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// On a database of its own (the export tests' fixture), with a home of its
// own for the program.
class CmdLineTest : public exporttest::LobDbTest {
protected:
    void SetUp() override
    {
        LobDbTest::SetUp();
        ASSERT_TRUE(Home.isValid());
        Env = vqtest::HeadlessEnvironment();
        Env.insert(S("HOME"), Home.path());
        Env.insert(S("XDG_DATA_HOME"), Home.path() + S("/data"));
        Env.insert(S("XDG_CONFIG_HOME"), Home.path() + S("/config"));
    }

    // Every row of the statement, its columns joined by "|".
    QStringList Rows(const QString& sql)
    {
        TUniQuery query;
        query.SetConnection(Connection);
        query.SetSQL(sql);
        query.Open();
        QStringList rows;
        for (; !query.Eof(); query.Next()) {
            QStringList columns;
            for (int i = 0; i < query.FieldCount(); ++i)
                columns << query.Fields(i)->AsString();
            rows << columns.join(QLatin1Char('|'));
        }
        return rows;
    }

    QString Path(const QString& relative) const { return OutPath(relative); }

    void WriteFile(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // An ini section as a user's editor writes it (CR LF, UTF-8).
    static QByteArray IniSection(const QString& section, const TIniKeys& keys)
    {
        QString text = QLatin1Char('[') + section + S("]\r\n");
        for (const auto& [key, value] : keys)
            text += key + QLatin1Char('=') + value + S("\r\n");
        return text.toUtf8();
    }

    // A task file that exports table's values (filtered by where) into
    // folder "out", each named by its name column and ext column.
    QString ExportTask(const QString& fileName, const QString& table, const QByteArray& extraSections = QByteArray(),
                       const QString& where = QString())
    {
        WriteFile(fileName, IniSection(S("Export"), {{S("FromType"), S("0")},
                                                     {S("Schema"), Database},
                                                     {S("Table"), table},
                                                     {S("Where"), where},
                                                     {S("LobField"), S("body")},
                                                     {S("NameType"), S("0")},
                                                     {S("NameField"), S("name")},
                                                     {S("ExtType"), S("0")},
                                                     {S("ExtField"), S("ext")},
                                                     {S("UnloadFolder"), Path(S("out"))},
                                                     {S("SubFolderCreateType"), S("0")}})
                                + extraSections);
        return Path(fileName);
    }

    // The "SourceDB" section of a direct logon to the test database, with the
    // password as plain text.
    QByteArray SourceDbSection() const
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        return IniSection(S("SourceDB"), {{S("Server"), server.host},
                                          {S("Port"), QString::number(server.port)},
                                          {S("Username"), server.user},
                                          {S("PasswordEncrypted"), S("0")},
                                          {S("Password"), server.password},
                                          {S("Database"), Database},
                                          {S("UseUnicode"), S("1")},
                                          {S("UseSSH"), S("0")}});
    }

    // A logon profile of the test database, as the logon dialog fills it.
    void FillTestDbProfile(TMysqlDBLogonOption& option) const
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        option.Server = server.host;
        option.Port = QString::number(server.port);
        option.Username = server.user;
        option.Password = server.password;
        option.Database = Database;
        option.UseUnicode = S("True");
    }

    // The task that imports folder "in" into files(name, body), each name
    // with its extension, written to fileName in the test folder.
    QString ImportIntoFilesTask(const QString& fileName, const QByteArray& extraSections = QByteArray())
    {
        WriteFile(fileName, IniSection(S("Import"), {{S("Schema"), Database},
                                                     {S("Table"), S("files")},
                                                     {S("LobField"), S("body")},
                                                     {S("LoadFolder"), Path(S("in"))},
                                                     {S("IncludeSubFolder"), S("0")},
                                                     {S("NameField"), S("name")},
                                                     {S("IncludeNameExt"), S("1")},
                                                     {S("ImportType"), S("0")},
                                                     {S("ExtType"), S("0")}})
                                + extraSections);
        return Path(fileName);
    }

    // The script that the batch-file writer makes for taskFile, storing
    // profile in it; empty when the writer refuses them. The script starts
    // the program named by SetProgramArguments.
    static QString WriteBatchScript(const QString& taskFile, TMysqlDBLogonOption& profile)
    {
        TLogonBatchOptions options;
        options.SetOptionName(S("task"));
        options.SourceDBLogonOption = &profile;
        options.TargetDBLogonOption = &profile;
        options.SetSessionFile(taskFile);
        const bool valid = options.Validate();
        EXPECT_TRUE(valid) << options.ErrorMessage.toStdString();
        if (!valid)
            return QString();
        options.WriteBatchFile();
        return options.BatchFile;
    }

    // The logon arguments of the test database.
    QStringList LogonArgs() const
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        return {S("mysql_server=") + server.host, S("mysql_port=") + QString::number(server.port),
                S("mysql_username=") + server.user, S("mysql_password=") + server.password,
                S("mysql_database=") + Database, S("mysql_unicode=True")};
    }

    vqtest::ProcessResult Run(const QStringList& arguments) const
    {
        return vqtest::RunProcess(vqtest::ProgramPath(), arguments, Env);
    }

    QStringList LogLines(const QString& logFile = QString()) const
    {
        return NormalizedLines(ReadFile(logFile.isEmpty() ? LogFile() : logFile), "\r\n");
    }

    QString LogFile() const { return Path(S("run.log")); }
    QString LogArg() const { return S("logfile=") + LogFile(); }

    QTemporaryDir Home;
    QProcessEnvironment Env;
};

}  // namespace cmdtest
