#pragma once

#include "dataview/UDBViewForm.h"

#include <QSize>

class QLabel;
class QToolButton;

// How the picture is fitted into its panel.
enum class TImageFit { Height, Width, Normal };

// The Image tab: the value as a picture at its natural size, with fitting to
// the panel's height or width. Also the probe of the viewer choice, which
// asks whether the value loads as a picture.
class TAlterImageDBViewForm : public TDBViewForm {
    Q_OBJECT

public:
    explicit TAlterImageDBViewForm(QWidget* parent = nullptr);

    TViewKind Kind() const override { return TViewKind::Image; }
    QString Caption() const override { return QStringLiteral("Image"); }
    // The picture formats the program reads.
    QString GetFileFilter() const override;
    void SetDataLink(TFieldDataLink* dataLink) override;
    void Unload() override;
    // Writes the value's bytes: the picture in its own format.
    void SaveToFile() override;
    void LoadFromFile() override;
    bool PictureLoaded() const override { return IsLoaded(); }

    bool IsLoaded() const { return !FLoadFailed; }
    QLabel* Image() const { return FImage; }
    QWidget* Panel() const { return FPanel; }
    QSize PictureSize() const { return FPictureSize; }
    // The bytes of the value the latest load read.
    qint64 BytesRead() const { return FBytesRead; }
    void Fit(TImageFit fit);

    // The picture's shown size; an empty size when there is no picture.
    // Halves round to the even neighbour; a picture never grows.
    static QSize FitSize(TImageFit fit, QSize picture, QSize panel);

protected:
    void DataChanged() override;

private:
    void ShowPicture();

    QWidget* FPanel;
    QLabel* FImage;
    QSize FPictureSize;
    qint64 FBytesRead = 0;
    bool FLoadFailed = false;
};
