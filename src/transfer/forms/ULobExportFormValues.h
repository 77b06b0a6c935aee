#pragma once

#include "UFormValidation.h"

class TLobExportSession;

// What the export dialog's controls hold, as plain values: the checks, the
// query rule and the mapping to the task work on it without a window.
struct TLobExportFormValues {
    int FromType = 0;   // 0 Table, 1 Query
    QString Schema;
    QString Table;
    QString Where;       // as typed, line breaks included
    QString QueryEditorText;
    QString LobField;
    int NameType = 1;   // 0 By Field, 1 By Serial
    QString NameField;
    int ExtType = 1;    // 0 By Field, 1 Custom
    QString ExtField;
    QString Ext;
    QString SaveTo;
    int SubFolderCreateType = 0;
    int SubCount = 100;
    QString SubField;

    TValidationResult Validate() const;
    void ToSession(TLobExportSession& session) const;

    // The editor's text trimmed, without one trailing ";".
    static QString QueryText(const QString& editorText);
};
