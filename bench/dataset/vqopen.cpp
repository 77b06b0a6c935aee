// Our side of the data-set benchmark (see vqopenc.c for the C side):
//   vqopen open TABLE RUNS   open "select * from TABLE" with FetchRows 15
//                            through the grid model's first fetch; early close
//   vqopen post FILE         row 1 of t64: the file loaded into the field, posted
//   vqopen drain TABLE       open, then another statement reads every row into
//                            the kept rows; the memory that takes
#include "../common/VqBenchDb.h"
#include "dataview/UDBGridModel.h"
#include "platform/dac/UDataSource.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>

namespace {

long PeakKb()
{
    return vqbenchdb::StatusKb("VmHWM:");
}

std::unique_ptr<TUniConnection> Connect()
{
    return vqbenchdb::Connect(QStringLiteral("vqbench_ds"));
}

void Paged(TUniQuery& query, TUniConnection& connection, const QString& sql)
{
    query.SetConnection(&connection);
    query.SetFetchRows(15);
    query.SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
    query.SetSQL(sql);
}

int OpenRows(const QString& table, int runs)
{
    auto connection = Connect();
    TUniQuery query;
    Paged(query, *connection, QStringLiteral("select * from ") + table);
    TDataSource source;
    source.SetDataSet(&query);
    TDBGridModel model;
    model.SetDataSource(&source);
    double first = -1, best = 1e18;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        query.Open();
        if (model.rowCount() != 15)
            std::fprintf(stderr, "expected 15 rows, the model has %d\n", model.rowCount());
        const double took = timer.nsecsElapsed() / 1e6;
        if (run == 0)
            first = took;
        else
            best = std::min(best, took);
        query.Close();
    }
    std::printf("first_ms=%.3f\nbest_ms=%.3f\npeak_kb=%ld\n", first, best, PeakKb());
    return 0;
}

int PostFile(const QString& file)
{
    auto connection = Connect();
    TUniQuery query;
    Paged(query, *connection, QStringLiteral("select id, b from t64 where id = 1"));
    query.Open();
    const long baseline = PeakKb();
    QElapsedTimer timer;
    timer.start();
    query.Edit();
    query.FieldByName(QStringLiteral("b"))->LoadFromFile(file);
    const double loaded = timer.nsecsElapsed() / 1e6;
    query.Post();
    const double took = timer.nsecsElapsed() / 1e6;
    std::printf("load_ms=%.3f\npost_ms=%.3f\nload_and_post_ms=%.3f\npeak_over_baseline_kb=%ld\n", loaded,
                took - loaded, took, PeakKb() - baseline);
    return 0;
}

int Drain(const QString& table)
{
    auto connection = Connect();
    TUniQuery query;
    Paged(query, *connection, QStringLiteral("select * from ") + table);
    query.Open();
    const long baseline = PeakKb();
    QElapsedTimer timer;
    timer.start();
    TUniQuery other;
    other.SetConnection(connection.get());
    other.SetSQL(QStringLiteral("select 1"));
    other.Open();
    std::printf("drain_ms=%.3f\nrows=%lld\npeak_over_open_kb=%ld\n", timer.nsecsElapsed() / 1e6,
                query.KeptRowCount(), PeakKb() - baseline);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        if (argc == 4 && std::strcmp(argv[1], "open") == 0)
            return OpenRows(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
        if (argc == 3 && std::strcmp(argv[1], "post") == 0)
            return PostFile(QString::fromLocal8Bit(argv[2]));
        if (argc == 3 && std::strcmp(argv[1], "drain") == 0)
            return Drain(QString::fromLocal8Bit(argv[2]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: vqopen open TABLE RUNS | post FILE | drain TABLE\n");
    return 2;
}
