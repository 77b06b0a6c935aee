#include "UFieldEditor.h"

#include "UDBViewFormSelector.h"
#include "UFieldEditForm.h"
#include "platform/dac/UFieldDataLink.h"

#include <QWidget>

TFieldEditor::TFieldEditor(QWidget* owner) : QObject(owner), FOwner(owner) {}

TFieldEditor::~TFieldEditor()
{
    // The viewers unbind from the link before it goes.
    delete FEditForm;
    FEditForm = nullptr;
    FSelector.reset();
    FDataLink.reset();
}

void TFieldEditor::Build()
{
    FDataLink = std::make_unique<TFieldDataLink>();
    CreateSelector();
    FSelector->SetDataLink(FDataLink.get());
    CreateEditForm();
    FEditForm->SetDataLink(FDataLink.get());
    FEditForm->SetSelector(FSelector.get());
}

QString TFieldEditor::DataField() const
{
    return FDataLink->FieldName();
}

void TFieldEditor::SetDataField(const QString& name)
{
    FDataLink->SetFieldName(name);
}

TDataSource* TFieldEditor::DataSource() const
{
    return FDataLink->DataSource();
}

void TFieldEditor::SetDataSource(TDataSource* source)
{
    FDataLink->SetDataSource(source);
}

bool TFieldEditor::ReadOnly() const
{
    return FDataLink->ReadOnly();
}

void TFieldEditor::SetReadOnly(bool value)
{
    FDataLink->SetReadOnly(value);
}

bool TFieldEditor::Execute()
{
    return FEditForm->Execute();
}
