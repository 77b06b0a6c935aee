// The new-task wizard's page order and its details rule, without a window.
#include "scheduler/UTaskWizardRules.h"

#include <gtest/gtest.h>

using namespace taskwizard;

TEST(WizardPages, NextAndBackByKindAndSystem)
{
    const struct {
        TWizardPage page;
        TTriggerType kind;
        bool ntFamily;
        TWizardPage next, back;
        bool discards;
    } cases[] = {
        {wpCustomData, ttDaily, true, wpTaskName, wpCustomData, false},
        {wpTaskName, ttDaily, true, wpTriggerDetails, wpCustomData, false},
        {wpTaskName, ttAtLogon, true, wpAccountInfo, wpCustomData, false},
        // Event kinds skip the details page, and without accounts the account page.
        {wpTaskName, ttOnLock, true, wpAccountInfo, wpCustomData, false},
        {wpTaskName, ttOnIdle, false, wpFinished, wpCustomData, false},
        {wpTriggerDetails, ttWeekly, true, wpAccountInfo, wpTaskName, true},
        {wpTriggerDetails, ttWeekly, false, wpFinished, wpTaskName, true},
        {wpAccountInfo, ttMonthlyDow, true, wpFinished, wpTriggerDetails, false},
        {wpAccountInfo, ttOnUnlock, true, wpFinished, wpTaskName, true},
        {wpFinished, ttOnce, true, wpFinished, wpAccountInfo, false},
        {wpFinished, ttOnce, false, wpFinished, wpTriggerDetails, false},
        {wpFinished, ttOnConnect, false, wpFinished, wpTaskName, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.page << ", kind " << c.kind << ", NT " << c.ntFamily);
        EXPECT_EQ(NextPage(c.page, c.kind, c.ntFamily), c.next);
        EXPECT_EQ(PreviousPage(c.page, c.kind, c.ntFamily), c.back);
        EXPECT_EQ(BackDiscardsTask(c.page, c.kind), c.discards);
    }
}

TEST(WizardPages, DetailsNeedAWeekDayOrAMonth)
{
    const struct {
        TTriggerType kind;
        int weekDays, months;
        bool complete;
    } cases[] = {{ttWeekly, 0, 4095, false}, {ttWeekly, 64, 0, true},     {ttMonthlyDate, 127, 0, false},
                 {ttMonthlyDow, 0, 1, true}, {ttMonthlyDate, 0, 2048, true}, {ttDaily, 0, 0, true},
                 {ttOnce, 0, 0, true}};
    for (const auto& c : cases) {
        TTriggerFormValues values;
        values.Kind = c.kind;
        values.WeekDays = c.weekDays;
        values.Months = c.months;
        EXPECT_EQ(DetailsComplete(values), c.complete) << c.kind << " " << c.weekDays << " " << c.months;
    }
}
