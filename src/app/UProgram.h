#pragma once

#include <functional>

class TApp;

// The program entry: keeps the arguments, runs the ordered initialisation of
// the units, gets the application object, runs it, and runs the finalisation
// in reverse. Returns the process exit code (1 when the start was aborted).
int RunProgram(int argc, char** argv, const std::function<TApp*()>& getInstance);

// The ordered initialisation and finalisation on their own (tests use them).
void InitProgramUnits();
void DoneProgramUnits();
