#pragma once

#include "framework/graphics/Graphics.h"

#include <array>
#include <cstdint>

namespace fw {

class Picture;

// Pixel access to a picture's colours. It refers to the picture, which must
// outlive it.
class RGBSurface {
public:
    explicit RGBSurface(Picture& picture) : picture_(picture) {}

    // Replaces the red, green and blue value v of every pixel with map[v]; a map
    // value outside 0 to 255 is held to that range.
    using Map = std::array<int32_t, 256>;
    void Transform(const Map& map);

private:
    Picture& picture_;
};

} // namespace fw
