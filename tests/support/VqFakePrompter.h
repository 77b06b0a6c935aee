#pragma once

// A scripted prompter for tests: installs itself for its lifetime, records
// every prompt and answers from queues, so that no dialog ever blocks. Widget
// free: any test executable that links vq_base may use it.

#include "base/UPrompter.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <optional>

namespace vqtest {

struct RecordedPrompt {
    enum Type { Message, Input, OpenFile, OpenFiles, SaveFile, Folder };
    Type type = Message;
    QString text;            // message text, input label, or dialog title
    QString title;
    TPromptKind kind = TPromptKind::Information;
    TPromptButtons buttons = 0;
    TFileDialogOptions options;   // file dialogs; InitialDir also for folders
};

class FakePrompter : public TPrompter {
public:
    FakePrompter() : FPrevious(TPrompter::Installed()) { TPrompter::SetInstance(this); }
    ~FakePrompter() override { TPrompter::SetInstance(FPrevious); }
    FakePrompter(const FakePrompter&) = delete;
    FakePrompter& operator=(const FakePrompter&) = delete;

    // Answers of the next questions (boxes with more than an OK button); without
    // one a question takes its escape answer (Cancel, else No). Boxes with only
    // OK answer OK and take nothing from the queue.
    void QueueAnswer(TPromptAnswer answer) { FAnswers.enqueue(answer); }
    // Results of the next inputs and file or folder dialogs; std::nullopt (or
    // an empty queue) cancels. OpenFileNames splits a queued text at "\n".
    void QueueText(std::optional<QString> text) { FTexts.enqueue(std::move(text)); }

    QList<RecordedPrompt> Prompts;

    // The texts of the message boxes shown, in order.
    QStringList Messages() const
    {
        QStringList texts;
        for (const RecordedPrompt& p : Prompts) {
            if (p.type == RecordedPrompt::Message)
                texts << p.text;
        }
        return texts;
    }

    TPromptAnswer Ask(const QString& text, TPromptButtons buttons, TPromptKind kind,
                      const QString& title) override
    {
        RecordedPrompt p;
        p.type = RecordedPrompt::Message;
        p.text = text;
        p.title = title;
        p.kind = kind;
        p.buttons = buttons;
        Prompts << p;
        if ((buttons & ~TPromptButtons(pbOK)) == 0)
            return TPromptAnswer::OK;
        return FAnswers.isEmpty() ? EscapeAnswer(buttons) : FAnswers.dequeue();
    }

    bool InputText(const QString& title, const QString& label, QString& value) override
    {
        Record(RecordedPrompt::Input, label, title, {});
        const std::optional<QString> text = NextText();
        if (text)
            value = *text;
        return text.has_value();
    }

    QString OpenFileName(const TFileDialogOptions& options) override
    {
        Record(RecordedPrompt::OpenFile, options.Title, options.Title, options);
        return NextText().value_or(QString());
    }

    QStringList OpenFileNames(const TFileDialogOptions& options) override
    {
        Record(RecordedPrompt::OpenFiles, options.Title, options.Title, options);
        const std::optional<QString> text = NextText();
        return text ? text->split(QLatin1Char('\n'), Qt::SkipEmptyParts) : QStringList();
    }

    QString SaveFileName(const TFileDialogOptions& options) override
    {
        Record(RecordedPrompt::SaveFile, options.Title, options.Title, options);
        return NextText().value_or(QString());
    }

    QString SelectFolder(const QString& title, const QString& initialDir) override
    {
        TFileDialogOptions options;
        options.Title = title;
        options.InitialDir = initialDir;
        Record(RecordedPrompt::Folder, title, title, options);
        return NextText().value_or(QString());
    }

private:
    void Record(RecordedPrompt::Type type, const QString& text, const QString& title,
                const TFileDialogOptions& options)
    {
        RecordedPrompt p;
        p.type = type;
        p.text = text;
        p.title = title;
        p.options = options;
        Prompts << p;
    }

    std::optional<QString> NextText() { return FTexts.isEmpty() ? std::nullopt : FTexts.dequeue(); }

    TPrompter* FPrevious;
    QQueue<TPromptAnswer> FAnswers;
    QQueue<std::optional<QString>> FTexts;
};

}  // namespace vqtest
