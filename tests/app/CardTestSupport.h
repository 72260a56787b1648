#pragma once

#include "framework/Canvas.h"
#include "framework/FolderItem.h"
#include "framework/Picture.h"

#include "tests/common/TestSupport.h"

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <string>

// Photos and pixel helpers shared by the composer's interaction tests. Photos are
// made here rather than checked in, so their content is exactly what a test needs.
namespace cardtest {

inline QImage Solid(int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Every column a different colour, so that a shifted crop shows.
inline QImage ColumnRamp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, (x / 256) * 60, (y * 255) / std::max(1, height - 1)));
    return image;
}

inline std::string WriteJpeg(const testsupport::ScratchDir& dir, const std::string& name,
                             const QImage& image) {
    const std::string path = dir.File(name);
    image.save(QString::fromStdString(path), "JPEG", 95);
    return path;
}

inline fw::FolderItemRef Item(const std::string& path) { return fw::FolderItem::FromPath(path); }

inline QImage Pixels(const fw::PictureRef& picture) {
    return picture->Image().convertToFormat(QImage::Format_RGB32);
}

// JPEG shifts flat colours by a few steps.
inline bool Near(QRgb a, QRgb b, int tolerance = 12) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Paints over the canvas's backing picture so that a test can tell whether the card
// was drawn again afterwards.
inline void Scribble(fw::Canvas& canvas) {
    fw::Graphics& g = canvas.GetGraphics();
    g.ForeColor = 0x00FF00;
    g.FillRect(0, 0, canvas.Width, canvas.Height);
}

} // namespace cardtest
