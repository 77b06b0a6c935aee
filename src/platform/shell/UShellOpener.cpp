#include "UShellOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

namespace {
TShellOpener*& current()
{
    static TShellOpener* opener = nullptr;
    return opener;
}
}

TShellOpener& TShellOpener::Instance()
{
    static TDesktopShellOpener desktop;
    return current() ? *current() : desktop;
}

void TShellOpener::SetInstance(TShellOpener* opener)
{
    current() = opener;
}

TShellOpener* TShellOpener::Installed()
{
    return current();
}

QUrl ShellTargetUrl(const QString& target)
{
    // A scheme has at least two characters before ":", so a path never reads as one.
    const qsizetype colon = target.indexOf(QLatin1Char(':'));
    if (colon > 1 && !target.startsWith(QLatin1Char('/'))) {
        const QUrl url(target);
        if (url.isValid() && url.scheme().size() == colon)
            return url;
    }
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

bool TDesktopShellOpener::OpenDocument(const QString& target)
{
    if (target.isEmpty())
        return false;
    const QUrl url = ShellTargetUrl(target);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        && QGuiApplication::platformName() != QStringLiteral("offscreen"))
        return QDesktopServices::openUrl(url);
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

bool TDesktopShellOpener::StartProgram(const QString& program, const QStringList& arguments,
                                       const QString& workingFolder)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments, workingFolder);
}
