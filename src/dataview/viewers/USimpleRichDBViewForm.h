#pragma once

#include "dataview/UDBViewForm.h"

class QTextEdit;
class TTextDocumentLoader;

// The Rich tab: the value as rich text. Rich text is read and written by our
// own reader and writer; a value that is not rich text shows as plain text
// and becomes rich text only when edited. Content the reader cannot keep
// makes the tab read-only.
class TSimpleRichDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit TSimpleRichDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Rich; }
    QString Caption() const override { return QStringLiteral("Rich"); }
    QString GetFileFilter() const override;
    void SetDataLink(TFieldDataLink* dataLink) override;
    void Unload() override;
    // Writes the rich text when the user changed it and the row is being
    // edited; an unedited tab writes nothing.
    void CommitToField() override;

    QTextEdit* RichEdit() const { return FRichEdit; }
    bool UserChanged() const { return FUserChanged; }
    // Whether the value is still being loaded.
    bool Loading() const { return FLoading; }

protected:
    void DataChanged() override;

private:
    // The bytes that tell rich text: {\rtf
    static constexpr int RtfMarkSize = 5;
    // The bytes of a plain-text value that go in at a time.
    static constexpr qint64 RichPiece = 32 << 10;

    void ShowValue();
    // The whole value is shown: editing follows it.
    void ValueShown();
    void TextChanged();

    QTextEdit* FRichEdit;
    TTextDocumentLoader* FLoader;
    bool FLoading = false;
    bool FEditable = true;
    bool FUserChanged = false;
};
