#pragma once

#include "UQuenmarel.h"

// The program's final application class.
class TVantorquill : public TQuenmarel {
public:
    // The application object, constructed on first call.
    static TApp* GetInstance();

protected:
    void CreateLobObjectFactory() override;
};
