#include "UGUIProgressMonitor.h"

#include <QLabel>
#include <QProgressBar>

namespace {

void SetLabel(QLabel* label, const QString& text, bool withHint)
{
    label->setText(text);
    if (withHint)
        label->setToolTip(text);
}

}  // namespace

void TGUIProgressMonitor::Init(QProgressBar* bar, QLabel* messageLabel, QLabel* notifyLabel, QLabel* percentLabel)
{
    FBar = bar;
    FMessageLabel = messageLabel;
    FNotifyLabel = notifyLabel;
    FPercentLabel = percentLabel;
    QPalette palette = FNotifyLabel->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    FNotifyLabel->setPalette(palette);
    // A range of 0 to 0 would draw as a busy indicator; no text inside the bar.
    FBar->setRange(0, 1);
    FBar->setTextVisible(false);
    SetUnitWord(QStringLiteral("records"));
    Reset();
}

void TGUIProgressMonitor::SetTotal(int total)
{
    FUncounted = total == -1;
    // Qt shows a maximum of 0 as busy; an empty bar of one unit looks the same as none done.
    FBar->setMaximum(FUncounted || total <= 0 ? 1 : total);
    if (FUncounted || total <= 0)
        FBar->setValue(0);
    FTotal = total;
}

void TGUIProgressMonitor::SetBarPosition(int value)
{
    if (FUncounted)
        FBar->setMaximum(std::max(1, value + 1));
    const int maximum = FTotal > 0 || FUncounted ? FBar->maximum() : 0;
    SetBarValue(std::clamp(value, 0, maximum));
}

void TGUIProgressMonitor::SetBarValue(int value)
{
    // The bar draws itself at once on a visible change; held back, it is
    // drawn with the labels in one pass at the event pump's next tick.
    FBar->setUpdatesEnabled(false);
    FBar->setValue(value);
    FBar->setUpdatesEnabled(true);
}

void TGUIProgressMonitor::ShowPercent(int position)
{
    SetLabel(FPercentLabel, PercentText(position, FTotal), false);
}

void TGUIProgressMonitor::Progress(int position)
{
    SetStep(Step());
    if (position % Step() != 0)
        return;
    SetBarPosition(position);
    if (FTotal > 0)
        ShowPercent(position);
    const double elapsed = Now() - StartTick();
    SetMessage(ProgressText(position, FTotal, UnitWord(), elapsed));
}

void TGUIProgressMonitor::Finish(int position)
{
    SetBarPosition(position);
    if (FUncounted)
        FBar->setMaximum(std::max(1, position));
    if (FTotal > 0)
        ShowPercent(position);
}

void TGUIProgressMonitor::Reset()
{
    SetBarValue(0);
    SetLabel(FMessageLabel, QString(), true);
    SetLabel(FPercentLabel, QString(), false);
    SetLabel(FNotifyLabel, QString(), true);
}

void TGUIProgressMonitor::SetNotify(const QString& text)
{
    SetLabel(FNotifyLabel, text, true);
}

void TGUIProgressMonitor::SetMessage(const QString& text)
{
    SetLabel(FMessageLabel, text, true);
}
