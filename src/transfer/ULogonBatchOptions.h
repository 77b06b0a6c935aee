#pragma once

#include "UBatchOptions.h"

class TDBLogonOption;

// The batch options of a logged-on run: the script's task file also receives
// the logon profiles, so that the unattended run logs on by itself.
class TLogonBatchOptions : public TBatchOptions {
public:
    static const QString SourceSection;   // "SourceDB"
    static const QString TargetSection;   // "TargetDB"

    // Borrowed; each may be absent.
    TDBLogonOption* SourceDBLogonOption = nullptr;
    TDBLogonOption* TargetDBLogonOption = nullptr;

    // The source profile's own check, then the target's, then the checks of
    // the file names.
    bool Validate() override;
    // The profiles into the task file's sections "SourceDB" and "TargetDB"
    // (password enciphered, the file kept owner-only), then the script.
    void WriteBatchFile() override;

    // The profile's database type + " (Source DB)" / " (Target DB)"; empty
    // without a profile.
    QString SourceTypeCaption() const;
    QString TargetTypeCaption() const;
    // The profile as command-line parameters with the password masked; empty
    // without a profile.
    QString SourceOptionString() const;
    QString TargetOptionString() const;

    // Everything from the first 'password="' to the double quote that closes
    // its value becomes 'password="******"'; a text without it is returned
    // unchanged.
    static QString MaskPassword(const QString& text);
    // The same, knowing the password: a value that holds double quotes is
    // masked whole.
    static QString MaskPassword(const QString& text, const QString& password);

private:
    static QString TypeCaption(const TDBLogonOption* option, const QString& role);
    static QString OptionString(const TDBLogonOption* option);
};
