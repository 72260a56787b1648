#include "framework/graphics/RGBSurface.h"

#include "framework/graphics/Picture.h"

#include <algorithm>

namespace fw {

void RGBSurface::Transform(const Map& map) {
    std::array<uint8_t, 256> table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<uint8_t>(std::clamp<int32_t>(map[i], 0, 255));
    for (int y = 0; y < picture_.Height(); ++y)
        for (QRgb& p : picture_.Row(y)) p = qRgb(table[qRed(p)], table[qGreen(p)], table[qBlue(p)]);
}

std::shared_ptr<RGBSurface> Picture::Surface() { return std::make_shared<RGBSurface>(*this); }

} // namespace fw
