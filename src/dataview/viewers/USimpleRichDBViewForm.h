#pragma once

#include "dataview/UDBViewForm.h"

class QStackedWidget;
class QTextDocument;
class QTextEdit;
class TValueTextEdit;

// The Rich tab: the value as rich text. Rich text is read and written by our
// own reader and writer; a value that is not rich text shows in a plain-text
// editor, loaded as the Text tab loads it, and becomes rich text only when
// edited. Content the reader cannot keep makes the tab read-only.
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
    TValueTextEdit* PlainEdit() const { return FPlainEdit; }
    // Whether the value shows in the plain-text editor.
    bool ShowsPlainText() const;
    bool UserChanged() const { return FUserChanged; }
    // Whether the value is still being loaded.
    bool Loading() const { return FLoading; }

protected:
    void DataChanged() override;

private:
    // The bytes that tell rich text: {\rtf
    static constexpr int RtfMarkSize = 5;

    void ShowValue();
    // The whole value is shown: editing follows it.
    void ValueShown();
    void TextChanged();
    // Empties both editors.
    void Empty();
    const QTextDocument* ShownDocument() const;

    QStackedWidget* FEditors;
    QTextEdit* FRichEdit;
    TValueTextEdit* FPlainEdit;
    bool FLoading = false;
    bool FEditable = true;
    bool FUserChanged = false;
};
