#include "UXmlDBViewForm.h"

#include "dataview/XmlEdit.h"

#include <QVBoxLayout>

TXmlDBViewForm::TXmlDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("XmlDBViewForm"));
    FXmlEdit = new TDBXmlEdit(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FXmlEdit);
}

QString TXmlDBViewForm::GetFileFilter() const
{
    return QStringLiteral("Xml file (*.xml)|*.xml");
}

void TXmlDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    FXmlEdit->SetDataLink(dataLink);
}

void TXmlDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FXmlEdit->SetDataLink(nullptr);
}

void TXmlDBViewForm::DataChanged()
{
    FXmlEdit->DataChange();
}
