#pragma once

#include "dataview/UDBViewForm.h"

class HexView;
class QBuffer;

// The binary field editor's only viewer: a short fixed or variable binary
// value in hex, read-only; an empty file loads as NULL.
class TAlterBinaryHexDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit TAlterBinaryHexDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Hex; }
    QString Caption() const override { return QStringLiteral("Hex"); }
    void SetDataLink(TFieldDataLink* dataLink) override;
    void Unload() override;
    void SaveToFile() override;
    void LoadFromFile() override;

    HexView* HexEditor() const { return FHexEditor; }

protected:
    void DataChanged() override;

private:
    QVariant FieldValue() const;
    void ShowValue();

    HexView* FHexEditor;
    QBuffer* FStream;
};
