#include "Pharostine.h"

#include "UCommonFieldEditForm.h"
#include "UDBViewFormSelector.h"

TPharostine::TPharostine(QWidget* owner) : TFieldEditor(owner)
{
    Build();
}

void TPharostine::CreateEditForm()
{
    FEditForm = new TCommonFieldEditForm(OwnerWidget());
}

void TPharostine::CreateSelector()
{
    FSelector = std::make_unique<TX64BlobDBViewFormSelector>();
}
