#include "UDataApp.h"

namespace {
int progressStepCap = 0;
}

void TDataApp::InitApp()
{
    progressStepCap = 1000;
}

int TDataApp::ProgressStepCap()
{
    return progressStepCap;
}
