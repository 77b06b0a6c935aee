#pragma once

#include "UBlobViewChoice.h"

#include <QString>
#include <QWidget>

class QAction;
class TField;
class TFieldDataLink;

// The base of every viewer: a borderless page that fills one tab of the field
// editor, binds itself to the field through the editor's data link, shows the
// value and, where it can, writes changes back. Exactly one viewer of an
// editor is bound at a time; while bound it receives the link's data-change
// and update-data notices.
class TDBViewForm : public QWidget {
    Q_OBJECT

public:
    explicit TDBViewForm(QWidget* parent = nullptr);
    ~TDBViewForm() override;

    virtual TViewKind Kind() const = 0;
    // The tab text.
    virtual QString Caption() const = 0;

    virtual QString GetFileFilter() const;
    // Binds the viewer to the link's field and shows the value.
    virtual void SetDataLink(TFieldDataLink* dataLink);
    // Stops showing the value; the link's notices no longer reach the viewer.
    virtual void Unload();
    // Asks for a file name and writes the field's value, byte for byte.
    virtual void SaveToFile();
    // Asks for a file and loads its bytes as the field's value.
    virtual void LoadFromFile();
    // Hands the user's pending edit to the field.
    virtual void CommitToField() {}
    virtual void ChangeFont() {}
    // Picture viewers: whether the bound value loaded as a picture.
    virtual bool PictureLoaded() const { return false; }

    TFieldDataLink* DataLink() const { return FDataLink; }
    TField* Field() const;
    bool Bound() const { return FBound; }

    QAction* FindAction() const { return FFindAction; }
    QAction* FindNextAction() const { return FFindNextAction; }
    QAction* ReplaceAction() const { return FReplaceAction; }

    // Why the value is shown read-only (for the status bar); empty otherwise.
    const QString& Note() const { return FNote; }

Q_SIGNALS:
    void NoteChanged(const QString& note);

protected:
    // The field's value changed while bound (cancel, a loaded file, another row).
    virtual void DataChanged() {}
    // Post is about to write: the default hands pending edits over.
    virtual void UpdateData() { CommitToField(); }
    void SetNote(const QString& note);
    void SetSearchActions(QAction* find, QAction* findNext, QAction* replace);

    // The chosen file name of the save or open dialog, empty when cancelled.
    QString AskSaveFileName() const;
    QString AskOpenFileName() const;
    // "File " + name + " saved."
    static void ReportSaved(const QString& fileName);
    // Raises when a file cannot be read, before anything is changed.
    static void CheckReadable(const QString& fileName);

private:
    TFieldDataLink* FDataLink = nullptr;
    bool FBound = false;
    QString FNote;
    QAction* FFindAction = nullptr;
    QAction* FFindNextAction = nullptr;
    QAction* FReplaceAction = nullptr;
};
