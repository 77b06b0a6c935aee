// Runs one import, export or merge on the program's transfer engine, with the
// task filled in code, as the program's executors do: the same converters, on
// the connection of the program's database object factory.
//
//   vqbench import DIR | export DIR | merge FILE | noop
//
// Connection and table from VQB_HOST, VQB_PORT, VQB_USER, VQB_PASSWORD, VQB_DB
// and VQB_TABLE; the table has the columns name and data. Prints the number
// of items done; a failed item makes the exit code 1.
#include "db/UDBObjectFactory.h"
#include "VqBenchConnection.h"
#include "db/UMysqlDBClassInit.h"
#include "platform/dac/UUniConnection.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobExporter.h"
#include "transfer/ULobMerger.h"
#ifdef VQB_HAVE_IMPORTER
#include "transfer/ULobImportSession.h"
#include "transfer/ULobImporter.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

using vqbench::Env;

int Report(TIterativeConverter& converter)
{
    converter.Convert();
    const TConvertStatus& status = converter.Status();
    std::printf("%d\n", status.Succeeded);
    if (status.Errors == 0)
        return 0;
    std::fprintf(stderr, "vqbench: %d failed; last: %s\n", status.Errors, qPrintable(status.LastError));
    return 1;
}

int Run(const QString& op, const QString& path)
{
    const QString schema = Env("VQB_DB", "vqbench");
    const QString table = Env("VQB_TABLE", "bench_lob");
    if (op == QLatin1String("import")) {
#ifdef VQB_HAVE_IMPORTER
        TLobImportSession task;
        task.Schema = schema;
        task.Table = table;
        task.LobField = QStringLiteral("data");
        task.NameField = QStringLiteral("name");
        task.LoadFolder = path;
        TLobImporter importer;
        importer.SetImportSession(&task);
        return Report(importer);
#else
        std::fprintf(stderr, "vqbench: built without the importer\n");
        return 2;
#endif
    }
    if (op == QLatin1String("export")) {
        TLobExportSession task;
        task.Schema = schema;
        task.Table = table;
        task.LobField = QStringLiteral("data");
        task.NameType = TExportNameType::FromField;
        task.NameField = QStringLiteral("name");
        task.ExtType = TExportExtType::Fixed;
        task.Ext = QStringLiteral("bin");
        task.UnloadFolder = path;
        TLobExporter exporter;
        exporter.SetExportSession(&task);
        return Report(exporter);
    }
    if (op == QLatin1String("merge")) {
        TLobMerger merger;
        merger.SetSchema(schema);
        merger.SetTable(table);
        merger.SetLobField(QStringLiteral("data"));
        merger.SetFileName(path);
        return Report(merger);
    }
    std::printf("0\n");
    return 0;   // noop: the memory of the program and its connection alone
}

}  // namespace

int main(int argc, char** argv)
{
    const QString op = QString::fromUtf8(argc > 1 ? argv[1] : "");
    const bool noop = op == QLatin1String("noop") && argc == 2;
    if (!noop && (argc != 3 || (op != QLatin1String("import") && op != QLatin1String("export")
                                && op != QLatin1String("merge")))) {
        std::fprintf(stderr, "usage: %s import DIR | export DIR | merge FILE | noop\n", argv[0]);
        return 2;
    }
    InitMysqlDBClasses();
    int rc = 1;
    try {
        TDBObjectFactory factory(QStringLiteral("Mysql"));
        TUniConnection& connection = *factory.GetConnection();
        vqbench::Configure(connection);
        connection.SetDatabase(Env("VQB_DB", "vqbench"));
        connection.Connect();
        SourceDBFactory = DestDBFactory = &factory;
        rc = Run(op, noop ? QString() : QString::fromLocal8Bit(argv[2]));
        SourceDBFactory = DestDBFactory = nullptr;
    } catch (const std::exception& error) {
        SourceDBFactory = DestDBFactory = nullptr;
        std::fprintf(stderr, "vqbench: %s\n", error.what());
        rc = 1;
    }
    DoneMysqlDBClasses();
    return rc;
}
