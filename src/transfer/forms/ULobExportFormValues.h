#pragma once

#include "UFormValidation.h"
#include "transfer/ULobExportSession.h"

class TLobExportSession;

// What the export dialog's controls hold, as plain values: the checks, the
// query rule and the mapping to the task work on it without a window.
struct TLobExportFormValues {
    TExportFromType FromType = TExportFromType::Table;
    QString Schema;
    QString Table;
    QString Where;       // as typed, line breaks included
    QString QueryEditorText;
    QString LobField;
    TExportNameType NameType = TExportNameType::Serial;
    QString NameField;
    TExportExtType ExtType = TExportExtType::Fixed;
    QString ExtField;
    QString Ext;
    QString SaveTo;
    TSubFolderCreateType SubFolderCreateType = TSubFolderCreateType::None;
    int SubCount = 100;
    QString SubField;

    TValidationResult Validate() const;
    void ToSession(TLobExportSession& session) const;

    // The editor's text trimmed, without one trailing ";".
    static QString QueryText(const QString& editorText);
};
