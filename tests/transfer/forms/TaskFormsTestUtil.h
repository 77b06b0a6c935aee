#pragma once

// Shared by the task-saving and batch-file dialog tests: the windows
// registered by name as in window mode, the fake prompter and shell opener,
// a temporary folder, and a way to act inside a modal dialog.

#include "support/VqFakePrompter.h"
#include "support/VqFakeShellOpener.h"
#include "support/VqWidgetTestSupport.h"
#include "transfer/forms/UBrowseFileEdit.h"
#include "transfer/forms/UTaskSavingForms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace taskforms {

inline QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// Runs act on the next modal dialog of class T once it is shown (the caller
// then starts the code that opens it).
template <class T>
void WhenModal(std::function<void(T*)> act)
{
    auto* timer = new QTimer();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}

template <class T = QWidget>
T* Child(QWidget* form, const char* name)
{
    T* child = form->findChild<T*>(S(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

inline void Click(QWidget* form, const char* name)
{
    if (auto* button = Child<QAbstractButton>(form, name))
        QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces the text of a file-name edit as a user types it.
inline void Type(QWidget* form, const char* name, const QString& text)
{
    if (auto* edit = Child<TBrowseFileEdit>(form, name)) {
        edit->Edit()->clear();
        QTest::keyClicks(edit->Edit(), text);
    }
}

inline QString FileText(QWidget* form, const char* name)
{
    auto* edit = Child<TBrowseFileEdit>(form, name);
    return edit ? edit->FileName() : QString();
}

inline QString LabelText(QWidget* form, const char* name)
{
    auto* label = Child<QLabel>(form, name);
    return label ? label->text() : QString();
}

inline QByteArray ReadBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class TaskFormsTest : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(Dir.isValid());
        RegisterTaskSavingForms();
    }
    void TearDown() override { UnregisterTaskSavingForms(); }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    vqtest::FakePrompter Prompter;
    vqtest::FakeShellOpener Opener;
    QTemporaryDir Dir;
};

}  // namespace taskforms
