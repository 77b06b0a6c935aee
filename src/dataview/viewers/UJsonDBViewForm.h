#pragma once

#include "dataview/UDBViewForm.h"

class QsciScintilla;

// The JSON tab: the value as highlighted, read-only text.
class TJsonDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit TJsonDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Json; }
    QString Caption() const override { return QStringLiteral("JSON"); }
    QString GetFileFilter() const override;
    void SetDataLink(TFieldDataLink* dataLink) override;

    QsciScintilla* Editor() const { return FEditor; }

private:
    QsciScintilla* FEditor;
};
