// The import of one data set from the command line (the built program with a
// task file) and through the import dialog driven offscreen (the real
// progress outputer, the program's event pump and the repaints),
// interleaved, best of three each (ROUNDS), with the medians and the
// median of the rounds' ratios of processor time. The dialog's run is timed from the click
// on Import to its return; the command line from start to exit (start-up and
// logon included, a few tens of milliseconds).
//
//   vqdialogbench PROGRAM DIR [ROUNDS]
//
// Connection from VQB_HOST, VQB_PORT, VQB_USER, VQB_PASSWORD; the table
// vqbench.bench_lob (name, data) is made again before every run.
#include "db/UDBObjectFactory.h"
#include "VqBenchConnection.h"
#include "db/UMysqlDBClassInit.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULobObjectFactory.h"
#include "transfer/forms/UBrowseFileEdit.h"
#include "transfer/forms/UConverterEventPump.h"
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
#include <sys/resource.h>
#include <vector>

namespace {

using vqbench::Env;

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

// Wall time, and the processor time (user and system) of the process that
// did the work: the run's own share, which the load of a shared machine
// disturbs far less than the wall time.
struct TRunTime {
    double wall = 0;
    double cpu = 0;
};

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TRunTime RunCommandLine(const QString& program, const QString& task, const QString& logFile)
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
    const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const TRunTime time{timer.nsecsElapsed() / 1e9, CpuSeconds(RUSAGE_CHILDREN) - cpuBefore};
    if (process.exitCode() != 0)
        std::fprintf(stderr, "command line: exit code %d\n", process.exitCode());
    return time;
}

TRunTime RunDialog(TDBObjectFactory& factory, TLobObjectFactory& lobFactory, const QString& folder)
{
    TLobImportForm form(nullptr, {&factory, &lobFactory, nullptr});
    form.FillSchemas();
    form.SelectTable(Schema, Table);
    form.findChild<QComboBox*>(QStringLiteral("cbNameField"))->setCurrentText(QStringLiteral("name"));
    form.findChild<TBrowseFileEdit*>(QStringLiteral("edtLoadFolder"))->SetFileName(folder);
    form.show();
    QCoreApplication::processEvents();
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer timer;
    timer.start();
    form.findChild<QPushButton*>(QStringLiteral("btnImport"))->click();
    return {timer.nsecsElapsed() / 1e9, CpuSeconds(RUSAGE_SELF) - cpuBefore};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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
    TConverterEventPump::Install();
    int rc = 0;
    try {
        TDBObjectFactory factory(QStringLiteral("Mysql"));
        TUniConnection& connection = *factory.GetConnection();
        vqbench::Configure(connection);
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

        TRunTime bestCli{1e9, 1e9};
        TRunTime bestDialog{1e9, 1e9};
        std::vector<double> cliCpu, dialogCpu, cpuRatios;
        for (int round = 1; round <= rounds; ++round) {
            ResetTable(connection);
            const TRunTime cli = RunCommandLine(program, taskFile, scratch.filePath(QStringLiteral("run.log")));
            const int cliRows = RowCount(connection);
            ResetTable(connection);
            const TRunTime dialog = RunDialog(factory, lobFactory, folder);
            const int dialogRows = RowCount(connection);
            std::printf("round %d: command line %.3f s, cpu %.3f s (%d rows); dialog %.3f s, cpu %.3f s (%d rows)\n",
                        round, cli.wall, cli.cpu, cliRows, dialog.wall, dialog.cpu, dialogRows);
            std::fflush(stdout);
            if (cliRows != dialogRows)
                rc = 1;
            cliCpu.push_back(cli.cpu);
            dialogCpu.push_back(dialog.cpu);
            cpuRatios.push_back(dialog.cpu / cli.cpu);
            bestCli = {std::min(bestCli.wall, cli.wall), std::min(bestCli.cpu, cli.cpu)};
            bestDialog = {std::min(bestDialog.wall, dialog.wall), std::min(bestDialog.cpu, dialog.cpu)};
        }
        std::printf("best of %d: command line %.3f s, dialog %.3f s, dialog costs %+.1f %%\n", rounds, bestCli.wall,
                    bestDialog.wall, (bestDialog.wall / bestCli.wall - 1) * 100);
        std::printf("processor time, best of %d: command line %.3f s, dialog %.3f s, dialog costs %+.1f %%\n", rounds,
                    bestCli.cpu, bestDialog.cpu, (bestDialog.cpu / bestCli.cpu - 1) * 100);
        std::printf("processor time, median of %d: command line %.3f s, dialog %.3f s; "
                    "median of the rounds' ratios: dialog costs %+.1f %%\n",
                    rounds, Median(cliCpu), Median(dialogCpu), (Median(cpuRatios) - 1) * 100);
        double loads[3] = {0, 0, 0};
        getloadavg(loads, 3);
        std::printf("load average at the end: %.2f %.2f %.2f\n", loads[0], loads[1], loads[2]);
        SourceDBFactory = DestDBFactory = nullptr;
    } catch (const std::exception& error) {
        SourceDBFactory = DestDBFactory = nullptr;
        std::fprintf(stderr, "vqdialogbench: %s\n", error.what());
        rc = 1;
    }
    TConverterEventPump::Remove();
    DoneMysqlDBClasses();
    return rc;
}
