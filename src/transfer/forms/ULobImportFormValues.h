#pragma once

#include "UFormValidation.h"

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
    int ImportType = 0;   // 0 Insert, 1 Update
    QString LoadFolder;
    bool IncludeSubFolder = false;
    int ExtType = 0;      // 0 All, 1 Custom
    QString ExtItemText;  // the caption of the chosen extension item
    QString Ext;

    // The checks in their order; the first failure, or none.
    TValidationResult Validate() const;
    void ToSession(TLobImportSession& session) const;
};
