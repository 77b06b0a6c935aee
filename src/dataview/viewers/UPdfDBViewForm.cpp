#include "UPdfDBViewForm.h"

#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/USystemUtil.h"
#include "dataview/UBlobTypeUtil.h"
#include "platform/dac/UFieldDataLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPdfDocument>
#include <QPdfView>
#include <QVBoxLayout>

namespace {

const QString Blank = QStringLiteral("_blank");

}  // namespace

TPdfDBViewForm::TPdfDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("PdfDBViewForm"));
    FDocument = new QPdfDocument(this);
    FView = new QPdfView(this);
    FView->setObjectName(QStringLiteral("PdfView"));
    FView->setAccessibleName(QStringLiteral("PDF"));
    FView->setPageMode(QPdfView::PageMode::MultiPage);
    FView->setDocument(FDocument);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FView);
}

QString TPdfDBViewForm::GetFileFilter() const
{
    return QStringLiteral("Pdf file (*.pdf)|*.pdf|All (*.*)|*.*");
}

QString TPdfDBViewForm::TempPdfPath()
{
    return GetAppDataDir() + QStringLiteral("/pharostine/temp.pdf");
}

void TPdfDBViewForm::SetSource(const QString& source)
{
    FSource = source;
    if (source == Blank)
        FDocument->close();
    else
        FDocument->load(source);
}

void TPdfDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    TField* field = Field();
    if (!field || !UBlobTypeUtil::IsPdf(*field))
        return;
    const QString path = TempPdfPath();
    const QString folder = QFileInfo(path).path();
    // The folder is the Open With tab's; it may not have been made yet.
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            throw EInOutError(QStringLiteral("Cannot create \"%1\"").arg(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    FDocument->close();
    if (QFileInfo::exists(path))
        QFile::remove(path);
    const QByteArray bytes = field->AsBytes();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, QFile::ReadOwner | QFile::WriteOwner) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw FileError("write", path, file.errorString());
    file.close();
    SetSource(path);
}

void TPdfDBViewForm::Unload()
{
    TDBViewForm::Unload();
    SetSource(Blank);
    QFile::remove(TempPdfPath());
}

void TPdfDBViewForm::LoadFromFile()
{
    const QString fileName = LoadFileIntoField();
    if (!fileName.isEmpty())
        SetSource(fileName);
}
