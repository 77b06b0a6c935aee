// Window mode is a module beside the program: a command-line run never maps
// a window library (nor the SSH and HTTP libraries unless it uses them),
// window mode loads the module whole, and a missing or broken module is said
// plainly.
#include "CmdLineTestRun.h"
#include "settings/UAppSettings.h"
#include "settings/URegUtil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

namespace {

using cmdtest::S;

const char* const WindowModule = "vantorquill-window.so";

// The libraries that the dynamic linker loaded, by file name, from the
// LD_DEBUG=files report of a run.
QStringList LoadedLibraries(const QByteArray& report)
{
    static const QRegularExpression loaded(S("file=(\\S+)\\s+\\[\\d+\\];\\s+(needed by|dynamically loaded by)"));
    QStringList libraries;
    for (auto it = loaded.globalMatch(QString::fromLocal8Bit(report)); it.hasNext();)
        libraries << QFileInfo(it.next().captured(1)).fileName();
    libraries.removeDuplicates();
    return libraries;
}

QStringList WindowLibraries(const QStringList& libraries)
{
    static const QRegularExpression window(
        S("^(libQt6(Gui|Widgets|Pdf|PdfWidgets|OpenGL|XcbQpa)|libqscintilla|libX11|libxcb|libEGL|libGLX|libGL\\.|"
          "libOpenGL|libxkbcommon|vantorquill-window)"));
    return libraries.filter(window);
}

// The libraries opened only when a run uses SSH or HTTP, and what they bring.
QStringList NetworkLibraries(const QStringList& libraries)
{
    static const QRegularExpression network(S("^(libssh2?\\.|libcurl)"));
    return libraries.filter(network);
}

class WindowModuleTest : public cmdtest::CmdLineTest {
protected:
    void SetUp() override
    {
        CmdLineTest::SetUp();
        // No update check leaves the machine from a window-mode start.
        RegWriteString(QLatin1String(TAppSettings::RegistryKey), S("NotNotifyUpdate"), S("-1"));
    }

    // A copy of the program in a folder of its own: the module beside it is
    // what the test puts there.
    QString ProgramCopy()
    {
        const QString copy = Path(S("bin/Vantorquill"));
        QDir().mkpath(QFileInfo(copy).path());
        EXPECT_TRUE(QFile::copy(vqtest::ProgramPath(), copy));
        return copy;
    }

    QProcessEnvironment WindowEnvironment() const
    {
        QProcessEnvironment env = vqtest::HeadlessEnvironment();
        env.insert(S("QT_QPA_PLATFORM"), S("offscreen"));
        return env;
    }
};

}  // namespace

TEST_F(WindowModuleTest, ATaskRunMapsNoWindowLibrary)
{
    Exec(S("CREATE TABLE files (name VARCHAR(100) PRIMARY KEY, body LONGBLOB)"));
    WriteFile(S("in/a.bin"), QByteArray("\x00\x01\xff", 3));
    const QString task = ImportIntoFilesTask(S("import.ilt"));
    Env.insert(S("LD_DEBUG"), S("files"));
    const auto run = Run(LogonArgs() << S("task=") + task << LogArg());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Rows(S("SELECT name, HEX(body) FROM files")), QStringList{S("a.bin|0001FF")});

    const QStringList libraries = LoadedLibraries(run.err);
    ASSERT_TRUE(libraries.contains(S("libQt6Core.so.6"))) << run.err.toStdString();
    EXPECT_TRUE(WindowLibraries(libraries).isEmpty()) << WindowLibraries(libraries).join(S(", ")).toStdString();
    EXPECT_TRUE(NetworkLibraries(libraries).isEmpty()) << NetworkLibraries(libraries).join(S(", ")).toStdString();
}

TEST_F(WindowModuleTest, WindowModeLoadsTheModuleWhole)
{
    QProcess program;
    program.setProcessEnvironment(WindowEnvironment());
    program.start(vqtest::ProgramPath(), {});
    ASSERT_TRUE(program.waitForStarted());
    // The module is loaded with every symbol resolved before the window
    // system starts; the platform plugin in the map means both went well.
    const QString maps = S("/proc/%1/maps").arg(program.processId());
    QByteArray mapped;
    QElapsedTimer timer;
    timer.start();
    while (program.state() == QProcess::Running && timer.elapsed() < 60000) {
        QFile file(maps);
        if (file.open(QIODevice::ReadOnly))
            mapped = file.readAll();
        if (mapped.contains("libqoffscreen"))
            break;
        QThread::msleep(50);
    }
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished();
    ASSERT_TRUE(running) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(mapped.contains(WindowModule));
    EXPECT_TRUE(mapped.contains("libQt6Widgets"));
}

TEST_F(WindowModuleTest, AMissingOrBrokenModuleEndsWindowModeWithOne)
{
    struct Case {
        const char* name;
        QByteArray module;   // null: no module
        const char* says;
    };
    const Case cases[] = {
        {"missing", QByteArray(), "is missing"},
        {"broken", QByteArray("not a library"), "Window mode cannot start"},
    };
    const QString program = ProgramCopy();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString module = QFileInfo(program).path() + QLatin1Char('/') + QLatin1String(WindowModule);
        QFile::remove(module);
        if (!c.module.isNull())
            WriteFile(S("bin/") + QLatin1String(WindowModule), c.module);
        const auto run = vqtest::RunProcess(program, {}, WindowEnvironment());
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(WindowModule)) << run.err.toStdString();
    }
}
