#pragma once

#include "app/base/UComponent.h"

// The logon dialog of one database type as the core sees it; created by the
// qualified name "U<type>LogonForm.T<type>LogonForm". The window-mode dialog
// derives from it in the form libraries and builds its widgets only when it
// is run, so that the core and the command line need no display.
class TDBLogonForm : public TComponent {
public:
    explicit TDBLogonForm(TComponent* owner = nullptr) : TComponent(owner) {}
};
