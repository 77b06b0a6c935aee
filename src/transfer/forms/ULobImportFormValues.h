#pragma once

#include "UFormValidation.h"
#include "transfer/ULobImportSession.h"

class TLobImportSession;

// What the import dialog's controls hold, as plain values: the checks and the
// mapping to the task work on it without a window.
struct TLobImportFormValues {
    QString Schema;
    QString Table;
    QString LobField;
    QString NameField;
    bool IncludeNameExt = false;
    bool HasFolderField = false;
    QString FolderField;
    TImportType ImportType = TImportType::Insert;
    QString LoadFolder;
    bool IncludeSubFolder = false;
    TImportExtType ExtType = TImportExtType::All;
    QString ExtItemText;  // the caption of the chosen extension item
    QString Ext;

    // The checks in their order; the first failure, or none.
    TValidationResult Validate() const;
    void ToSession(TLobImportSession& session) const;
};
