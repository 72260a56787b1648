#pragma once

#include "framework/Graphics.h"
#include "framework/Picture.h"

namespace effects {

// Turns a picture by an angle in degrees (positive turns clockwise on screen). The
// result holds the whole turned source, on the background colour wherever the
// source does not reach; two sources of one size turned alike give one size.
class RotateEffect {
public:
    // Method 1 resamples smoothly; any other method takes the nearest pixel.
    fw::PictureRef Apply(const fw::PictureRef& source, double angle, fw::Color backColor, int method);
};

} // namespace effects
