// The settings store with 1,000, 10,000 and 100,000 keys: one write and one
// read, when this process has the file's latest version and when another
// process changed it (a parse), beside the C ceiling on a file of the same
// size. The fsync of a write is timed apart: that is the disk's time.
#include "platform/registry/URegistry.h"
#include "regceil.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double fsyncMs = 0;

}  // namespace

// Every fsync of this program, the store's included, goes through here and is
// timed.
extern "C" int fsync(int fd)
{
    const double start = NowMs();
    const int result = static_cast<int>(::syscall(SYS_fsync, fd));
    fsyncMs += NowMs() - start;
    return result;
}

namespace {

const int keysPerGroup = 100;
const int repeats = 7;

QString KeyPath(int i)
{
    return QStringLiteral("\\Software\\Corvanta\\Bench\\g%1\\k%2")
        .arg(i / keysPerGroup, 4, 10, QLatin1Char('0'))
        .arg(i % keysPerGroup, 3, 10, QLatin1Char('0'));
}

void Fill(const QString& file, int keys)
{
    TRegistry reg(file);
    reg.Update([&] {
        for (int i = 0; i < keys; ++i) {
            reg.OpenKey(KeyPath(i), true);
            reg.WriteString(QStringLiteral("Server"), QStringLiteral("host-%1.example").arg(i));
            reg.WriteInteger(QStringLiteral("Port"), 3306);
        }
    });
}

// Another process's write: a modification time of its own, the same bytes.
void Touch(const QString& file)
{
    static time_t seconds = 1000000000;
    const timespec times[2] = {{0, UTIME_OMIT}, {++seconds, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct TRow {
    int keys = 0;
    qint64 bytes = 0;
    double write = 0, writeFsync = 0, writeChanged = 0, read = 0, readChanged = 0;
    double ceilWrite = 0, ceilFsync = 0, ceilRead = 0;
};

TRow Measure(const QString& folder, int keys)
{
    const QString file = folder + QStringLiteral("/registry-%1").arg(keys);
    Fill(file, keys);
    TRow row;
    row.keys = keys;
    row.bytes = QFileInfo(file).size();
    std::vector<double> write, writeFsync, writeChanged, read, readChanged, ceilWrite, ceilFsync, ceilRead;
    for (int r = 0; r < repeats; ++r) {
        const QString value = QStringLiteral("v%1").arg(r);
        {
            TRegistry reg(file);
            reg.OpenKey(KeyPath(keys / 2), false);
            const double before = fsyncMs;
            const double start = NowMs();
            reg.WriteString(QStringLiteral("Server"), value);
            const double total = NowMs() - start;
            writeFsync.push_back(fsyncMs - before);
            write.push_back(total - writeFsync.back());
        }
        {
            TRegistry reg(file);
            reg.OpenKey(KeyPath(keys / 2), false);
            Touch(file);
            const double before = fsyncMs;
            const double start = NowMs();
            reg.WriteString(QStringLiteral("Server"), value + QLatin1Char('x'));
            writeChanged.push_back(NowMs() - start - (fsyncMs - before));
        }
        {
            TRegistry reg(file);
            reg.OpenKey(KeyPath(keys / 3), false);
            double start = NowMs();
            const QString text = reg.ReadString(QStringLiteral("Server"));
            read.push_back(NowMs() - start);
            Touch(file);
            start = NowMs();
            if (reg.ReadString(QStringLiteral("Server")) != text)
                std::fprintf(stderr, "read back differs\n");
            readChanged.push_back(NowMs() - start);
        }
        {
            QFile f(file);
            f.open(QIODevice::ReadOnly);
            const QByteArray bytes = f.readAll();
            f.close();
            const QString copy = file + QStringLiteral(".ceiling");
            double total = 0, synced = 0, readMs = 0;
            regceil_write(QFile::encodeName(copy).constData(), bytes.constData(), size_t(bytes.size()), &total,
                          &synced);
            regceil_read(QFile::encodeName(copy).constData(), &readMs);
            ceilWrite.push_back(total - synced);
            ceilFsync.push_back(synced);
            ceilRead.push_back(readMs);
        }
    }
    row.write = Median(write);
    row.writeFsync = Median(writeFsync);
    row.writeChanged = Median(writeChanged);
    row.read = Median(read);
    row.readChanged = Median(readChanged);
    row.ceilWrite = Median(ceilWrite);
    row.ceilFsync = Median(ceilFsync);
    row.ceilRead = Median(ceilRead);
    return row;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes {1000, 10000, 100000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes.push_back(std::atoi(argv[i]));
    }
    const QString base = qEnvironmentVariable("VQ_BENCH_DIR", QStringLiteral("/tmp"));
    QTemporaryDir folder(base + QStringLiteral("/vqregbench-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(base));
        return 1;
    }
    std::printf("Settings store, median of %d, ms. \"changed\": another process wrote the file since (a parse).\n"
                "write and ceiling write without their fsync, which is given apart.\n\n",
                repeats);
    std::printf("| keys    | file     | write  | write, changed | fsync  | read   | read, changed "
                "| ceiling write | ceiling fsync | ceiling read |\n");
    std::printf("|---------|----------|--------|----------------|--------|--------|---------------"
                "|---------------|---------------|--------------|\n");
    for (const int keys : sizes) {
        const TRow r = Measure(folder.path(), keys);
        std::printf("| %7d | %5.1f MB | %6.2f | %14.2f | %6.2f | %6.3f | %13.2f | %13.2f | %13.2f | %12.2f |\n",
                    r.keys, r.bytes / 1e6, r.write, r.writeChanged, r.writeFsync, r.read, r.readChanged, r.ceilWrite,
                    r.ceilFsync, r.ceilRead);
        std::fflush(stdout);
    }
    return 0;
}
