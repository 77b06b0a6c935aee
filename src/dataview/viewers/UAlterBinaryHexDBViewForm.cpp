#include "UAlterBinaryHexDBViewForm.h"

#include "dataview/HexView.h"
#include "dataview/UStreamUtil.h"
#include "app/base/UException.h"
#include "platform/dac/UFieldDataLink.h"

#include <QBuffer>
#include <QFile>
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
    if (!Field())
        return;
    const QString fileName = AskSaveFileName();
    if (fileName.isEmpty())
        return;
    QBuffer stream;
    UStreamUtil::VariantToStream(FieldValue(), &stream);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(stream.buffer()) != stream.buffer().size()
        || !file.flush())
        throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
    file.close();
    ReportSaved(fileName);
}

void TAlterBinaryHexDBViewForm::LoadFromFile()
{
    TField* field = Field();
    if (!field)
        return;
    const QString fileName = AskOpenFileName();
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    stream.buffer() = file.readAll();
    DataLink()->Edit();
    FHexEditor->OpenNone();
    const QVariant value = UStreamUtil::StreamToVariant(&stream);
    if (value.isValid())
        field->SetAsBytes(value.toByteArray());
    else
        field->Clear();
    FHexEditor->OpenFile(fileName);
}
