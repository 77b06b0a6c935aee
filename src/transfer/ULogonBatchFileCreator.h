#pragma once

#include "UBatchFileCreator.h"

class TDBLogonOption;

// Makes the window-mode batch-file dialog that also stores the logon profiles
// in the task file. The dialog's class is found by name (registered by the
// form library when window mode starts).
class TLogonBatchFileCreator : public TBatchFileCreator {
public:
    static const QString DialogClassName;   // "ULogonBatchFileCreateDlg.TLogonBatchFileCreateDlg"

    // The profiles are borrowed and may be absent.
    TLogonBatchFileCreator(const QString& optionName, TDBLogonOption* sourceOption, TDBLogonOption* targetOption);

    std::unique_ptr<TBatchFileCreateDlg> CreateDialog() override;

    const QString& OptionName() const { return FOptionName; }
    TDBLogonOption* SourceDBLogonOption() const { return FSourceDBLogonOption; }
    TDBLogonOption* TargetDBLogonOption() const { return FTargetDBLogonOption; }

private:
    QString FOptionName;
    TDBLogonOption* FSourceDBLogonOption;
    TDBLogonOption* FTargetDBLogonOption;
};
