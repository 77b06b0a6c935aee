#pragma once

#include "db/UDBLogonForm.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The window half of a logon dialog of any database type: the connect flow
// with its status texts, cursor and modes, help, and the list of remembered
// profiles. It has no layout of its own; it finds its shared controls
// (lblConnect, btnConnect, btnHelp, cbbRecentDatabases) by name in the layout
// of the type's dialog.
class TDBLogonDialog : public QDialog, public TDBLogonForm {
    Q_OBJECT
public:
    explicit TDBLogonDialog(TComponent* owner = nullptr);

    int ShowModal() override;
    // Binds the shared controls, then applies the mode, its idle status and
    // its button caption. A missing control raises "Can not find ...".
    void SetFormUseMode(TFormUseMode mode) override;

    // Handlers of the shared controls.
    void ConnectClick();
    void HelpClick();
    void RecentProfileChange();

    QLabel* StatusLabel() const { return lblConnect; }

protected:
    // The input checks before a connect; true when it may go ahead.
    virtual bool CheckInput() = 0;
    virtual void BeforeConnect() {}
    virtual QString GetExtraErrorText() const { return QString(); }

    void BindControls();
    // Fills cbbRecentDatabases with the remembered profiles and shows the
    // last one (or the first); false when there are none.
    bool FillRecentProfiles();
    // Connects with the status and the cursor: "Connecting ..." painted
    // first, "Connected." in green or "Cannot Connect." in red (and the
    // error raised again) after.
    void DoConnect();

    void ShowIdleStatus();
    void ShowConnecting();
    void ShowConnected();
    void ShowConnectFailed();
    void UpdateConnectCaption();
    void HideConnectControls();

    QLabel* lblConnect = nullptr;
    QPushButton* btnConnect = nullptr;
    QPushButton* btnHelp = nullptr;
    QComboBox* cbbRecentDatabases = nullptr;

private:
    void ShowStatus(const QString& text, const QColor& color);
    bool FModeWidened = false;
};
