#pragma once

#include "dataview/UDBViewForm.h"
#include "dataview/UFontUtil.h"
#include "dataview/UValueTextEdit.h"

class QAction;
class TFindDialog;
class TReplaceDialog;

// The Text tab: the value as plain text in a memo, with find and replace and
// a font kept in the registry. The text is read and written by the rules of
// TValueText; a value the memo cannot give back byte for byte is read-only.
class TMemoDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    // Where the font is kept.
    static const QString FontKey;
    static const QString FontValueName;

    explicit TMemoDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Text; }
    QString Caption() const override { return QStringLiteral("Text"); }
    QString GetFileFilter() const override;
    void SetDataLink(TFieldDataLink* dataLink) override;
    void Unload() override;
    void SaveToFile() override;
    void LoadFromFile() override;
    void CommitToField() override;
    void ChangeFont() override;

    // Gives the memo a font and keeps it for Text viewers created later.
    void ApplyFont(const TFontInfo& font);
    const TFontInfo& CurrentFont() const { return FFont; }
    QPlainTextEdit* Memo() const { return FMemo; }
    bool UserChanged() const { return FUserChanged; }

    // The lines of text, each ended by LF (NUL characters kept).
    static QString ToLfLines(const QString& text);
    // Whether the value is still being loaded into the memo.
    bool Loading() const { return FLoading; }

protected:
    void DataChanged() override;

private:
    void ShowValue();
    // The whole value is in the memo: editing and the note follow it.
    void ValueShown();
    void UseFont(const TFontInfo& font);
    void MemoChanged();
    void ShowFind();
    void FindNext();
    void ShowReplace();

    TValueTextEdit* FMemo;
    TFontInfo FFont;
    TValueText FValueText;
    bool FLoading = false;
    bool FUserChanged = false;
    QAction* FSearchFind;
    QAction* FSearchFindNext;
    QAction* FSearchReplace;
    TFindDialog* FFindDialog = nullptr;
    TReplaceDialog* FReplaceDialog = nullptr;
};
