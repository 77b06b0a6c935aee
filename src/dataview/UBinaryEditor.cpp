#include "UBinaryEditor.h"

#include "UCommonFieldEditForm.h"
#include "UDBViewFormSelector.h"

TBinaryEditor::TBinaryEditor(QWidget* owner) : TFieldEditor(owner)
{
    Build();
}

void TBinaryEditor::CreateEditForm()
{
    FEditForm = new TCommonFieldEditForm(OwnerWidget());
}

void TBinaryEditor::CreateSelector()
{
    FSelector = std::make_unique<TBinaryDBViewFormSelector>();
}
