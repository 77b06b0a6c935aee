#pragma once

#include <QApplication>
#include <gtest/gtest.h>

namespace vqtest {

// The one QApplication of a widget test executable, made on first use. Suites
// run under QT_QPA_PLATFORM=offscreen (set by ctest), so no display is needed.
QApplication& WidgetApp();

// A left click in the middle of widget, as mouse press and release events.
void Click(QWidget* widget);

// Fixture of widget tests: the application exists before the test body runs.
class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override { WidgetApp(); }
};

}  // namespace vqtest
