#include "framework/RGBSurface.h"

#include "framework/Picture.h"

#include <algorithm>

namespace fw {

Color RGBSurface::Pixel(int x, int y) const {
    const QImage& image = picture_.Image();
    if (!image.valid(x, y)) return 0;
    return Color(image.pixel(x, y));
}

void RGBSurface::SetPixel(int x, int y, Color color) {
    QImage& image = picture_.Image();
    if (image.valid(x, y)) image.setPixel(x, y, color.ToQRgb());
}

void RGBSurface::Transform(const Map& map) {
    std::array<uint8_t, 256> table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<uint8_t>(std::clamp<int32_t>(map[i], 0, 255));
    QImage& image = picture_.Image();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            row[x] = qRgb(table[qRed(p)], table[qGreen(p)], table[qBlue(p)]);
        }
    }
}

std::shared_ptr<RGBSurface> Picture::Surface() { return std::make_shared<RGBSurface>(*this); }

} // namespace fw
