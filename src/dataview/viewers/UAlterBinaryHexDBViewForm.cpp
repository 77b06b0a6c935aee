#include "UAlterBinaryHexDBViewForm.h"

#include "dataview/HexView.h"
#include "dataview/UStreamUtil.h"
#include "platform/dac/UFieldDataLink.h"

#include <QBuffer>
#include <QVBoxLayout>

TAlterBinaryHexDBViewForm::TAlterBinaryHexDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("AlterBinaryHexDBViewForm"));
    FHexEditor = new HexView(this);
    FHexEditor->setObjectName(QStringLiteral("HexEditor"));
    FStream = new QBuffer(this);
    FStream->open(QIODevice::ReadWrite);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FHexEditor);
}

QVariant TAlterBinaryHexDBViewForm::FieldValue() const
{
    TField* field = Field();
    if (!field || field->IsNull())
        return QVariant();
    return QVariant(field->AsBytes());
}

void TAlterBinaryHexDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    ShowValue();
}

void TAlterBinaryHexDBViewForm::ShowValue()
{
    UStreamUtil::VariantToStream(FieldValue(), FStream);
    FHexEditor->OpenBytes(FStream->buffer());
}

void TAlterBinaryHexDBViewForm::DataChanged()
{
    ShowValue();
}

void TAlterBinaryHexDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FHexEditor->OpenNone();
    UStreamUtil::VariantToStream(QVariant(), FStream);
}

void TAlterBinaryHexDBViewForm::SaveToFile()
{
    QString fileName;
    if (!AskFileToSave(fileName))
        return;
    QBuffer stream;
    UStreamUtil::VariantToStream(FieldValue(), &stream);
    WriteWholeFile(fileName, stream.buffer());
    ReportSaved(fileName);
}

void TAlterBinaryHexDBViewForm::LoadFromFile()
{
    QString fileName;
    if (!AskFileToLoad(fileName))
        return;
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    stream.buffer() = ReadWholeFile(fileName);
    DataLink()->Edit();
    FHexEditor->OpenNone();
    const QVariant value = UStreamUtil::StreamToVariant(&stream);
    try {
        if (value.isValid())
            Field()->SetAsBytes(value.toByteArray());
        else
            Field()->Clear();
    } catch (...) {
        // Refused: the value stays, and so does its display.
        ShowValue();
        throw;
    }
    FHexEditor->OpenFile(fileName);
}
