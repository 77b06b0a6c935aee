#include "UAlterBlobHexDBViewForm.h"

#include "dataview/HexView.h"
#include "platform/dac/UFieldDataLink.h"

#include <QIODevice>
#include <QVBoxLayout>

TAlterBlobHexDBViewForm::TAlterBlobHexDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("AlterBlobHexDBViewForm"));
    FHexEditor = new HexView(this);
    FHexEditor->setObjectName(QStringLiteral("HexEditor"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FHexEditor);
}

TAlterBlobHexDBViewForm::~TAlterBlobHexDBViewForm()
{
    FHexEditor->OpenNone();
}

void TAlterBlobHexDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    ShowValue();
}

void TAlterBlobHexDBViewForm::ShowValue()
{
    FHexEditor->OpenNone();
    FValue.reset();
    if (TField* field = Field()) {
        FValue = field->CreateReader();
        FHexEditor->OpenDevice(FValue.get());
    }
}

void TAlterBlobHexDBViewForm::DataChanged()
{
    ShowValue();
}

void TAlterBlobHexDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FHexEditor->OpenNone();
    FValue.reset();
}

void TAlterBlobHexDBViewForm::LoadFromFile()
{
    const QString fileName = LoadFileIntoField();
    if (fileName.isEmpty())
        return;
    // The file itself is shown until the viewer is unloaded.
    FHexEditor->OpenNone();
    FValue.reset();
    FHexEditor->OpenFile(fileName);
}
