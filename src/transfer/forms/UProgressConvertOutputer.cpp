#include "UProgressConvertOutputer.h"

#include "app/UDataApp.h"
#include "base/UTimeUtil.h"
#include "transfer/UConvertStatus.h"

#include <QPlainTextEdit>

void TProgressConvertOutputer::Init(QProgressBar* bar, QLabel* messageLabel, QLabel* notifyLabel,
                                    QLabel* percentLabel, QPlainTextEdit* memo)
{
    FMonitor.Init(bar, messageLabel, notifyLabel, percentLabel);
    FMemo = memo;
}

void TProgressConvertOutputer::Clear()
{
    if (FMemo)
        FMemo->clear();
    FMonitor.Reset();
}

void TProgressConvertOutputer::Output(const QString& text)
{
    // An error's item and message are two lines of the memo, not three.
    if (FMemo)
        FMemo->appendPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    TConvertOutputer::Output(text);
}

void TProgressConvertOutputer::SetStepFor(int total)
{
    FMonitor.SetStep(TProgressMonitor::StepFor(total, TDataApp::ProgressStepCap()));
}

void TProgressConvertOutputer::HandleStart(TConvertStatus& status)
{
    FMonitor.SetStartTick(FMonitor.Now());
    FMonitor.SetTotal(status.Total);
    SetStepFor(status.Total);
    FMonitor.Progress(0);
}

void TProgressConvertOutputer::HandleProgress(TConvertStatus& status)
{
    FMonitor.Progress(status.Succeeded);
}

void TProgressConvertOutputer::HandleMessage(TConvertStatus&) {}

void TProgressConvertOutputer::HandleError(TConvertStatus& status)
{
    Output(status.LastError);
}

void TProgressConvertOutputer::HandleEnd(TConvertStatus& status)
{
    FMonitor.SetTotal(status.Total);
    FMonitor.Finish(status.Succeeded);
    const QString summary = SummaryText(status.Succeeded, status.Errors, status.GetElapsed(), FMonitor.UnitWord());
    FMonitor.SetMessage(summary);
    Output(summary);
    const QString notice = NoticeText(status.LastError, status.Message);
    if (!notice.isEmpty())
        FMonitor.SetNotify(notice);
}

QString TProgressConvertOutputer::SummaryText(int succeeded, int errors, double elapsed, const QString& unitWord)
{
    QString summary = QString::number(succeeded) + QLatin1Char(' ') + unitWord + QStringLiteral(",    Elapsed: ")
        + FormatMilliseconds(elapsed, true) + QStringLiteral(".    ");
    if (errors > 0)
        summary += QString::number(errors) + QStringLiteral(" rows can not convert.");
    return summary;
}

QString TProgressConvertOutputer::NoticeText(const QString& lastError, const QString& message)
{
    QString notice = lastError.isEmpty() ? QString() : QStringLiteral("Error, please see log.    ");
    return notice + message;
}
