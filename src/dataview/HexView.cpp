#include "HexView.h"

#include "base/UException.h"
#include "base/UFileUtil.h"

#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <limits>

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent)
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    setFont(font);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("Hex"));
    setFocusPolicy(Qt::StrongFocus);
    UpdateScrollBars();
}

HexView::~HexView() = default;

void HexView::OpenBytes(const QByteArray& bytes)
{
    OpenNone();
    FBytes = bytes;
    SourceChanged();
}

void HexView::OpenDevice(QIODevice* device)
{
    OpenNone();
    FDevice = device;
    FUseDevice = device != nullptr;
    SourceChanged();
}

void HexView::OpenFile(const QString& fileName)
{
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::ReadOnly))
        throw FileError("open", fileName, file->errorString());
    OpenNone();
    FFile = std::move(file);
    if (FFile->size() > 0)
        FMapped = FFile->map(0, FFile->size());
    if (FMapped) {
        FMappedSize = FFile->size();
    } else {
        FDevice = FFile.get();
        FUseDevice = true;
    }
    SourceChanged();
}

void HexView::OpenNone()
{
    FBytes.clear();
    FDevice = nullptr;
    FUseDevice = false;
    if (FFile && FMapped)
        FFile->unmap(const_cast<uchar*>(FMapped));
    FMapped = nullptr;
    FMappedSize = 0;
    FFile.reset();
    SourceChanged();
}

qint64 HexView::SourceSize() const
{
    if (FMapped)
        return FMappedSize;
    if (FUseDevice)
        return FDevice ? FDevice->size() : 0;
    return FBytes.size();
}

qint64 HexView::LineCount() const
{
    return (SourceSize() + BytesPerLine - 1) / BytesPerLine;
}

qint64 HexView::FirstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int HexView::VisibleLineCount() const
{
    return qMax(1, viewport()->height() / LineHeight());
}

QByteArray HexView::ReadRange(qint64 offset, qint64 count) const
{
    const qint64 size = SourceSize();
    if (offset >= size || count <= 0)
        return {};
    count = qMin(count, size - offset);
    if (FMapped)
        return QByteArray(reinterpret_cast<const char*>(FMapped + offset), count);
    if (FUseDevice) {
        if (!FDevice || !FDevice->seek(offset))
            return {};
        return FDevice->read(count);
    }
    return FBytes.mid(offset, count);
}

QString HexView::LineText(qint64 offset, const QByteArray& bytes, int offsetDigits)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text = QStringLiteral("%1  ").arg(offset, offsetDigits, 16, QLatin1Char('0')).toUpper();
    QString chars;
    for (int i = 0; i < BytesPerLine; ++i) {
        if (i == BytesPerLine / 2)
            text += QLatin1Char(' ');
        if (i < bytes.size()) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            text += QLatin1Char(digits[b >> 4]);
            text += QLatin1Char(digits[b & 0xF]);
            text += QLatin1Char(' ');
            chars += b >= 0x20 && b < 0x7F ? QChar(b) : QLatin1Char('.');
        } else {
            text += QStringLiteral("   ");
        }
    }
    return text + QLatin1Char(' ') + chars;
}

QString HexView::LineTextAt(qint64 line) const
{
    return LineText(line * BytesPerLine, ReadRange(line * BytesPerLine, BytesPerLine), OffsetDigits());
}

int HexView::OffsetDigits() const
{
    return SourceSize() > 0xFFFFFFFFLL ? 12 : 8;
}

int HexView::LineHeight() const
{
    return qMax(1, fontMetrics().height());
}

void HexView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    const int lineHeight = LineHeight();
    const qint64 first = FirstVisibleLine();
    const qint64 last = qMin(LineCount() - 1, first + VisibleLineCount());
    const int left = 4 - horizontalScrollBar()->value();
    // One read for the whole screen.
    const QByteArray screen = ReadRange(first * BytesPerLine, (last - first + 1) * BytesPerLine);
    const int digits = OffsetDigits();
    for (qint64 line = first; line <= last; ++line) {
        const qint64 at = (line - first) * BytesPerLine;
        const QString text = LineText(line * BytesPerLine, screen.mid(at, BytesPerLine), digits);
        painter.drawText(left, int(line - first) * lineHeight + fontMetrics().ascent(), text);
    }
    FLastPaintedLine = last;
}

void HexView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void HexView::SourceChanged()
{
    verticalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
}

void HexView::UpdateScrollBars()
{
    const qint64 lines = LineCount();
    const int page = VisibleLineCount();
    const qint64 maximum = qBound<qint64>(0, lines - page, qint64(std::numeric_limits<int>::max()));
    verticalScrollBar()->setRange(0, int(maximum));
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setSingleStep(1);
    const int width = fontMetrics().horizontalAdvance(LineText(0, QByteArray(BytesPerLine, 0), OffsetDigits())) + 8;
    horizontalScrollBar()->setRange(0, qMax(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}
