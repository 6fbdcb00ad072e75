#include "exercise/Gradient.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One row of one colour. The whole image (about 2 MB for the window) is
// larger than the caches, so on SSE2 the bulk goes out with streaming
// stores, which roughly halve the time against ordinary stores.
void fillRow(QRgb *row, int width, QRgb colour)
{
#if defined(__SSE2__)
    int x = 0;
    for (; x < width && (reinterpret_cast<std::uintptr_t>(row + x) & 15U) != 0; ++x)
        row[x] = colour;
    const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
    for (; x + 4 <= width; x += 4)
        _mm_stream_si128(reinterpret_cast<__m128i *>(row + x), four);
    for (; x < width; ++x)
        row[x] = colour;
#else
    std::fill_n(row, width, colour);
#endif
}

int levelOf(int shade) { return std::clamp(10 * shade, 0, 255); }
int bandTop(int band, int height) { return band * height / 256; }

} // namespace

void paintGradient(QImage &image, int shade)
{
    if (image.isNull())
        return;

    const int level = levelOf(shade);
    const int width = image.width();
    const int height = image.height(); // device pixels, whatever the ratio

    const QImage::Format format = image.format();
    const bool packed32 = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;

    if (!packed32) {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (int i = 0; i < 256; ++i) {
            const int top = bandTop(i, height);
            const int bottom = bandTop(i + 1, height);
            if (bottom > top)
                painter.fillRect(QRect(0, top, width, bottom - top), QColor(level, level, i));
        }
        return;
    }

    // Opaque colours are the same in all three 32-bit layouts, so the rows
    // can be written directly.
    uchar *bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = qRgb(level, level, i);
        const int bottom = bandTop(i + 1, height);
        for (int y = bandTop(i, height); y < bottom; ++y)
            fillRow(reinterpret_cast<QRgb *>(bits + y * stride), width, colour);
    }
#if defined(__SSE2__)
    _mm_sfence(); // streaming stores are weakly ordered
#endif
}

void paintGradient(QPainter &painter, const QSize &size, int shade, const QRect &exposed)
{
    const qreal ratio = painter.device()->devicePixelRatio();
    const int level = levelOf(shade);
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    const int width = pixels.width();
    const int height = pixels.height();
    // Only the bands the exposed rows cross: a caption repainted over the
    // gradient costs a few bands, not 256.
    const QRect rows(QPoint(qFloor(exposed.left() * ratio), qFloor(exposed.top() * ratio)),
                     QPoint(qCeil((exposed.right() + 1) * ratio) - 1, qCeil((exposed.bottom() + 1) * ratio) - 1));
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    for (int i = 0; i < 256; ++i) {
        const int top = bandTop(i, height);
        const int bottom = bandTop(i + 1, height);
        if (bottom <= rows.top() || top > rows.bottom() || bottom == top)
            continue;
        painter.fillRect(QRect(0, top, width, bottom - top) & rows, QColor(level, level, i));
    }
    painter.restore();
}
