#pragma once

class TQuenmarel;

// Window mode: the application object of the window framework (given the
// program path only, so Qt never sees name=value arguments), the widget
// prompter, the main window, and the message loop until it closes.
void RunWindowMode(TQuenmarel& app);
