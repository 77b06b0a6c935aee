#pragma once

#include "dataview/UDBViewForm.h"

#include <memory>

class HexView;
class QIODevice;

// The large-object editor's Hex tab and fallback: the value's bytes in hex,
// read-only, read through the field's device as the lines come into view.
class TAlterBlobHexDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit TAlterBlobHexDBViewForm(QWidget* parent = nullptr);
    ~TAlterBlobHexDBViewForm() override;

    TViewKind Kind() const override { return TViewKind::Hex; }
    QString Caption() const override { return QStringLiteral("Hex"); }
    void SetDataLink(TFieldDataLink* dataLink) override;
    void Unload() override;
    void LoadFromFile() override;

    HexView* HexEditor() const { return FHexEditor; }

protected:
    void DataChanged() override;

private:
    void ShowValue();

    HexView* FHexEditor;
    std::unique_ptr<QIODevice> FValue;
};
