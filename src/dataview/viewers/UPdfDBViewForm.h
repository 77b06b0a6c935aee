#pragma once

#include "dataview/UDBViewForm.h"

class QPdfDocument;
class QPdfView;

// The PDF tab: a PDF value shown through one temporary file shared by every
// PDF viewer of the program.
class TPdfDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit TPdfDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Pdf; }
    QString Caption() const override { return QStringLiteral("PDF"); }
    QString GetFileFilter() const override;
    void SetDataLink(TFieldDataLink* dataLink) override;
    void Unload() override;
    void LoadFromFile() override;

    static QString TempPdfPath();
    // The file shown; "_blank" for none.
    const QString& Source() const { return FSource; }
    QPdfDocument* Document() const { return FDocument; }

private:
    void SetSource(const QString& source);

    QPdfDocument* FDocument;
    QPdfView* FView;
    QString FSource = QStringLiteral("_blank");
};
