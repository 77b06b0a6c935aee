#include "USimpleRichDBViewForm.h"

#include "base/UAppException.h"
#include "dataview/URtfReader.h"
#include "dataview/URtfWriter.h"
#include "dataview/UValueText.h"
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
    FLoading = true;
    bool editable = true;
    QString note;
    if (!field) {
        FRichEdit->clear();
    } else {
        const QByteArray bytes = field->AsBytes();
        if (TRtfReader::IsRtf(bytes)) {
            const TRtfReader::TResult result = TRtfReader::Read(bytes, FRichEdit->document());
            editable = result.Editable;
            note = result.Note;
        } else {
            FRichEdit->setPlainText(TValueText::Decode(bytes, field->IsNull(), field->DataType()).Text());
        }
    }
    FLoading = false;
    FUserChanged = false;
    const bool canEdit = field && !DataLink()->ReadOnly() && DataLink()->CanModify();
    FRichEdit->setReadOnly(!canEdit || !editable);
    SetNote(note);
}

void TSimpleRichDBViewForm::DataChanged()
{
    ShowValue();
}

void TSimpleRichDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FLoading = true;
    FRichEdit->clear();
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
