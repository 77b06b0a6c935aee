#pragma once

#include "app/base/UPrompter.h"

// The prompter of window mode: modal message boxes.
class TWidgetPrompter : public TPrompter {
public:
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    bool Confirm(const QString& text) override;
};
