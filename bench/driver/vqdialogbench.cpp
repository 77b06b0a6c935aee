// The import of one data set from the command line (the built program with a
// task file) and through the import dialog driven offscreen (the real
// progress outputer, the event hook after every file and the repaints),
// interleaved, best of three each. The dialog's run is timed from the click
// on Import to its return; the command line from start to exit (start-up and
// logon included, a few tens of milliseconds).
//
//   vqdialogbench PROGRAM DIR [ROUNDS]
//
// Connection from VQB_HOST, VQB_PORT, VQB_USER, VQB_PASSWORD; the table
// vqbench.bench_lob (name, data) is made again before every run.
#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"
#include "transfer/UIterativeConverter.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULobObjectFactory.h"
#include "transfer/forms/UBrowseFileEdit.h"
#include "transfer/forms/ULobImportForm.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

QString Env(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return QString::fromUtf8(value && *value ? value : fallback);
}

const QString Schema = QStringLiteral("vqbench");
const QString Table = QStringLiteral("bench_lob");

void ResetTable(TUniConnection& connection)
{
    connection.ExecSQL(QStringLiteral("DROP DATABASE IF EXISTS vqbench"));
    connection.ExecSQL(QStringLiteral("CREATE DATABASE vqbench"));
    connection.ExecSQL(QStringLiteral("CREATE TABLE vqbench.bench_lob (id INT UNSIGNED NOT NULL AUTO_INCREMENT "
                                      "PRIMARY KEY, name VARCHAR(64) NOT NULL, data LONGBLOB) ENGINE=InnoDB"));
    connection.SetDatabase(Schema);
}

int RowCount(TUniConnection& connection)
{
    TUniQuery query;
    query.SetConnection(&connection);
    query.SetSQL(QStringLiteral("select count(*) from vqbench.bench_lob"));
    query.Open();
    return query.Fields(0)->AsString().toInt();
}

double RunCommandLine(const QString& program, const QString& task, const QString& logFile)
{
    const QStringList arguments{QStringLiteral("mysql_server=") + Env("VQB_HOST", "127.0.0.1"),
                                QStringLiteral("mysql_port=") + Env("VQB_PORT", "3306"),
                                QStringLiteral("mysql_username=") + Env("VQB_USER", "root"),
                                QStringLiteral("mysql_password=") + Env("VQB_PASSWORD", ""),
                                QStringLiteral("mysql_database=") + Schema,
                                QStringLiteral("mysql_unicode=True"),
                                QStringLiteral("task=") + task,
                                QStringLiteral("logfile=") + logFile};
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (process.exitCode() != 0)
        std::fprintf(stderr, "command line: exit code %d\n", process.exitCode());
    return seconds;
}

double RunDialog(TDBObjectFactory& factory, TLobObjectFactory& lobFactory, const QString& folder)
{
    TLobImportForm form(nullptr, {&factory, &lobFactory, nullptr});
    form.FillSchemas();
    form.SelectTable(Schema, Table);
    form.findChild<QComboBox*>(QStringLiteral("cbNameField"))->setCurrentText(QStringLiteral("name"));
    form.findChild<TBrowseFileEdit*>(QStringLiteral("edtLoadFolder"))->SetFileName(folder);
    form.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    form.findChild<QPushButton*>(QStringLiteral("btnImport"))->click();
    return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM DIR [ROUNDS]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString program = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    QTemporaryDir scratch;
    InitMysqlDBClasses();
    TIterativeConverter::SetProcessMessagesHook([] { QCoreApplication::processEvents(); });
    int rc = 0;
    try {
        TDBObjectFactory factory(QStringLiteral("Mysql"));
        TUniConnection& connection = *factory.GetConnection();
        connection.SetServer(Env("VQB_HOST", "127.0.0.1"));
        connection.SetPort(Env("VQB_PORT", "3306").toInt());
        connection.SetUsername(Env("VQB_USER", "root"));
        connection.SetPassword(Env("VQB_PASSWORD", ""));
        connection.SpecificOptions().SetValue(QStringLiteral("UseUnicode"), QStringLiteral("True"));
        connection.Connect();
        SourceDBFactory = DestDBFactory = &factory;
        TLobObjectFactory lobFactory;

        TLobImportSession task;
        task.Schema = Schema;
        task.Table = Table;
        task.LobField = QStringLiteral("data");
        task.NameField = QStringLiteral("name");
        task.LoadFolder = folder;
        const QString taskFile = scratch.filePath(QStringLiteral("import.ilt"));
        task.SaveToFile(taskFile);

        double bestCli = 1e9;
        double bestDialog = 1e9;
        for (int round = 1; round <= rounds; ++round) {
            ResetTable(connection);
            const double cli = RunCommandLine(program, taskFile, scratch.filePath(QStringLiteral("run.log")));
            const int cliRows = RowCount(connection);
            ResetTable(connection);
            const double dialog = RunDialog(factory, lobFactory, folder);
            const int dialogRows = RowCount(connection);
            std::printf("round %d: command line %.3f s (%d rows), dialog %.3f s (%d rows)\n", round, cli, cliRows,
                        dialog, dialogRows);
            std::fflush(stdout);
            if (cliRows != dialogRows)
                rc = 1;
            bestCli = std::min(bestCli, cli);
            bestDialog = std::min(bestDialog, dialog);
        }
        std::printf("best of %d: command line %.3f s, dialog %.3f s, dialog costs %+.1f %%\n", rounds, bestCli,
                    bestDialog, (bestDialog / bestCli - 1) * 100);
        SourceDBFactory = DestDBFactory = nullptr;
    } catch (const std::exception& error) {
        SourceDBFactory = DestDBFactory = nullptr;
        std::fprintf(stderr, "vqdialogbench: %s\n", error.what());
        rc = 1;
    }
    TIterativeConverter::SetProcessMessagesHook(nullptr);
    DoneMysqlDBClasses();
    return rc;
}
