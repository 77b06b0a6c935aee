#pragma once

#include "UDBLogonDialog.h"

#include <QStringList>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QWidget;
class TDropDownComboBox;

// The MySQL logon dialog ("UMysqlLogonForm.TMysqlLogonForm"): its layout, the
// profile in its controls, the database drop-down and the automatic choice
// of a database, and the checks of the SSH fields.
class TMysqlLogonForm : public TDBLogonDialog {
    Q_OBJECT
public:
    explicit TMysqlLogonForm(TComponent* owner = nullptr);

    void cbbDatabaseDropDown();
    void chkUseSSHClick();

    // The shared controls (lblConnect, btnConnect, btnHelp,
    // cbbRecentDatabases) are found by name by the base.

    QLabel* Label2;
    QTabWidget* pgc1;
    QWidget* tsMysql;
    QWidget* tsSSH;
    QLineEdit* edServer;
    QSpinBox* edPort;
    QLineEdit* edUsername;
    QLineEdit* edPassword;
    QCheckBox* chkSavePassword;
    TDropDownComboBox* cbbDatabase;
    QCheckBox* chkUseUnicode;
    QCheckBox* chkUseSSH;
    QLineEdit* edSSHHost;
    QSpinBox* seSSHPort;
    QLineEdit* edSSHUserName;
    QLineEdit* edSSHPassword;
    QCheckBox* chkSSHSavePassword;

protected:
    void OnConnectionSet() override;
    void Connect() override;
    bool CheckInput() override;
    void OptionToControls() override;
    void ControlsToOption() override;

private:
    void BuildLayout();
    void SetDefaults();
    void ChooseDefaultDatabase();
    QStringList ListDatabases() const;
    // False when the server refused (the list is left as it was).
    bool FillDatabaseList();
    // Connects with the profile of the controls and no database; false (after
    // an error box) when the server refused.
    bool TestConnect();
    void UpdateSSHControls();

    QString FLastDatabaseText;
    bool FDatabasesLoaded = false;
};
