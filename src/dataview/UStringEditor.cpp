#include "UStringEditor.h"

#include "UCommonFieldEditForm.h"
#include "UDBViewFormSelector.h"

TStringEditor::TStringEditor(QWidget* owner) : TFieldEditor(owner)
{
    Build();
}

void TStringEditor::CreateEditForm()
{
    FEditForm = new TCommonFieldEditForm(OwnerWidget());
}

void TStringEditor::CreateSelector()
{
    FSelector = std::make_unique<TStringDBViewFormSelector>();
}
