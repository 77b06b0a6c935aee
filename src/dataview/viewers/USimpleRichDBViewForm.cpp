#include "USimpleRichDBViewForm.h"

#include "base/UAppException.h"
#include "dataview/UBlobTypeUtil.h"
#include "dataview/URtfReader.h"
#include "dataview/URtfWriter.h"
#include "dataview/UTextDocumentLoader.h"
#include "platform/dac/UFieldDataLink.h"

#include <QTextEdit>
#include <QVBoxLayout>

TSimpleRichDBViewForm::TSimpleRichDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("SimpleRichDBViewForm"));
    FRichEdit = new QTextEdit(this);
    FRichEdit->setObjectName(QStringLiteral("DBRichEdit"));
    FRichEdit->setAccessibleName(QStringLiteral("Rich"));
    FRichEdit->setAcceptRichText(true);
    FRichEdit->document()->setDefaultFont(QFont(QStringLiteral("Tahoma"), 8));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FRichEdit);
    connect(FRichEdit, &QTextEdit::textChanged, this, Guarded([this](auto&&...) { TextChanged(); }));
    FLoader = new TTextDocumentLoader(FRichEdit->document(), this);
    // The rich-text layout takes about a second per MiB of text.
    FLoader->SetPieceSize(RichPiece);
    connect(FLoader, &TTextDocumentLoader::Finished, this, Guarded([this](auto&&...) { ValueShown(); }));
}

QString TSimpleRichDBViewForm::GetFileFilter() const
{
    return QStringLiteral("Rich text file (*.rtf)|*.rtf|Txet file (*.txt)|*.txt|All (*.*)|*.*");
}

void TSimpleRichDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    ShowValue();
}

void TSimpleRichDBViewForm::ShowValue()
{
    TField* field = Field();
    FRichEdit->setReadOnly(true);
    FUserChanged = false;
    FEditable = true;
    SetNote(QString());
    FLoading = true;
    if (field && TRtfReader::IsRtf(UBlobTypeUtil::Head(*field, RtfMarkSize))) {
        FLoader->Unload();
        const TRtfReader::TResult result = TRtfReader::Read(field->AsBytes(), FRichEdit->document());
        FEditable = result.Editable;
        SetNote(result.Note);
        ValueShown();
    } else if (field) {
        // Not rich text: read as plain text the way the Text tab reads it.
        FLoader->Start(*field);
        FRichEdit->moveCursor(QTextCursor::Start);
    } else {
        FLoader->Unload();
        ValueShown();
    }
}

void TSimpleRichDBViewForm::ValueShown()
{
    FLoading = false;
    const bool canEdit = Field() && !DataLink()->ReadOnly() && DataLink()->CanModify();
    FRichEdit->setReadOnly(!canEdit || !FEditable);
}

void TSimpleRichDBViewForm::DataChanged()
{
    ShowValue();
}

void TSimpleRichDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FLoading = true;
    FLoader->Unload();
    FLoading = false;
    FUserChanged = false;
}

void TSimpleRichDBViewForm::TextChanged()
{
    if (FLoading || !Bound() || FRichEdit->isReadOnly())
        return;
    if (DataLink()->Edit()) {
        DataLink()->SetModified();
        FUserChanged = true;
    }
}

void TSimpleRichDBViewForm::CommitToField()
{
    if (!Bound() || !FUserChanged || !DataLink()->Editing())
        return;
    WriteValue(TRtfWriter::Write(FRichEdit->document()));
    FUserChanged = false;
}
