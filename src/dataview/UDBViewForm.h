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

    // With a bound field, the file chosen in the save or open dialog; false
    // when there is no field or the dialog was cancelled.
    bool AskFileToSave(QString& fileName) const;
    bool AskFileToLoad(QString& fileName) const;
    // "File " + name + " saved."
    static void ReportSaved(const QString& fileName);
    // Whole files; both raise EInOutError when the file cannot be used.
    static QByteArray ReadWholeFile(const QString& fileName);
    static void WriteWholeFile(const QString& fileName, const QByteArray& bytes);
    // Sets the field's value from the viewer's own edit: the viewer is not
    // told of the change it made itself.
    void WriteValue(const QByteArray& bytes);
    // The base Load: asks for a file and loads its bytes as the value; the
    // file's name, empty when nothing was loaded.
    QString LoadFileIntoField();

private:
    bool AskFile(bool save, QString& fileName) const;

    TFieldDataLink* FDataLink = nullptr;
    bool FBound = false;
    bool FWriting = false;
    QString FNote;
    QAction* FFindAction = nullptr;
    QAction* FFindNextAction = nullptr;
    QAction* FReplaceAction = nullptr;
};
