#include "ULobCmdLineProcessor.h"

#include "ULobFileWriter.h"
#include "UOutputer.h"
#include "USessionExecutor.h"
#include "USessionObjectFactory.h"
#include "UTaskSession.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/ULogUtil.h"
#include "base/ULogger.h"
#include "base/UStopRequest.h"
#include "db/UDBLogon.h"
#include "db/UDBObjectFactory.h"
#include "db/UUniSqlExecutor.h"
#include "platform/dac/UUniConnection.h"
#include "platform/ini/UMyIniFile.h"

#include <QFile>
#include <QFileInfo>

TLobCmdLineProcessor::TLobCmdLineProcessor() = default;

TLobCmdLineProcessor::~TLobCmdLineProcessor() = default;

bool TLobCmdLineProcessor::Process()
{
    // SIGINT and SIGTERM stop the run after its current item, with the
    // summary written and no half-written file; a second one ends at once.
    InstallStopSignals();
    TLobFileWriter::SetInterruptCheck(&StopRequested);
    FTaskFile = ParamValue(QStringLiteral("task"));
    if (!TaskFileReadable())
        return false;
    if (!TaskFileRunnable())
        return false;
    const bool ok = Logon();
    if (ok) {
        // A server that froze in the middle of an item is cut off 10 s after
        // a stop signal, so that the run still ends.
        if (TUniConnection* connection = FDBObjectFactory->GetConnection())
            connection->SetStopWatched(true);
        if (!FTaskFile.isEmpty()) {
            ExecuteTask();
        } else {
            FSqlFile = ParamValue(QStringLiteral("sql"));
            if (!FSqlFile.isEmpty())
                ExecuteSqlFile();
        }
    }
    if (StopRequested())
        Fail();
    return ok;
}

bool TLobCmdLineProcessor::TaskFileReadable() const
{
    // A file that is there but cannot be read would otherwise show as a
    // logon or table error.
    if (FTaskFile.isEmpty() || !QFileInfo(FTaskFile).isFile())
        return true;
    QFile file(FTaskFile);
    if (file.open(QIODevice::ReadOnly))
        return true;
    Logger().Error(QStringLiteral("Can not read task file ") + EscapeLogText(FTaskFile) + QStringLiteral(": ")
                   + file.errorString());
    return false;
}

bool TLobCmdLineProcessor::TaskFileRunnable()
{
    // Before the logon: a file without its section would otherwise show as a
    // logon error or as a table named ''.
    if (FTaskFile.isEmpty() || !QFileInfo(FTaskFile).isFile())
        return true;
    TSessionObjectFactory* factory = SessionObjectFactory();
    if (!factory || !factory->IsTaskFile(FTaskFile))
        return true;
    FSession = factory->CreateSession(FTaskFile);
    if (!FSession)
        return true;
    QString problem;
    if (!TaskFileHasSection(FSession->Kind()))
        problem = QStringLiteral("The task file has no [%1] section.").arg(FSession->Kind());
    else if (FSession->TableMissing())
        problem = QStringLiteral("The task file names no table.");
    if (problem.isEmpty())
        return true;
    Logger().Error(problem);
    return false;
}

bool TLobCmdLineProcessor::HasLogonParams() const
{
    for (const QString& argument : Params()) {
        const QString name = ParamName(argument).toLower();
        if (name.contains(QLatin1String("database")) || name.contains(QLatin1String("server")))
            return true;
    }
    return false;
}

bool TLobCmdLineProcessor::Logon()
{
    if (!FDBObjectFactory)
        return false;
    try {
        return DoLogon();
    } catch (const std::exception& e) {
        Logger().Error(QStringLiteral("Exception on logon."));
        Logger().Error(EscapeLogText(ExceptionMessage(e)));
        return false;
    }
}

bool TLobCmdLineProcessor::DoLogon()
{
    TDBLogon* logon = FDBObjectFactory->GetLogon();
    if (HasLogonParams())
        return logon->LogonFromParams(Params());
    if (TaskFileHasSection(QStringLiteral("SourceDB")))
        return logon->LogonFromIni(FTaskFile, QStringLiteral("SourceDB"));
    Logger().Error(QStringLiteral("Can not logon Source DB, no cmd params, no ini values."));
    return false;
}

bool TLobCmdLineProcessor::TaskFileHasSection(const QString& section) const
{
    if (FTaskFile.isEmpty())
        return false;
    const QStringList sections = TMyIniFile(FTaskFile).ReadSections();
    return sections.contains(section, Qt::CaseInsensitive);
}

void TLobCmdLineProcessor::ExecuteTask()
{
    if (!QFileInfo(FTaskFile).isFile()) {
        Logger().Error(QStringLiteral("task file: ") + EscapeLogText(FTaskFile) + QStringLiteral(" not exists."));
        Fail();
        return;
    }
    Logger().Info(EscapeLogText(FTaskFile));
    TSessionObjectFactory* factory = SessionObjectFactory();
    if (!factory)
        throw Exception(QStringLiteral("No task object factory is set."));
    if (!factory->IsTaskFile(FTaskFile)) {
        Logger().Error(QStringLiteral("invalid task file."));
        Fail();
        return;
    }

    // Freed in reverse: executor, outputer, task.
    const std::unique_ptr<TTaskSession> session = FSession ? std::move(FSession) : factory->CreateSession(FTaskFile);
    const std::unique_ptr<TOutputer> outputer = factory->CreateOutputer(FTaskFile, LogFile());
    const std::unique_ptr<TSessionExecutor> executor = factory->CreateExecutor(FTaskFile);
    executor->SetSession(session.get());
    executor->SetOutputer(outputer.get());
    try {
        if (!executor->Execute())
            Fail();
        else if (executor->ItemErrors() > 0)
            ItemsFailed();
        if (StopRequested())
            Logger().Error(QStringLiteral("The run was stopped by a signal."));
    } catch (const std::exception& e) {
        Logger().Error(QStringLiteral("Exception on Execute Task."));
        Logger().Error(EscapeLogText(ExceptionMessage(e)));
        Fail();
    }
}

void TLobCmdLineProcessor::ExecuteSqlFile()
{
    if (!FDBObjectFactory) {
        Logger().Error(QStringLiteral("can not execute sql file, check your parameter sql."));
        Fail();
        return;
    }
    Logger().Info(QStringLiteral("start execute sql."));
    TUniSqlExecutor executor;
    try {
        executor.SetConnection(FDBObjectFactory->GetConnection());
        // A byte-order mark decides the encoding, else UTF-8 when valid, else
        // Windows-1252. The statements go to the server as written, line ends
        // included; the log shows the script's lines as every log does.
        const TTextAsWritten script = ReadTextAsWritten(FSqlFile);
        if (script.Windows1252Line > 0)
            Logger().Warn(QStringLiteral("The script is not valid UTF-8 (line %1); it was read as Windows-1252.")
                              .arg(script.Windows1252Line));
        Logger().Info(WithCrLfLines(script.Text));
        if (!executor.ExecuteSql(script.Text))
            Fail();
    } catch (const std::exception& e) {
        Logger().Error(QStringLiteral("Exception on execute sql: ") + ExceptionMessage(e));
        Fail();
    }
    Logger().Info(QStringLiteral("end execute sql."));
}
