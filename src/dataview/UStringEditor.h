#pragma once

#include "UFieldEditor.h"

// The field editor for short string fields: one Text tab.
class TStringEditor : public TFieldEditor {
    Q_OBJECT

public:
    explicit TStringEditor(QWidget* owner = nullptr);

protected:
    void CreateEditForm() override;
    void CreateSelector() override;
};
