// Photo-like pictures for the benchmarks that decode photos.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <cstdint>

namespace sb::bench {

// A photo-like picture: soft light, a few shapes and fine grain, so that the
// JPEG holds about as much detail as a camera's.
inline QImage makePhoto(int seed, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t state = 2463534242u + static_cast<std::uint32_t>(seed) * 977u;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int grain = static_cast<int>(state & 15) - 8;
            const int r = (x * 200 / width + seed * 5) % 256 + grain;
            const int g = (y * 180 / height + 40) + grain;
            const int b = ((x + y) * 120 / (width + height) + 90) + grain;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 12; ++k) {
        painter.setBrush(QColor::fromHsv((seed * 37 + k * 29) % 360, 160, 220, 150));
        painter.setPen(QPen(Qt::black, 6));
        const int cx = (seed * 613 + k * 997) % width;
        const int cy = (seed * 389 + k * 541) % height;
        painter.drawEllipse(QPoint(cx, cy), 200 + k * 40, 150 + k * 25);
    }
    return image;
}

}  // namespace sb::bench
