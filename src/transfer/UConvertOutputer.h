#pragma once

#include "UOutputer.h"

class TConvertStatus;

// An outputer bound to the five events of a converter's status: SetStatus,
// then Attach; the handlers say what each event writes.
class TConvertOutputer : public TOutputer {
public:
    // Borrowed; the converter that owns it outlives the binding.
    void SetStatus(TConvertStatus* status) { FStatus = status; }
    TConvertStatus* Status() const { return FStatus; }

    // Points every event of the status at this outputer, replacing earlier
    // hooks. Raises when no status was set.
    void Attach() override;

    virtual void HandleError(TConvertStatus& status) = 0;
    virtual void HandleMessage(TConvertStatus& status) = 0;
    virtual void HandleStart(TConvertStatus& status) = 0;
    virtual void HandleEnd(TConvertStatus& status) = 0;
    virtual void HandleProgress(TConvertStatus& status) = 0;

private:
    TConvertStatus* FStatus = nullptr;
};
