#include "UAlterImageDBViewForm.h"

#include "base/UAppException.h"
#include "dataview/UFieldDevice.h"
#include "platform/dac/UFieldDataLink.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

TAlterImageDBViewForm::TAlterImageDBViewForm(QWidget* parent) : TDBViewForm(parent)
{
    setObjectName(QStringLiteral("AlterImageDBViewForm"));
    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("tlbImage"));
    const struct {
        const char* name;
        const char* hint;
        TImageFit fit;
    } buttons[] = {{"btnFitHeight", "Fit Height", TImageFit::Height},
                   {"btnFitWidth", "Fit Width", TImageFit::Width},
                   {"btnNormalSize", "Normal Size", TImageFit::Normal}};
    for (const auto& b : buttons) {
        auto* button = new QToolButton(toolbar);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromLatin1(b.hint));
        button->setToolTip(QString::fromLatin1(b.hint));
        const TImageFit fit = b.fit;
        connect(button, &QToolButton::clicked, this, Guarded([this, fit](auto&&...) { Fit(fit); }));
        toolbar->addWidget(button);
    }
    FPanel = new QWidget(this);
    FPanel->setObjectName(QStringLiteral("Panel1"));
    FImage = new QLabel(FPanel);
    FImage->setObjectName(QStringLiteral("DBImage"));
    FImage->setAccessibleName(QStringLiteral("Image"));
    FImage->setScaledContents(true);
    FImage->move(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(FPanel, 1);
}

QString TAlterImageDBViewForm::GetFileFilter() const
{
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    const QString all = patterns.join(QLatin1Char(';'));
    return QStringLiteral("All (%1)|%1").arg(all);
}

void TAlterImageDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    TDBViewForm::SetDataLink(dataLink);
    ShowPicture();
}

void TAlterImageDBViewForm::DataChanged()
{
    ShowPicture();
}

// Reads the picture by its content, through the field's reader: a value that
// is no picture costs the decoder's look at its head, not a copy of it. A
// value that is no picture, or one too large to decode within Qt's
// allocation limit, only sets the flag.
void TAlterImageDBViewForm::ShowPicture()
{
    FLoadFailed = false;
    FPictureSize = QSize();
    FBytesRead = 0;
    FImage->clear();
    TField* field = Field();
    if (!field || field->IsNull())
        return;
    TFieldDevice value(*field);
    QImageReader reader(&value);
    reader.setDecideFormatFromContent(true);
    const QImage picture = reader.read();
    FBytesRead = value.BytesRead();
    if (picture.isNull()) {
        FLoadFailed = true;
        return;
    }
    FPictureSize = picture.size();
    FImage->setPixmap(QPixmap::fromImage(picture));
    FImage->setGeometry(QRect(QPoint(0, 0), FPictureSize));
}

void TAlterImageDBViewForm::Unload()
{
    TDBViewForm::Unload();
    FImage->clear();
    FPictureSize = QSize();
}

void TAlterImageDBViewForm::SaveToFile()
{
    QString fileName;
    if (!AskFileToSave(fileName))
        return;
    // Re-encoding could only lose quality (JPEG) or fail (GIF has no writer).
    WriteWholeFile(fileName, Field()->AsBytes());
    ReportSaved(fileName);
}

void TAlterImageDBViewForm::LoadFromFile()
{
    QString fileName;
    if (!AskFileToLoad(fileName))
        return;
    const QByteArray bytes = ReadWholeFile(fileName);
    if (!DataLink()->Edit())
        return;
    WriteValue(bytes);
    ShowPicture();
}

QSize TAlterImageDBViewForm::FitSize(TImageFit fit, QSize picture, QSize panel)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    switch (fit) {
    case TImageFit::Height: {
        const int height = std::min(picture.height(), panel.height());
        return {int(std::nearbyint(double(height) * picture.width() / picture.height())), height};
    }
    case TImageFit::Width: {
        const int width = std::min(picture.width(), panel.width());
        return {width, int(std::nearbyint(double(width) * picture.height() / picture.width()))};
    }
    case TImageFit::Normal:
        break;
    }
    return picture;
}

void TAlterImageDBViewForm::Fit(TImageFit fit)
{
    const QSize size = FitSize(fit, FPictureSize, FPanel->size());
    // With no picture the buttons do nothing.
    if (size.isEmpty())
        return;
    FImage->resize(size);
}
