#include "UValueTextEdit.h"

#include "UTextDocumentLoader.h"

TValueTextEdit::TValueTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    FLoader = new TTextDocumentLoader(document(), this);
    connect(FLoader, &TTextDocumentLoader::Finished, this, &TValueTextEdit::Loaded);
}

void TValueTextEdit::Load(const TField& field)
{
    // Nothing can be typed into a half-loaded text.
    setReadOnly(true);
    FLoader->Start(field);
    // At the start, as a text set whole; the pieces go in behind it.
    moveCursor(QTextCursor::Start);
}

void TValueTextEdit::Unload()
{
    FLoader->Unload();
}

bool TValueTextEdit::Loading() const
{
    return FLoader->Loading();
}

const TValueText& TValueTextEdit::Result() const
{
    return FLoader->Result();
}
