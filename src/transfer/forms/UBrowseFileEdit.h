#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A file-name edit with a browse button; the file dialog goes through the
// prompter. The focus goes to the edit, so a label can be its buddy.
class TBrowseFileEdit : public QWidget {
    Q_OBJECT
public:
    enum TDialogKind {
        dkOpen,   // the file is read (or must exist)
        dkSave,   // the file is written
        dkFolder, // a folder is chosen
    };

    explicit TBrowseFileEdit(QWidget* parent = nullptr);

    QString FileName() const;
    void SetFileName(const QString& fileName);

    // "Description (*.ext)|*.ext"; the default extension has no dot.
    void SetFilter(const QString& filter, const QString& defaultExt);
    void SetDialogKind(TDialogKind kind) { FDialogKind = kind; }
    // The edit's and the dialog's title: the caption of the field's label.
    void SetTitle(const QString& title);

    QLineEdit* Edit() const { return FEdit; }
    QToolButton* BrowseButton() const { return FBrowseButton; }

    // The file dialog, starting at the current name; a chosen file replaces it.
    void Browse();

private:
    QLineEdit* FEdit;
    QToolButton* FBrowseButton;
    QString FFilter;
    QString FDefaultExt;
    QString FTitle;
    TDialogKind FDialogKind = dkOpen;
};
