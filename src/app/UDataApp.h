#pragma once

#include "UApp.h"

// Second level: the engine constants.
class TDataApp : public TApp {
public:
    void InitApp() override;

    // How many progress steps the progress display shows at most.
    static int ProgressStepCap();
};
