#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QPointer>
#include <memory>

class QFile;
class QIODevice;

// A read-only hex display: offset, 16 bytes in hex, then the bytes as
// characters. It paints only the lines in view, reading just their bytes from
// the source, and its scroll bar counts lines, so a value of any size shows at
// once and is never copied into text.
class HexView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int BytesPerLine = 16;

    explicit HexView(QWidget* parent = nullptr);
    ~HexView() override;

    // Shows a copy of bytes (implicitly shared, not copied).
    void OpenBytes(const QByteArray& bytes);
    // Shows a random-access device, read where needed; not owned, must outlive
    // the display or be replaced first.
    void OpenDevice(QIODevice* device);
    // Shows a file, mapped when it can be; raises when it cannot be opened.
    void OpenFile(const QString& fileName);
    // Shows nothing.
    void OpenNone();

    qint64 SourceSize() const;
    qint64 LineCount() const;
    qint64 FirstVisibleLine() const;
    int VisibleLineCount() const;
    // The last line painted by the latest paint, -1 before any.
    qint64 LastPaintedLine() const { return FLastPaintedLine; }
    // The text of one line from its bytes.
    static QString LineText(qint64 offset, const QByteArray& bytes, int offsetDigits = 8);
    // The text of a line of the current source.
    QString LineTextAt(qint64 line) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QByteArray ReadRange(qint64 offset, qint64 count) const;
    void SourceChanged();
    void UpdateScrollBars();
    int OffsetDigits() const;
    int LineHeight() const;

    QByteArray FBytes;
    QPointer<QIODevice> FDevice;
    std::unique_ptr<QFile> FFile;
    const uchar* FMapped = nullptr;
    qint64 FMappedSize = 0;
    bool FUseDevice = false;
    qint64 FLastPaintedLine = -1;
};
