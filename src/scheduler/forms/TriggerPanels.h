#pragma once

#include "scheduler/UTriggerFormValues.h"

#include <QList>
#include <QStackedWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

// The four trigger panels (once, daily, weekly, monthly by day or by week
// day), one shown at a time, and their values in and out.
class TTriggerPanels : public QStackedWidget {
    Q_OBJECT
public:
    // One day of the month and one week day, or check lists of both.
    enum class TMonthlyChoice { Single, Many };

    explicit TTriggerPanels(TMonthlyChoice choice, QWidget* parent = nullptr);

    // Brings the kind's panel to the front; kinds without one show none.
    void ShowKind(TTriggerType kind);
    // Shows a trigger read from a task in its panel; its monthly kind cannot
    // be switched.
    void Show(const TTriggerFormValues& values);
    // What the panel of the kind holds.
    TTriggerFormValues Values(TTriggerType kind) const;
    // The monthly kind that the radio buttons choose.
    TTriggerType MonthlyKind() const;

    QWidget* pnlOneTimeOnly;
    QTimeEdit* dtStartTimeOnce;
    QDateEdit* dtStartDateOnce;
    QWidget* pnlDaily;
    QDateEdit* dtStartDateDaily;
    QTimeEdit* dtStartTimeDaily;
    QRadioButton* rbEveryDay;
    QCheckBox* chkRepeatTask;
    QSpinBox* edtIntervalMinutesOrHours;
    QComboBox* cbbIntervalUnit;
    QRadioButton* rbEvery;
    QSpinBox* edtIntervalDaily;
    QLabel* lblIntervalDaily;
    QWidget* pnlWeekly;
    QTimeEdit* dtStartTimeWeekly;
    QSpinBox* seWeekInterval;
    QList<QCheckBox*> WeekDayBoxes;   // Monday to Sunday
    QWidget* pnlMonthly;
    QTimeEdit* dtStartTimeMonthly;
    QRadioButton* rbMonthlyDate;
    QRadioButton* rbMonthlyDow;
    QComboBox* cbWhichWeek;
    // Single: seMonthDay and cbDaysOfTheWeek; Many: seMonthDays and
    // cbDaysOfTheWeeks. The others are null.
    QSpinBox* seMonthDay = nullptr;
    QComboBox* cbDaysOfTheWeek = nullptr;
    QListWidget* seMonthDays = nullptr;
    QListWidget* cbDaysOfTheWeeks = nullptr;
    QList<QCheckBox*> MonthBoxes;     // January to December

Q_SIGNALS:
    // A week day, a month or the monthly kind was chosen.
    void Changed();

private:
    QWidget* NewPanel(const char* name);
    void BuildOnce();
    void BuildDaily();
    void BuildWeekly();
    void BuildMonthly(TMonthlyChoice choice);
    void EveryChoiceChanged();
    void MonthlyChoiceChanged();
    quint32 MonthDays() const;
    void SetMonthDays(quint32 days);
    int MonthlyWeekDays() const;
    void SetMonthlyWeekDays(int days);

    QWidget* FNone;
    std::optional<int> FLoadedWhichWeek;
};
