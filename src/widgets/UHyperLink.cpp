#include "UHyperLink.h"

#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "platform/shell/UShellOpener.h"

#include <QMouseEvent>

namespace {
const int ShellSuccess = 42;
const int ShellNoAssociation = 31;

void SetTextColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}
}

THyperLink::THyperLink(QWidget* owner) : QLabel(owner)
{
    setCursor(Qt::PointingHandCursor);
    QFont linkFont = font();
    linkFont.setUnderline(true);
    linkFont.setPointSize(8);
    setFont(linkFont);
    SetTextColour(this, QColor(0, 0, 255));
}

int THyperLink::OpenURL(const QString& address)
{
    const int code = TShellOpener::Instance().OpenDocument(address) ? ShellSuccess : ShellNoAssociation;
    const QString message = ShellErrorText(code);
    if (!message.isEmpty())
        TPrompter::Instance().ShowMessage(message);
    return code;
}

void THyperLink::Click()
{
    if (URL.isEmpty())
        return;
    OpenURL(URL);
    SetTextColour(this, QColor(128, 0, 128));
}

void THyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    GuardedCall([this] {
        if (FOnClick)
            FOnClick();
        else
            Click();
    });
}

QString ShellErrorText(int code)
{
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out of memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied access to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid (non-Win32 .EXE or error in .EXE image");
    case 26:
        return QStringLiteral("A sharing violation occurred.");
    case 27:
        return QStringLiteral("The filename association is incomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not be completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not be completed because other DDE transactions were being processed.");
    case 31:
        return QStringLiteral("There is no application associated with the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        break;
    }
    return code >= 1 && code <= 32 ? QStringLiteral("Unknownrror in ShellExecte.") : QString();
}
