#include "app/UProgram.h"
#include "app/UVantorquill.h"
#include "app/UWindowModule.h"

int main(int argc, char** argv)
{
    TQuenmarel::SetGuiRunner(&RunWindowModule);
    return RunProgram(argc, argv, &TVantorquill::GetInstance);
}
