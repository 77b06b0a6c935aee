#include "UCmdLineProcessor.h"

#include "base/UCommandLine.h"
#include "base/UException.h"
#include "base/UFileLogAppender.h"
#include "base/ULog.h"
#include "base/ULogUtil.h"
#include "base/UStdErrLogAppender.h"
#include "base/UStringUtil.h"
#include "settings/USettingsStartCheck.h"

TCmdLineProcessor::TCmdLineProcessor() = default;

TCmdLineProcessor::~TCmdLineProcessor()
{
    if (FLogger && FLogAppender)
        FLogger->RemoveAppender(FLogAppender.get());
}

QString TCmdLineProcessor::ParamName(const QString& argument)
{
    const qsizetype at = argument.indexOf(QLatin1Char('='));
    return at < 0 ? QString() : argument.left(at);
}

QString TCmdLineProcessor::ParamValue(const QString& name) const
{
    for (const QString& argument : FParams) {
        const QString argumentName = ParamName(argument);
        if (!argumentName.isEmpty() && argumentName.compare(name, Qt::CaseInsensitive) == 0)
            return TrimText(argument.mid(argumentName.size() + 1));
    }
    return QString();
}

bool TCmdLineProcessor::Run()
{
    QStringList arguments;
    for (int i = 1; i <= ParamCount(); ++i)
        arguments << ParamStr(i);
    return Run(arguments);
}

bool TCmdLineProcessor::Run(const QStringList& arguments)
{
    if (!ProcessParams(arguments)) {
        Fail();
        return false;
    }
    bool result = false;
    try {
        TSettingsStartCheck::TellInLog(*FLogger);
        result = Process();
    } catch (const std::exception& e) {
        FLogger->Error(EscapeLogText(ExceptionMessage(e)));
        result = false;
    }
    if (!result)
        Fail();
    return result;
}

bool TCmdLineProcessor::ProcessParams(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return false;
    FParams += arguments;
    FLogFile = ParamValue(QStringLiteral("logfile"));
    // Without a log file the run still reports, on standard error.
    if (FLogFile.isEmpty())
        FLogAppender = std::make_unique<TStdErrLogAppender>();
    else
        FLogAppender = TFileLogAppender::ForFile(FLogFile);
    FLogAppender->SetInfoLevel();
    FLogger = TLog::GetLoggerByName(QStringLiteral("cmdline"));
    FLogger->AddAppender(FLogAppender.get());
    return true;
}
