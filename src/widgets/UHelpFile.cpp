#include "UHelpFile.h"

#include "base/UPrompter.h"
#include "platform/shell/UShellOpener.h"

#include <QCoreApplication>

QString HelpFilePath(const QString& page)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/help/") + page;
}

void OpenHelpFile(const QString& page)
{
    const QString path = HelpFilePath(page);
    if (!TShellOpener::Instance().OpenDocument(path))
        TPrompter::Instance().ShowError(QStringLiteral("Cannot open the help page ") + path);
}
