#pragma once

#include <QString>

class TQuenmarel;

// Window mode is a module of its own beside the program: a command-line run
// never maps the window libraries, and a host without a desktop can run tasks
// without installing one. The program loads the module only for window mode.

// The module's file name, beside the program file.
inline constexpr char WindowModuleFileName[] = "vantorquill-window.so";
// The function the module exports (extern "C") to run window mode.
inline constexpr char WindowModuleEntry[] = "VqRunWindowMode";
using TWindowModuleEntry = void (*)(TQuenmarel& app);

// True when a window system can be reached (or a platform is forced).
bool HasDisplay();

// The module's path: beside the program file that is running.
QString WindowModulePath();

// Window mode: says how to run a task when there is no display, loads the
// module (every symbol resolved before anything runs) and runs its window
// mode. Raises an exception with the reason when the module is missing or
// cannot be loaded.
void RunWindowModule(TQuenmarel& app);
