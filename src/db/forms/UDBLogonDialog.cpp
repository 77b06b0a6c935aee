#include "UDBLogonDialog.h"

#include "base/UAppException.h"
#include "widgets/UHelpFile.h"
#include "widgets/UUIUtil.h"
#include "db/UDBLogonOption.h"
#include "platform/dac/UUniConnection.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

// The hourglass for as long as it lives, on every way out.
class THourglass {
public:
    THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~THourglass() { QApplication::restoreOverrideCursor(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

const QColor connectedColour(0, 128, 0);
const QColor failedColour(255, 0, 0);

}  // namespace

TDBLogonDialog::TDBLogonDialog(TComponent* owner) : QDialog(nullptr), TDBLogonForm(owner)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

int TDBLogonDialog::ShowModal()
{
    return exec();
}

void TDBLogonDialog::BindControls()
{
    lblConnect = FindComponentOrRaise<QLabel>(this, QStringLiteral("lblConnect"));
    btnConnect = FindComponentOrRaise<QPushButton>(this, QStringLiteral("btnConnect"));
    btnHelp = FindComponentOrRaise<QPushButton>(this, QStringLiteral("btnHelp"));
    btnConnect->disconnect(this);
    btnHelp->disconnect(this);
    connect(btnConnect, &QPushButton::clicked, this, Guarded([this](bool) { ConnectClick(); }));
    connect(btnHelp, &QPushButton::clicked, this, Guarded([this](bool) { HelpClick(); }));
}

void TDBLogonDialog::SetFormUseMode(TFormUseMode mode)
{
    BindControls();
    FFormUseMode = mode;
    switch (mode) {
    case fumConfig:
        if (!FModeWidened) {
            btnConnect->setMinimumWidth(btnConnect->sizeHint().width() + 16);
            FModeWidened = true;
        }
        break;
    case fumSingleLogon:
        setWindowTitle(QStringLiteral("Logon - Vantorquill"));
        break;
    case fumMultiLogon:
        break;
    case fumSwitchLogon:
        HideConnectControls();
        break;
    }
    lblConnect->repaint();
    btnConnect->repaint();
    ShowIdleStatus();
    UpdateConnectCaption();
}

void TDBLogonDialog::HideConnectControls()
{
    btnConnect->hide();
    btnHelp->hide();
    lblConnect->hide();
}

void TDBLogonDialog::ShowStatus(const QString& text, const QColor& color)
{
    QPalette palette = lblConnect->palette();
    palette.setColor(QPalette::WindowText, color);
    lblConnect->setPalette(palette);
    lblConnect->setText(text);
}

void TDBLogonDialog::ShowIdleStatus()
{
    ShowStatus(FFormUseMode == fumConfig ? QString() : QStringLiteral("Not Connected."),
               palette().color(QPalette::WindowText));
}

void TDBLogonDialog::ShowConnecting()
{
    ShowStatus(QStringLiteral("Connecting ..."), palette().color(QPalette::WindowText));
    // The connect blocks this thread: paint the text before it starts.
    repaint();
}

void TDBLogonDialog::ShowConnected()
{
    ShowStatus(FFormUseMode == fumConfig ? QStringLiteral("Successful!") : QStringLiteral("Connected."),
               connectedColour);
}

void TDBLogonDialog::ShowConnectFailed()
{
    ShowStatus(QStringLiteral("Cannot Connect."), failedColour);
}

void TDBLogonDialog::UpdateConnectCaption()
{
    btnConnect->setText(FFormUseMode == fumConfig ? QStringLiteral("Test Connection") : QStringLiteral("Connect"));
}

bool TDBLogonDialog::FillRecentProfiles()
{
    cbbRecentDatabases = FindComponentOrRaise<QComboBox>(this, QStringLiteral("cbbRecentDatabases"));
    cbbRecentDatabases->disconnect(this);
    connect(cbbRecentDatabases, &QComboBox::activated, this, Guarded([this](int) { RecentProfileChange(); }));
    QStringList profiles;
    FLogonOption->ListProfiles(profiles);
    {
        const QSignalBlocker quiet(cbbRecentDatabases);
        cbbRecentDatabases->clear();
        cbbRecentDatabases->addItems(profiles);
        if (profiles.isEmpty())
            return false;
        const int last = profiles.indexOf(FLogonOption->GetLastProfile(GetProfileKind()));
        cbbRecentDatabases->setCurrentIndex(last >= 0 ? last : 0);
    }
    RecentProfileChange();
    return true;
}

void TDBLogonDialog::RecentProfileChange()
{
    FLogonOption->LoadFromRegistry(cbbRecentDatabases->currentText());
    OptionToControls();
}

void TDBLogonDialog::ConnectClick()
{
    if (!CheckInput())
        return;
    DoConnect();
    if (FFormUseMode == fumSingleLogon && FConnection->Connected())
        accept();
}

void TDBLogonDialog::DoConnect()
{
    ShowConnecting();
    const THourglass hourglass;
    BeforeConnect();
    try {
        ConnectAndRemember();
    } catch (const std::exception& e) {
        ShowConnectFailed();
        throw Exception(ExceptionMessage(e) + GetExtraErrorText());
    }
    ShowConnected();
}

void TDBLogonDialog::HelpClick()
{
    OpenHelpFile(HelpTopic(FConnection->ProviderName()));
}
