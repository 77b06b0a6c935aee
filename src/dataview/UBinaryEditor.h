#pragma once

#include "UFieldEditor.h"

// The field editor for fixed and variable binary fields: one Hex tab.
class TBinaryEditor : public TFieldEditor {
    Q_OBJECT

public:
    explicit TBinaryEditor(QWidget* owner = nullptr);

protected:
    void CreateEditForm() override;
    void CreateSelector() override;
};
