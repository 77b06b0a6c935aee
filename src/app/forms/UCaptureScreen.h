#pragma once

#include <QString>

class QImage;
class QWidget;

// The JPEG quality of screen captures.
const int CaptureJpegQuality = 70;

// Writes image as a JPEG file (libjpeg) of that quality, readable by its owner
// only: to a temporary name beside it, then renamed over fileName. A failure
// raises EInOutError and leaves an existing file as it was.
void SaveJpegFile(const QImage& image, const QString& fileName, int quality);

// The picture of a window (its own drawing, so that it works under any
// window system) as a JPEG file of CaptureJpegQuality, replacing the file.
void CaptureScreenToJpeg(QWidget* window, const QString& fileName);
