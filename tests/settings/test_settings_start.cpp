// A settings store found damaged at start: told in a message box in window
// mode and as an error line on the command line, once.
#include "base/ULogger.h"
#include "platform/registry/URegistry.h"
#include "settings/USettingsStartCheck.h"
#include "support/VqFakePrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Recorder : public TLogAppender {
public:
    void Append(const QString& text) override { lines << text; }
    QStringList lines;
};

class SettingsStartCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry::OpenAtStart(file);   // what earlier tests of this process set aside
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"format\": \"Corvanta registry\", \"version\": 1, \"root\": {\"keys\": [{\"name\": \"Soft");
    }

    // The notice, with the name the damaged file was kept as.
    QString Notice() const
    {
        const QString folder = QFileInfo(file).path();
        const QStringList aside = QDir(folder).entryList({QStringLiteral("registry.damaged-*")});
        return aside.size() != 1 ? QStringLiteral("<%1 files kept aside>").arg(aside.size())
                                 : QStringLiteral("The settings file %1 was damaged. It was kept as %2 and the "
                                                  "settings start empty.")
                                       .arg(file, folder + QLatin1Char('/') + aside.at(0));
    }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Corvanta/registry"));
};

}  // namespace

TEST_F(SettingsStartCheck, TheWindowShowsOneErrorBox)
{
    vqtest::FakePrompter prompter;
    TSettingsStartCheck::TellInWindow(prompter, file);
    TSettingsStartCheck::TellInWindow(prompter, file);
    ASSERT_EQ(prompter.Prompts.size(), 1);
    EXPECT_EQ(prompter.Prompts.at(0).kind, TPromptKind::Error);
    EXPECT_EQ(prompter.Prompts.at(0).text, Notice());
}

TEST_F(SettingsStartCheck, TheCommandLineWritesOneErrorLine)
{
    TLogger logger;
    Recorder recorder;
    logger.AddAppender(&recorder);
    TSettingsStartCheck::TellInLog(logger, file);
    TSettingsStartCheck::TellInLog(logger, file);
    logger.RemoveAppender(&recorder);
    EXPECT_EQ(recorder.lines, QStringList {QStringLiteral("[error]\t") + Notice()});
}
