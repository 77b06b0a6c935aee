#pragma once

#include "dataview/UDBViewForm.h"

class TDBXmlEdit;

// The Xml tab: the value as an XML document whose structure can be edited;
// every change reaches the field at once.
class TXmlDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit TXmlDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Xml; }
    QString Caption() const override { return QStringLiteral("Xml"); }
    QString GetFileFilter() const override;
    void SetDataLink(TFieldDataLink* dataLink) override;
    void Unload() override;

    TDBXmlEdit* XmlEdit() const { return FXmlEdit; }

protected:
    void DataChanged() override;
    // Changes are in the field already.
    void UpdateData() override {}

private:
    TDBXmlEdit* FXmlEdit;
};
