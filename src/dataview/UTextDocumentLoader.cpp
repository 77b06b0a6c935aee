#include "UTextDocumentLoader.h"

#include "UValueTextReader.h"
#include "base/UAppException.h"

#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Small enough that a plain-text document takes one in a few milliseconds.
constexpr qint64 Piece = 256 << 10;

}  // namespace

TTextDocumentLoader::TTextDocumentLoader(QTextDocument* document, QObject* parent)
    : QObject(parent), FDocument(document)
{
    FTimer.setInterval(0);
    connect(&FTimer, &QTimer::timeout, this, GuardedSlot([this] { Step(); }));
}

TTextDocumentLoader::~TTextDocumentLoader() = default;

void TTextDocumentLoader::Start(const TField& field)
{
    Stop();
    QTextDocument* document = FDocument;
    FResult = TValueText();
    FLoading = true;
    document->setUndoRedoEnabled(false);
    document->clear();
    FReader = std::make_unique<TValueTextReader>(field);
    Append(FReader->Next(Piece));
    if (FReader->AtEnd())
        Finish();
    else
        FTimer.start();
}

void TTextDocumentLoader::Stop()
{
    FTimer.stop();
    FReader.reset();
    if (FLoading && FDocument)
        FDocument->setUndoRedoEnabled(true);
    FLoading = false;
}

void TTextDocumentLoader::Unload()
{
    Stop();
    if (FDocument)
        Empty(FDocument);
}

void TTextDocumentLoader::Empty(QTextDocument* document)
{
    const bool large = document->characterCount() > LargeDocument;
    document->clear();
    if (large)
        ReleaseFreedMemory();
}

void TTextDocumentLoader::Step()
{
    if (!FReader || !FDocument) {
        Stop();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    try {
        while (!FReader->AtEnd() && slice.elapsed() < SliceMs)
            Append(FReader->Next(Piece));
    } catch (...) {
        Stop();
        throw;
    }
    if (FReader->AtEnd())
        Finish();
}

void TTextDocumentLoader::Append(const QString& text)
{
    if (text.isEmpty())
        return;
    QTextCursor cursor(FDocument);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

void TTextDocumentLoader::Finish()
{
    FTimer.stop();
    FResult = FReader->Result();
    FReader.reset();
    FDocument->setUndoRedoEnabled(true);
    FDocument->setModified(false);
    FLoading = false;
    Q_EMIT Finished();
}

void TTextDocumentLoader::ReleaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
