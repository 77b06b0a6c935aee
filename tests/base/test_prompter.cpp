#include "base/UPrompter.h"
#include "support/VqFakePrompter.h"

#include <gtest/gtest.h>

TEST(Prompter, ShorthandsAskWithTheirKindAndButtons)
{
    vqtest::FakePrompter fake;
    ASSERT_EQ(&TPrompter::Instance(), &fake);
    fake.QueueAnswer(TPromptAnswer::Yes);
    fake.QueueAnswer(TPromptAnswer::Cancel);

    TPrompter::Instance().ShowMessage(QStringLiteral("info"));
    TPrompter::Instance().ShowError(QStringLiteral("bad"));
    EXPECT_TRUE(TPrompter::Instance().Confirm(QStringLiteral("Save Changes?")));
    EXPECT_EQ(TPrompter::Instance().ConfirmCancel(QStringLiteral("Save?")), TPromptAnswer::Cancel);
    EXPECT_FALSE(TPrompter::Instance().Confirm(QStringLiteral("unanswered")));   // escape answer: No

    ASSERT_EQ(fake.Prompts.size(), 5);
    EXPECT_EQ(fake.Prompts[0].kind, TPromptKind::Information);
    EXPECT_EQ(fake.Prompts[0].buttons, TPromptButtons(pbOK));
    EXPECT_EQ(fake.Prompts[1].kind, TPromptKind::Error);
    EXPECT_EQ(fake.Prompts[2].buttons, TPromptButtons(pbYes | pbNo));
    EXPECT_EQ(fake.Prompts[3].buttons, TPromptButtons(pbYes | pbNo | pbCancel));
    EXPECT_EQ(fake.Messages(), (QStringList {"info", "bad", "Save Changes?", "Save?", "unanswered"}));
}

TEST(Prompter, FakeAnswersDialogsFromItsQueueAndRestoresThePrevious)
{
    {
        vqtest::FakePrompter outer;
        {
            vqtest::FakePrompter inner;
            inner.QueueText(QStringLiteral("typed"));
            inner.QueueText(std::nullopt);
            inner.QueueText(QStringLiteral("/tmp/a.ilt"));
            QString value = QStringLiteral("old");
            EXPECT_TRUE(TPrompter::Instance().InputText(QStringLiteral("T"), QStringLiteral("Name"), value));
            EXPECT_EQ(value, QStringLiteral("typed"));
            EXPECT_FALSE(TPrompter::Instance().InputText(QStringLiteral("T"), QStringLiteral("Name"), value));
            EXPECT_EQ(value, QStringLiteral("typed"));
            TFileDialogOptions options;
            options.Filter = QStringLiteral("Import Lob Task (*.ilt)|*.ilt");
            EXPECT_EQ(TPrompter::Instance().OpenFileName(options), QStringLiteral("/tmp/a.ilt"));
            EXPECT_EQ(TPrompter::Instance().SelectFolder(QStringLiteral("F"), QString()), QString());   // queue empty
            EXPECT_EQ(inner.Prompts.at(2).options.Filter, options.Filter);
        }
        EXPECT_EQ(&TPrompter::Instance(), &outer);
    }
    EXPECT_EQ(TPrompter::Installed(), nullptr);
}

TEST(Prompter, ConsolePrompterNeverBlocks)
{
    TConsolePrompter console;
    EXPECT_EQ(console.Ask(QStringLiteral("q"), pbYes | pbNo | pbCancel, TPromptKind::Question, QString()),
              TPromptAnswer::Cancel);
    EXPECT_EQ(console.Ask(QStringLiteral("q"), pbYes | pbNo, TPromptKind::Question, QString()), TPromptAnswer::No);
    EXPECT_EQ(console.Ask(QStringLiteral("m"), pbOK, TPromptKind::Information, QString()), TPromptAnswer::OK);
    QString value = QStringLiteral("v");
    EXPECT_FALSE(console.InputText(QString(), QString(), value));
    EXPECT_EQ(console.SaveFileName({}), QString());
}

TEST(Prompter, FileDialogFiltersFromPipeForm)
{
    EXPECT_EQ(FileDialogFilters(QStringLiteral("Import Lob Task (*.ilt)|*.ilt")),
              QStringList {QStringLiteral("Import Lob Task (*.ilt)")});
    EXPECT_EQ(FileDialogFilters(QStringLiteral("SQL|*.sql;*.txt|All files (*.*)|*.*")),
              (QStringList {QStringLiteral("SQL (*.sql *.txt)"), QStringLiteral("All files (*)")}));
    EXPECT_TRUE(FileDialogFilters(QString()).isEmpty());
}
