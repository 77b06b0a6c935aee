#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace vqtest {

// The one QApplication of a widget test executable, made on first use. Suites
// run under QT_QPA_PLATFORM=offscreen (set by ctest), so no display is needed.
QApplication& WidgetApp();

// A left click in the middle of widget, as mouse press and release events.
void Click(QWidget* widget);

// Hands every modal window that opens while it lives to onModal, which
// closes it.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> onModal) : FOnModal(std::move(onModal))
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || FHandling)
                return;
            FHandling = true;
            FOnModal(modal);
            FHandling = false;
        });
        FTimer.start(10);
    }

private:
    std::function<void(QWidget*)> FOnModal;
    QTimer FTimer;
    bool FHandling = false;
};

// Counts the events of one type that reach the objects it filters.
class EventTypeCounter : public QObject {
public:
    explicit EventTypeCounter(QEvent::Type type) : FType(type) {}
    int Count = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == FType)
            ++Count;
        return false;
    }

private:
    QEvent::Type FType;
};

// Fixture of widget tests: the application exists before the test body runs.
class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override { WidgetApp(); }
};

}  // namespace vqtest
