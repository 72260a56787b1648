#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Picture.h"

#include <QSize>

namespace effects {

// Turns a picture by an angle in degrees (positive turns clockwise on screen). The
// result holds the whole turned source, on the background colour wherever the
// source does not reach; two sources of one size turned alike give one size. The
// source's mask is not looked at: whoever needs it turned turns it separately.
// Smooth resamples, edges included; NearestPixel keeps every pixel's colour as it was.
enum class RotationMethod { NearestPixel, Smooth };

class RotateEffect {
public:
    fw::PictureRef Apply(const fw::PictureRef& source, double angle, fw::Color backColor,
                         RotationMethod method);

    // The size of the turned picture: the turned rectangle's bounds, rounded up.
    static QSize TurnedSize(int width, int height, double angle);
};

} // namespace effects
