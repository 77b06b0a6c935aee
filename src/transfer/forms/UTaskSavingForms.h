#pragma once

// Registers by name the windows that the core's task-saving and batch-file
// services create, so that the command line links and makes no widget.
// Window mode registers them at its start.
void RegisterTaskSavingForms();
void UnregisterTaskSavingForms();
