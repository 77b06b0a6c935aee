#pragma once

#include "UFieldEditor.h"

// The field editor for large-object fields: every viewer, the first chosen by the value's type and content.
class TPharostine : public TFieldEditor {
    Q_OBJECT

public:
    explicit TPharostine(QWidget* owner = nullptr);

protected:
    void CreateEditForm() override;
    void CreateSelector() override;
};
