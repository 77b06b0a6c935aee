#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Hands files, folders, links and programs to the desktop. Injectable, so that
// tests never start a program: window mode uses the desktop opener, tests
// install a recording one.
class TShellOpener {
public:
    virtual ~TShellOpener() = default;

    // Opens a file or folder with its associated program, or a link
    // ("https:", "mailto:", ...) with the desktop's handler. False when it
    // could not be handed over.
    virtual bool OpenDocument(const QString& target) = 0;
    // Starts program with arguments, detached; false when it cannot start.
    virtual bool StartProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder = QString()) = 0;

    static TShellOpener& Instance();
    // Installs an opener (not owned); nullptr restores the desktop opener.
    static void SetInstance(TShellOpener* opener);
    static TShellOpener* Installed();
};

// The address of a target: a link with a scheme as it is, anything else as a
// local path (relative ones against the current folder).
QUrl ShellTargetUrl(const QString& target);

// The desktop's own handlers: the platform's services when a GUI runs, else
// xdg-open.
class TDesktopShellOpener : public TShellOpener {
public:
    bool OpenDocument(const QString& target) override;
    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder = QString()) override;
};
