#pragma once

// A recording shell opener for tests: installs itself for its lifetime and
// starts nothing. Needs the vq_platform_shell library.

#include "platform/shell/UShellOpener.h"

#include <QStringList>

namespace vqtest {

class FakeShellOpener : public TShellOpener {
public:
    FakeShellOpener() : FPrevious(TShellOpener::Installed()) { TShellOpener::SetInstance(this); }
    ~FakeShellOpener() override { TShellOpener::SetInstance(FPrevious); }
    FakeShellOpener(const FakeShellOpener&) = delete;
    FakeShellOpener& operator=(const FakeShellOpener&) = delete;

    bool Succeeds = true;         // the answer of every call
    QStringList Documents;        // OpenDocument targets, in order
    struct Program {
        QString program;
        QStringList arguments;
        QString workingFolder;
    };
    QList<Program> Programs;      // StartProgram calls, in order

    bool OpenDocument(const QString& target) override
    {
        Documents << target;
        return Succeeds;
    }

    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder = QString()) override
    {
        Programs.append({program, arguments, workingFolder});
        return Succeeds;
    }

private:
    TShellOpener* FPrevious;
};

}  // namespace vqtest
