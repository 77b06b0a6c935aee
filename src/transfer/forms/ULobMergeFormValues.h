#pragma once

#include "UFormValidation.h"

class TLobMerger;

// What the merge dialog's controls hold, as plain values.
struct TLobMergeFormValues {
    QString Schema;
    QString Table;
    QString Where;   // as typed: the merger gets the line breaks
    QString LobField;
    QString SaveFile;

    TValidationResult Validate() const;
    void ToMerger(TLobMerger& merger) const;
};
