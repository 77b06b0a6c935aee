#include "UApp.h"

#include "base/UAppException.h"
#include "base/UCommandLine.h"
#include "base/UErrorReport.h"
#include "base/UException.h"
#include "base/UExceptionStat.h"
#include "base/UFileLogAppender.h"
#include "base/ULog.h"
#include "base/UStdErrLogAppender.h"
#include "base/USystemUtil.h"
#include "app/UUpdateCheckRunner.h"

#include <QFileInfo>

namespace {
TApp* theApp = nullptr;
}

QString ProgramNameFromFile(const QString& programFile)
{
    QString name = QFileInfo(programFile).fileName();
    const qsizetype at = name.indexOf(QStringLiteral(".exe"), 0, Qt::CaseSensitive);
    if (at >= 0)
        name.remove(at, 4);
    return name;
}

TApp::TApp() = default;

TApp::~TApp()
{
    if (FExceptionLogAppender)
        StopLogging();
    TUpdateCheckRunner::AbortAll();
    UnregisterInstance();
}

void TApp::RegisterInstance()
{
    FName = ProgramNameFromFile(ParamStr(0));
    SetAppExceptionHandler([this](const std::exception& e) { AppException(e); });
    theApp = this;
}

void TApp::UnregisterInstance()
{
    if (theApp == this) {
        theApp = nullptr;
        SetAppExceptionHandler({});
    }
}

TApp* TApp::GetInstance()
{
    if (!theApp)
        throw Exception(QStringLiteral("TApp not create."));
    return theApp;
}

bool TApp::HasInstance()
{
    return theApp != nullptr;
}

bool TApp::IsGUIMode()
{
    return theApp && theApp->FGUIMode;
}

bool TApp::IsCommandLineMode() const
{
    return ParamCount() > 0;
}

void TApp::Run()
{
    TLog::GetLogger()->Debug(QStringLiteral("Start ") + FName);
    InitApp();
    if (IsCommandLineMode()) {
        try {
            RunCommandLine();
        } catch (const std::exception& e) {
            // Mostly a log file that cannot be written: say it where the
            // caller of the run sees it.
            const QString message = ExceptionMessage(e);
            TLog::GetLogger()->Debug(message);
            WriteStdErrLogLine(message);
            SetExitCode(1);
        }
        return;
    }
    NotifyUpdate();
    FGUIMode = true;
    StartLogging();
    try {
        RunGUI();
    } catch (...) {
        TUpdateCheckRunner::AbortAll();
        StopLogging();
        throw;
    }
    TUpdateCheckRunner::AbortAll();
    StopLogging();
}

void TApp::NotifyUpdate()
{
    TUpdateCheckRunner::NotifyUpdate();
}

QString TApp::GetSystemInfo() const
{
    return GetOSVersion() + QStringLiteral("\r\n") + QStringLiteral("System Language: ") + GetSystemLanguage()
           + QStringLiteral("\r\n") + QStringLiteral("System Decimal Separator: ") + GetDecimalSeparator();
}

void TApp::AppException(const std::exception& e)
{
    const QString message = ExceptionMessage(e);
    TLog::GetLogger()->Error(message);
    if (FGUIMode)
        ShowExceptionReport(message);
    TExceptionStat::Clear();
}

void TApp::StartLogging()
{
    FExceptionLogAppender = TFileLogAppender::ForFile(GetExceptionLogFile(FName));
    FExceptionLogAppender->SetErrorLevel();
    TLog::GetLogger()->AddAppender(FExceptionLogAppender.get());
    TExceptionStat::Start();
}

void TApp::StopLogging()
{
    if (FExceptionLogAppender) {
        TLog::GetLogger()->RemoveAppender(FExceptionLogAppender.get());
        FExceptionLogAppender.reset();
    }
    TExceptionStat::Stop();
}
