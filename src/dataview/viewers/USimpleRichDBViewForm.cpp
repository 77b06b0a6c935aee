#include "USimpleRichDBViewForm.h"

#include "base/UAppException.h"
#include "dataview/UBlobTypeUtil.h"
#include "dataview/URtfReader.h"
#include "dataview/URtfWriter.h"
#include "dataview/UTextDocumentLoader.h"
#include "dataview/UValueTextEdit.h"
#include "platform/dac/UFieldDataLink.h"

#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

TSimpleRichDBViewForm::TSimpleRichDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("SimpleRichDBViewForm"));
    const QFont font(QStringLiteral("Tahoma"), 8);
    FRichEdit = new QTextEdit(this);
    FRichEdit->setObjectName(QStringLiteral("DBRichEdit"));
    FRichEdit->setAccessibleName(QStringLiteral("Rich"));
    FRichEdit->setAcceptRichText(true);
    FRichEdit->document()->setDefaultFont(font);
    // A rich-text layout takes about a second per MiB: a value that is no
    // rich text goes where the Text tab's costs apply. Its document takes the
    // editor's font, so its edit is written in the same font as a rich one.
    FPlainEdit = new TValueTextEdit(this);
    FPlainEdit->setObjectName(QStringLiteral("DBRichPlainEdit"));
    FPlainEdit->setAccessibleName(QStringLiteral("Rich"));
    FPlainEdit->setFont(font);
    FEditors = new QStackedWidget(this);
    FEditors->addWidget(FRichEdit);
    FEditors->addWidget(FPlainEdit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FEditors);
    connect(FRichEdit, &QTextEdit::textChanged, this, Guarded([this](auto&&...) { TextChanged(); }));
    connect(FPlainEdit, &QPlainTextEdit::textChanged, this, Guarded([this](auto&&...) { TextChanged(); }));
    connect(FPlainEdit, &TValueTextEdit::Loaded, this, Guarded([this](auto&&...) { ValueShown(); }));
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

bool TSimpleRichDBViewForm::ShowsPlainText() const
{
    return FEditors->currentWidget() == FPlainEdit;
}

const QTextDocument* TSimpleRichDBViewForm::ShownDocument() const
{
    return ShowsPlainText() ? FPlainEdit->document() : FRichEdit->document();
}

void TSimpleRichDBViewForm::ShowValue()
{
    TField* field = Field();
    FRichEdit->setReadOnly(true);
    FPlainEdit->setReadOnly(true);
    FUserChanged = false;
    FEditable = true;
    SetNote(QString());
    FLoading = true;
    // Only one editor holds a value at a time.
    Empty();
    if (field && TRtfReader::IsRtf(UBlobTypeUtil::Head(*field, RtfMarkSize))) {
        FEditors->setCurrentWidget(FRichEdit);
        const TRtfReader::TResult result = TRtfReader::Read(field->AsBytes(), FRichEdit->document());
        FEditable = result.Editable;
        SetNote(result.Note);
        ValueShown();
    } else if (field) {
        FEditors->setCurrentWidget(FPlainEdit);
        FPlainEdit->Load(*field);
    } else {
        ValueShown();
    }
}

void TSimpleRichDBViewForm::ValueShown()
{
    FLoading = false;
    const bool canEdit = Field() && !DataLink()->ReadOnly() && DataLink()->CanModify() && FEditable;
    FRichEdit->setReadOnly(!canEdit);
    FPlainEdit->setReadOnly(!canEdit);
}

void TSimpleRichDBViewForm::DataChanged()
{
    ShowValue();
}

void TSimpleRichDBViewForm::Empty()
{
    FPlainEdit->Unload();
    TTextDocumentLoader::Empty(FRichEdit->document());
}

void TSimpleRichDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FLoading = true;
    Empty();
    FLoading = false;
    FUserChanged = false;
}

void TSimpleRichDBViewForm::TextChanged()
{
    if (FLoading || !Bound() || (ShowsPlainText() ? FPlainEdit->isReadOnly() : FRichEdit->isReadOnly()))
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
    WriteValue(TRtfWriter::Write(ShownDocument()));
    FUserChanged = false;
}
