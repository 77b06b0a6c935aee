#pragma once

// Shared by the import, export and merge dialog tests: a database of the
// test's own on the test MariaDB, the fake prompter, the widget application
// and the services the dialogs take from the application object.

#include "support/VqFakePrompter.h"
#include "TaskFormsTestUtil.h"
#include "support/VqWidgetTestSupport.h"
#include "transfer/LobExportTestDb.h"
#include "transfer/UIterativeConverter.h"
#include "transfer/ULobObjectFactory.h"
#include "transfer/forms/UConverterEventPump.h"
#include "transfer/forms/ULobTransferForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <functional>

namespace transferforms {

using exporttest::S;
using taskforms::Child;
using taskforms::Click;

class TransferFormTest : public exporttest::LobDbTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        LobDbTest::SetUp();
        if (HasFatalFailure())
            return;
        // Window mode lets events through while a transfer runs.
        TConverterEventPump::Install();
    }

    void TearDown() override
    {
        TConverterEventPump::Remove();
        LobDbTest::TearDown();
    }

    TTransferServices Services() { return {Factory.get(), &LobFactory, nullptr}; }

    static QStringList Items(QWidget* form, const char* name)
    {
        QStringList items;
        if (auto* combo = Child<QComboBox>(form, name)) {
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
        }
        return items;
    }

    static QString Text(QWidget* form, const char* name)
    {
        if (auto* combo = qobject_cast<QComboBox*>(form->findChild<QWidget*>(S(name))))
            return combo->currentText();
        auto* label = Child<QLabel>(form, name);
        return label ? label->text() : QString();
    }

    // Runs act once inside the next run, when the progress message shows a
    // position above 0: the timer fires from the run's event processing.
    static void DuringRun(QWidget* form, std::function<void()> act)
    {
        auto* timer = new QTimer(form);
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, [form, timer, act] {
            auto* message = form->findChild<QLabel*>(S("lblMessage"));
            if (!message || message->text().isEmpty() || message->text().startsWith(S("0 ")))
                return;
            timer->stop();
            act();
        });
        timer->start();
    }

    vqtest::FakePrompter Prompter;
    TLobObjectFactory LobFactory;
};

}  // namespace transferforms
