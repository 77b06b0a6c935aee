#include "UPrompter.h"

#include <cstdio>

namespace {
TPrompter*& current()
{
    static TPrompter* prompter = nullptr;
    return prompter;
}
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

void TConsolePrompter::ShowMessage(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void TConsolePrompter::ShowError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

bool TConsolePrompter::Confirm(const QString& text)
{
    std::fprintf(stderr, "%s [answered No: no display]\n", text.toUtf8().constData());
    return false;
}
