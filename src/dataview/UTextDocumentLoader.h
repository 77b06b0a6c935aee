#pragma once

#include "UValueText.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

class QTextDocument;
class TField;
class TValueTextReader;

// Puts the text of a field's value into a text document in pieces: the first
// piece at once, the rest from the event loop a short slice at a time, so
// that a large value keeps the window repainting and answering while it
// loads. The value is read through the field's reader, never held whole.
class TTextDocumentLoader : public QObject {
    Q_OBJECT

public:
    // The longest the loading holds the event loop at a time.
    static constexpr int SliceMs = 40;
    // A document this long (in characters) gives its memory back when emptied.
    static constexpr int LargeDocument = 1 << 20;

    // Loads into document, which it also empties on Unload whatever filled it.
    TTextDocumentLoader(QTextDocument* document, QObject* parent = nullptr);
    ~TTextDocumentLoader() override;

    // Empties the document and starts loading the value into it; a value of
    // one piece is in when this returns.
    // Finished comes when the whole value is in.
    void Start(const TField& field);
    // Drops what is left to load; the document keeps what it has.
    void Stop();
    // Stops and empties the document, giving a large one's memory back.
    void Unload();
    // Between Start and Finished.
    bool Loading() const { return FLoading; }
    // How the loaded text is written back; valid once Finished.
    const TValueText& Result() const { return FResult; }

    // Empties a document, whatever filled it, giving a large one's memory
    // back.
    static void Empty(QTextDocument* document);
    // Returns freed heap pages to the system: the C library keeps them
    // otherwise, so a closed large document would keep its memory.
    static void ReleaseFreedMemory();

Q_SIGNALS:
    void Finished();

private:
    void Step();
    void Append(const QString& text);
    void Finish();

    std::unique_ptr<TValueTextReader> FReader;
    QPointer<QTextDocument> FDocument;
    QTimer FTimer;
    TValueText FResult;
    bool FLoading = false;
};
