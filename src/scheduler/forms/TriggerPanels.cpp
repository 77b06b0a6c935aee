#include "TriggerPanels.h"

#include "UFormParts.h"

#include "base/UAppException.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>

using namespace formparts;

namespace {

const int DaysInWeek = 7;
const int DaysInMonth = 31;
const int MonthsInYear = 12;

QStringList WeekDayNames()
{
    return {QStringLiteral("Sunday"),   QStringLiteral("Monday"), QStringLiteral("Tuesday"),
            QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
            QStringLiteral("Saturday")};
}

QTimeEdit* TimePicker(const char* name, QWidget* parent)
{
    auto* picker = Named(new QTimeEdit(parent), name);
    picker->setDisplayFormat(QLocale().timeFormat(QLocale::ShortFormat));
    return picker;
}

QDateEdit* DatePicker(const char* name, QWidget* parent)
{
    auto* picker = Named(new QDateEdit(parent), name);
    picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    picker->setCalendarPopup(true);
    return picker;
}

// The panel's grid, headed by the line every panel starts with.
QGridLayout* PanelGrid(QWidget* panel)
{
    auto* grid = new QGridLayout(panel);
    auto* heading = new QLabel(QStringLiteral("Select the time and day you want this task to start."), panel);
    heading->setWordWrap(true);
    grid->addWidget(heading, 0, 0, 1, -1);
    return grid;
}

// A labelled picker in the next row of the grid.
template <class T>
T* PickerRow(QGridLayout* grid, const QString& caption, T* picker)
{
    const int row = grid->rowCount();
    grid->addWidget(BuddyLabel(caption, picker, picker->parentWidget()), row, 0);
    grid->addWidget(picker, row, 1, 1, 2);
    return picker;
}

int CheckedMask(const QList<QCheckBox*>& boxes)
{
    int mask = 0;
    for (const QCheckBox* box : boxes)
        mask |= box->isChecked() ? Tag(box) : 0;
    return mask;
}

void CheckByMask(const QList<QCheckBox*>& boxes, int mask)
{
    for (QCheckBox* box : boxes)
        box->setChecked((mask & Tag(box)) == Tag(box));
}

int LowestBit(quint32 mask)
{
    for (int bit = 0; bit < 32; ++bit) {
        if (mask & (1u << bit))
            return bit;
    }
    return 0;
}

}  // namespace

TTriggerPanels::TTriggerPanels(TMonthlyChoice choice, QWidget* parent) : QStackedWidget(parent)
{
    setObjectName(QStringLiteral("pnlDetails"));
    BuildOnce();
    BuildDaily();
    BuildWeekly();
    BuildMonthly(choice);
    FNone = new QWidget(this);
    addWidget(FNone);
}

QWidget* TTriggerPanels::NewPanel(const char* name)
{
    auto* panel = Named(new QWidget(this), name);
    addWidget(panel);
    return panel;
}

void TTriggerPanels::BuildOnce()
{
    pnlOneTimeOnly = NewPanel("pnlOneTimeOnly");
    QGridLayout* grid = PanelGrid(pnlOneTimeOnly);
    dtStartTimeOnce = PickerRow(grid, QStringLiteral("Start &time:"), TimePicker("dtStartTimeOnce", pnlOneTimeOnly));
    dtStartDateOnce = PickerRow(grid, QStringLiteral("Start &date:"), DatePicker("dtStartDateOnce", pnlOneTimeOnly));
    grid->setRowStretch(grid->rowCount(), 1);
    grid->setColumnStretch(3, 1);
}

void TTriggerPanels::BuildDaily()
{
    pnlDaily = NewPanel("pnlDaily");
    QGridLayout* grid = PanelGrid(pnlDaily);
    dtStartDateDaily = PickerRow(grid, QStringLiteral("Start &date:"), DatePicker("dtStartDateDaily", pnlDaily));
    dtStartTimeDaily = PickerRow(grid, QStringLiteral("Start &time:"), TimePicker("dtStartTimeDaily", pnlDaily));
    rbEveryDay = Named(new QRadioButton(QStringLiteral("Every d&ay"), pnlDaily), "rbEveryDay");
    rbEveryDay->setChecked(true);
    chkRepeatTask = Named(new QCheckBox(QStringLiteral("Repeat task every "), pnlDaily), "chkRepeatTask");
    edtIntervalMinutesOrHours = SpinBox("edtIntervalMinutesOrHours", 1, 60, 5, pnlDaily);
    edtIntervalMinutesOrHours->setAccessibleName(QStringLiteral("Repeat interval"));
    edtIntervalMinutesOrHours->setEnabled(false);
    cbbIntervalUnit = Named(new QComboBox(pnlDaily), "cbbIntervalUnit");
    cbbIntervalUnit->setAccessibleName(QStringLiteral("Repeat unit"));
    cbbIntervalUnit->addItems({QStringLiteral("minute(s)"), QStringLiteral("hour(s)")});
    rbEvery = Named(new QRadioButton(QStringLiteral("&Every"), pnlDaily), "rbEvery");
    edtIntervalDaily = SpinBox("edtIntervalDaily", 2, 7, 2, pnlDaily);
    edtIntervalDaily->setAccessibleName(QStringLiteral("Days interval"));
    edtIntervalDaily->setEnabled(false);
    lblIntervalDaily = Named(new QLabel(QStringLiteral("days"), pnlDaily), "lblIntervalDaily");
    lblIntervalDaily->setEnabled(false);
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(QStringLiteral("Perform this task:"), pnlDaily), row, 0, 1, -1);
    grid->addWidget(rbEveryDay, row + 1, 0, 1, -1);
    grid->addWidget(chkRepeatTask, row + 2, 0);
    grid->addWidget(edtIntervalMinutesOrHours, row + 2, 1);
    grid->addWidget(cbbIntervalUnit, row + 2, 2);
    grid->addWidget(rbEvery, row + 3, 0);
    grid->addWidget(edtIntervalDaily, row + 3, 1);
    grid->addWidget(lblIntervalDaily, row + 3, 2);
    grid->setRowStretch(row + 4, 1);
    grid->setColumnStretch(3, 1);
    connect(rbEvery, &QRadioButton::toggled, this, GuardedSlot([this] { EveryChoiceChanged(); }));
    connect(chkRepeatTask, &QCheckBox::toggled, this,
            GuardedSlot([this] { edtIntervalMinutesOrHours->setEnabled(chkRepeatTask->isChecked()); }));
}

void TTriggerPanels::BuildWeekly()
{
    pnlWeekly = NewPanel("pnlWeekly");
    QGridLayout* grid = PanelGrid(pnlWeekly);
    dtStartTimeWeekly = PickerRow(grid, QStringLiteral("Start &time:"), TimePicker("dtStartTimeWeekly", pnlWeekly));
    seWeekInterval = SpinBox("seWeekInterval", 1, 52, 1, pnlWeekly);
    seWeekInterval->setAccessibleName(QStringLiteral("Weeks interval"));
    const int row = grid->rowCount();
    grid->addWidget(BuddyLabel(QStringLiteral("Every"), seWeekInterval, pnlWeekly), row, 0);
    grid->addWidget(seWeekInterval, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("weeks"), pnlWeekly), row, 2);
    grid->addWidget(new QLabel(QStringLiteral("Select the week day below:"), pnlWeekly), row + 1, 0, 1, -1);
    const struct {
        const char* name;
        const char* caption;
        int tag;
    } week[] = {{"chkMonday", "&Monday", 2},     {"chkTuesday", "Tuesda&y", 4}, {"chkWednesday", "&Wednesday", 8},
                {"chkThursday", "T&hursday", 16}, {"chkFriday", "&Friday", 32},  {"chkSaturday", "&Saturday", 64},
                {"chkSunday", "S&unday", 1}};
    // Three a row: the longest names fit beside each other.
    auto* days = new QGridLayout;
    grid->addLayout(days, row + 2, 0, 1, -1);
    for (const auto& day : week) {
        auto* box = TaggedBox(QString::fromLatin1(day.name), QString::fromLatin1(day.caption), day.tag, pnlWeekly);
        days->addWidget(box, WeekDayBoxes.size() / 3, WeekDayBoxes.size() % 3);
        WeekDayBoxes << box;
        connect(box, &QCheckBox::toggled, this, &TTriggerPanels::Changed);
    }
    grid->setRowStretch(grid->rowCount(), 1);
}

void TTriggerPanels::BuildMonthly(TMonthlyChoice choice)
{
    pnlMonthly = NewPanel("pnlMonthly");
    QGridLayout* grid = PanelGrid(pnlMonthly);
    dtStartTimeMonthly =
        PickerRow(grid, QStringLiteral("Start &time:"), TimePicker("dtStartTimeMonthly", pnlMonthly));
    rbMonthlyDate = Named(new QRadioButton(QStringLiteral("&Day"), pnlMonthly), "rbMonthlyDate");
    rbMonthlyDate->setChecked(true);
    rbMonthlyDow = Named(new QRadioButton(QStringLiteral("T&he"), pnlMonthly), "rbMonthlyDow");
    cbWhichWeek = Named(new QComboBox(pnlMonthly), "cbWhichWeek");
    cbWhichWeek->setAccessibleName(QStringLiteral("Week of the month"));
    cbWhichWeek->addItems({QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third"),
                           QStringLiteral("Forth"), QStringLiteral("Last")});
    // A choice is always made, so that "The" never shifts by -1.
    cbWhichWeek->setCurrentIndex(0);
    QWidget* days = nullptr;
    QWidget* weekDays = nullptr;
    if (choice == TMonthlyChoice::Single) {
        days = seMonthDay = SpinBox("seMonthDay", 1, DaysInMonth, 1, pnlMonthly);
        seMonthDay->setAccessibleName(QStringLiteral("Day of the month"));
        weekDays = cbDaysOfTheWeek = Named(new QComboBox(pnlMonthly), "cbDaysOfTheWeek");
        cbDaysOfTheWeek->setAccessibleName(QStringLiteral("Day of the week"));
        cbDaysOfTheWeek->addItems(WeekDayNames());
        cbDaysOfTheWeek->setCurrentIndex(0);
    } else {
        QStringList numbers;
        for (int day = 1; day <= DaysInMonth; ++day)
            numbers << QString::number(day);
        days = seMonthDays = CheckList("seMonthDays", numbers, DaysInWeek, pnlMonthly);
        seMonthDays->setAccessibleName(QStringLiteral("Days of the month"));
        weekDays = cbDaysOfTheWeeks = CheckList("cbDaysOfTheWeeks", WeekDayNames(), 2, pnlMonthly);
        cbDaysOfTheWeeks->setAccessibleName(QStringLiteral("Days of the week"));
    }
    const int row = grid->rowCount();
    const bool single = choice == TMonthlyChoice::Single;
    grid->addWidget(rbMonthlyDate, row, 0);
    grid->addWidget(days, row, 1, 1, single ? 1 : -1);
    grid->addWidget(rbMonthlyDow, row + 1, 0);
    grid->addWidget(cbWhichWeek, row + 1, 1);
    grid->addWidget(weekDays, row + 1, 2, 1, -1);
    grid->addWidget(new QLabel(QStringLiteral("of the month(s):"), pnlMonthly), row + 2, 0, 1, -1);
    const char* const captions[] = {"&Jan", "&Feb", "&Mar", "&Apr", "Ma&y", "J&un",
                                    "Ju&l", "Au&g", "&Sep", "&Oct", "No&v", "D&ec"};
    auto* months = new QGridLayout;
    grid->addLayout(months, row + 3, 0, 1, -1);
    for (int month = 0; month < MonthsInYear; ++month) {
        const QString caption = QString::fromLatin1(captions[month]);
        auto* box = TaggedBox(QStringLiteral("chk") + QString(caption).remove(QLatin1Char('&')), caption, 1 << month,
                              pnlMonthly);
        months->addWidget(box, month / 4, month % 4);
        MonthBoxes << box;
        connect(box, &QCheckBox::toggled, this, &TTriggerPanels::Changed);
    }
    grid->setRowStretch(grid->rowCount(), 1);
    MonthlyChoiceChanged();
    for (QRadioButton* kind : {rbMonthlyDate, rbMonthlyDow}) {
        connect(kind, &QRadioButton::toggled, this, GuardedSlot([this] {
                    MonthlyChoiceChanged();
                    Q_EMIT Changed();
                }));
    }
}

void TTriggerPanels::EveryChoiceChanged()
{
    const bool everyDays = rbEvery->isChecked();
    edtIntervalDaily->setEnabled(everyDays);
    lblIntervalDaily->setEnabled(everyDays);
    chkRepeatTask->setEnabled(!everyDays);
    edtIntervalMinutesOrHours->setEnabled(!everyDays);
    cbbIntervalUnit->setEnabled(!everyDays);
}

void TTriggerPanels::MonthlyChoiceChanged()
{
    (seMonthDay ? static_cast<QWidget*>(seMonthDay) : seMonthDays)->setEnabled(rbMonthlyDate->isChecked());
    cbWhichWeek->setEnabled(rbMonthlyDow->isChecked());
    (cbDaysOfTheWeek ? static_cast<QWidget*>(cbDaysOfTheWeek) : cbDaysOfTheWeeks)
        ->setEnabled(rbMonthlyDow->isChecked());
}

TTriggerType TTriggerPanels::MonthlyKind() const
{
    return rbMonthlyDow->isChecked() ? ttMonthlyDow : ttMonthlyDate;
}

void TTriggerPanels::ShowKind(TTriggerType kind)
{
    switch (kind) {
    case ttOnce: setCurrentWidget(pnlOneTimeOnly); break;
    case ttDaily: setCurrentWidget(pnlDaily); break;
    case ttWeekly: setCurrentWidget(pnlWeekly); break;
    case ttMonthlyDate:
    case ttMonthlyDow: setCurrentWidget(pnlMonthly); break;
    default: setCurrentWidget(FNone); break;
    }
}

quint32 TTriggerPanels::MonthDays() const
{
    if (seMonthDay)
        return quint32(1) << (seMonthDay->value() - 1);
    quint32 days = 0;
    for (int n = 0; n < DaysInMonth; ++n)
        days |= IsChecked(seMonthDays, n) ? (1u << n) : 0u;
    return days;
}

void TTriggerPanels::SetMonthDays(quint32 days)
{
    if (seMonthDay) {
        seMonthDay->setValue(LowestBit(days) + 1);
        return;
    }
    for (int n = 0; n < DaysInMonth; ++n)
        SetChecked(seMonthDays, n, days & (1u << n));
}

int TTriggerPanels::MonthlyWeekDays() const
{
    if (cbDaysOfTheWeek)
        return 1 << cbDaysOfTheWeek->currentIndex();
    int days = 0;
    for (int n = 0; n < DaysInWeek; ++n)
        days |= IsChecked(cbDaysOfTheWeeks, n) ? (1 << n) : 0;
    return days;
}

void TTriggerPanels::SetMonthlyWeekDays(int days)
{
    if (cbDaysOfTheWeek) {
        cbDaysOfTheWeek->setCurrentIndex(LowestBit(quint32(days)));
        return;
    }
    for (int n = 0; n < DaysInWeek; ++n)
        SetChecked(cbDaysOfTheWeeks, n, days & (1 << n));
}

void TTriggerPanels::Show(const TTriggerFormValues& values)
{
    ShowKind(values.Kind);
    FLoadedWhichWeek = values.LoadedWhichWeek;
    switch (values.Kind) {
    case ttOnce:
        dtStartTimeOnce->setTime(values.StartTime);
        dtStartDateOnce->setDate(values.StartDate);
        break;
    case ttDaily:
        dtStartDateDaily->setDate(values.StartDate);
        dtStartTimeDaily->setTime(values.StartTime);
        chkRepeatTask->setChecked(false);
        (values.EveryDay ? rbEveryDay : rbEvery)->setChecked(true);
        EveryChoiceChanged();
        if (!values.EveryDay) {
            ShowValue(edtIntervalDaily, values.DaysInterval);
        } else if (values.Repeat) {
            chkRepeatTask->setChecked(true);
            cbbIntervalUnit->setCurrentIndex(values.RepeatEvery.Hours ? 1 : 0);
            ShowValue(edtIntervalMinutesOrHours, values.RepeatEvery.Value);
        }
        break;
    case ttWeekly:
        dtStartTimeWeekly->setTime(values.StartTime);
        CheckByMask(WeekDayBoxes, values.WeekDays);
        ShowValue(seWeekInterval, values.WeeksInterval);
        break;
    case ttMonthlyDate:
    case ttMonthlyDow: {
        const bool byDate = values.Kind == ttMonthlyDate;
        rbMonthlyDate->setChecked(byDate);
        rbMonthlyDate->setEnabled(byDate);
        rbMonthlyDow->setChecked(!byDate);
        rbMonthlyDow->setEnabled(!byDate);
        MonthlyChoiceChanged();
        CheckByMask(MonthBoxes, values.Months);
        if (byDate) {
            SetMonthDays(values.MonthDays);
        } else {
            cbWhichWeek->setCurrentIndex(values.WhichWeek);
            SetMonthlyWeekDays(values.WeekDays);
        }
        dtStartTimeMonthly->setTime(values.StartTime);
        break;
    }
    default:
        break;
    }
}

TTriggerFormValues TTriggerPanels::Values(TTriggerType kind) const
{
    TTriggerFormValues values;
    values.Kind = kind;
    switch (kind) {
    case ttOnce:
        values.StartTime = dtStartTimeOnce->time();
        values.StartDate = dtStartDateOnce->date();
        break;
    case ttDaily:
        values.StartTime = dtStartTimeDaily->time();
        values.StartDate = dtStartDateDaily->date();
        values.EveryDay = rbEveryDay->isChecked();
        values.Repeat = chkRepeatTask->isChecked();
        values.RepeatEvery = {edtIntervalMinutesOrHours->value(), cbbIntervalUnit->currentIndex() == 1};
        values.DaysInterval = edtIntervalDaily->value();
        break;
    case ttWeekly:
        values.StartTime = dtStartTimeWeekly->time();
        values.WeeksInterval = seWeekInterval->value();
        values.WeekDays = CheckedMask(WeekDayBoxes);
        break;
    case ttMonthlyDate:
    case ttMonthlyDow:
        values.StartTime = dtStartTimeMonthly->time();
        values.Months = CheckedMask(MonthBoxes);
        values.MonthDays = MonthDays();
        values.WhichWeek = cbWhichWeek->currentIndex();
        values.WeekDays = MonthlyWeekDays();
        values.LoadedWhichWeek = FLoadedWhichWeek;
        break;
    default:
        break;
    }
    return values;
}
