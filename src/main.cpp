#include "app/UProgram.h"
#include "app/UVantorquill.h"
#include "app/forms/UGuiRunner.h"

int main(int argc, char** argv)
{
    TQuenmarel::SetGuiRunner(&RunWindowMode);
    return RunProgram(argc, argv, &TVantorquill::GetInstance);
}
