#include "UPrompter.h"

#include <cstdio>

namespace {
TPrompter*& current()
{
    static TPrompter* prompter = nullptr;
    return prompter;
}

void PrintLine(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}
}

void TPrompter::ShowMessage(const QString& text)
{
    Ask(text, pbOK, TPromptKind::Information);
}

void TPrompter::ShowWarning(const QString& text)
{
    Ask(text, pbOK, TPromptKind::Warning);
}

void TPrompter::ShowError(const QString& text)
{
    Ask(text, pbOK, TPromptKind::Error);
}

bool TPrompter::Confirm(const QString& text)
{
    return Ask(text, pbYes | pbNo, TPromptKind::Question) == TPromptAnswer::Yes;
}

TPromptAnswer TPrompter::ConfirmCancel(const QString& text)
{
    return Ask(text, pbYes | pbNo | pbCancel, TPromptKind::Question);
}

TPrompter& TPrompter::Instance()
{
    static TConsolePrompter console;
    return current() ? *current() : console;
}

void TPrompter::SetInstance(TPrompter* prompter)
{
    current() = prompter;
}

TPrompter* TPrompter::Installed()
{
    return current();
}

TPromptAnswer EscapeAnswer(TPromptButtons buttons)
{
    if (buttons & pbCancel)
        return TPromptAnswer::Cancel;
    if (buttons & pbNo)
        return TPromptAnswer::No;
    return TPromptAnswer::OK;
}

QStringList FileDialogFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QStringList patternList = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patternList) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*"))   // every file, also one without a dot
                pattern = QStringLiteral("*");
        }
        const QString patterns = patternList.join(QLatin1Char(' '));
        if (description.contains(QLatin1Char('(')) && description.endsWith(QLatin1Char(')')))
            result << description.left(description.lastIndexOf(QLatin1Char('('))).trimmed()
                          + QStringLiteral(" (") + patterns + QLatin1Char(')');
        else
            result << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    if (parts.size() % 2 == 1 && !parts.back().trimmed().isEmpty())
        result << parts.back().trimmed();   // a bare pattern list without description
    return result;
}

TPromptAnswer TConsolePrompter::Ask(const QString& text, TPromptButtons buttons, TPromptKind,
                                    const QString&)
{
    const TPromptAnswer answer = EscapeAnswer(buttons);
    if (buttons & ~pbOK)
        PrintLine(text + QStringLiteral(" [no display: not answered]"));
    else
        PrintLine(text);
    return answer;
}

bool TConsolePrompter::InputText(const QString&, const QString&, QString&)
{
    return false;
}

QString TConsolePrompter::OpenFileName(const TFileDialogOptions&)
{
    return QString();
}

QStringList TConsolePrompter::OpenFileNames(const TFileDialogOptions&)
{
    return QStringList();
}

QString TConsolePrompter::SaveFileName(const TFileDialogOptions&)
{
    return QString();
}

QString TConsolePrompter::SelectFolder(const QString&, const QString&)
{
    return QString();
}
