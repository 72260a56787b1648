#include "framework/RGBSurface.h"

#include "framework/Picture.h"

#include <algorithm>
#include <utility>

namespace fw {

namespace {

bool Inside(const Picture& picture, int x, int y) {
    return x >= 0 && y >= 0 && x < picture.Width() && y < picture.Height();
}

} // namespace

Color RGBSurface::Pixel(int x, int y) const {
    if (!Inside(picture_, x, y)) return 0;
    return Color(std::as_const(picture_).Row(y)[x]);
}

void RGBSurface::SetPixel(int x, int y, Color color) {
    if (Inside(picture_, x, y)) picture_.Row(y)[x] = color.ToQRgb();
}

void RGBSurface::Transform(const Map& map) {
    std::array<uint8_t, 256> table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<uint8_t>(std::clamp<int32_t>(map[i], 0, 255));
    for (int y = 0; y < picture_.Height(); ++y)
        for (QRgb& p : picture_.Row(y)) p = qRgb(table[qRed(p)], table[qGreen(p)], table[qBlue(p)]);
}

std::shared_ptr<RGBSurface> Picture::Surface() { return std::make_shared<RGBSurface>(*this); }

} // namespace fw
