#pragma once

#include "UValueText.h"

#include <QPlainTextEdit>

class TField;
class TTextDocumentLoader;

// A plain-text editor showing a field's value: the value goes in through a
// TTextDocumentLoader, in pieces from the event loop, so a large one keeps
// the window answering; emptying it gives a large document's memory back.
class TValueTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TValueTextEdit(QWidget* parent = nullptr);

    // Empties the editor and starts loading the value, read-only meanwhile;
    // Loaded comes once the whole value is in.
    void Load(const TField& field);
    // Drops what is left to load and empties the editor.
    void Unload();
    bool Loading() const;
    // How the loaded text is written back; valid once Loaded.
    const TValueText& Result() const;

Q_SIGNALS:
    void Loaded();

private:
    TTextDocumentLoader* FLoader;
};
