#include "UFieldDataLink.h"

void TFieldDataLink::SetFieldName(const QString& name)
{
    if (name == FFieldName)
        return;
    FFieldName = name;
    UpdateField();
}

void TFieldDataLink::UpdateField()
{
    TField* field = Active() && !FFieldName.isEmpty() ? DataSet()->FindField(FFieldName) : nullptr;
    FField = field;
    FModified = false;
    if (FOnDataChange)
        FOnDataChange();
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (CanModify())
        TDataLink::Edit();
    return Editing();
}

bool TFieldDataLink::Editing() const
{
    return TDataLink::Editing() && CanModify();
}

void TFieldDataLink::SetModified()
{
    FModified = true;
}

void TFieldDataLink::Reset()
{
    FModified = false;
    if (FOnDataChange)
        FOnDataChange();
}

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    if (FOnActiveChange)
        FOnActiveChange();
}

void TFieldDataLink::EditingChanged()
{
    if (FOnEditingChange)
        FOnEditingChange();
}

void TFieldDataLink::ReadOnlyChanged()
{
    if (FOnEditingChange)
        FOnEditingChange();
}

void TFieldDataLink::RecordChanged(TField* field)
{
    // A change of another field leaves this control's value alone.
    if (field && field != FField)
        return;
    // The field object is the same for the life of the result; a new result
    // (ActiveChanged) looks it up again.
    if (!FField && !FFieldName.isEmpty())
        FField = DataSet()->FindField(FFieldName);
    FModified = false;
    if (FOnDataChange)
        FOnDataChange();
}

void TFieldDataLink::UpdateData()
{
    if (FModified && FField) {
        if (FOnUpdateData)
            FOnUpdateData();
        FModified = false;
    }
}
