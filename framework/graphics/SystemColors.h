#pragma once

#include "framework/graphics/Graphics.h"

namespace fw {

// RGB: a colour from its red, green and blue values, each held to 0 to 255.
Color RGB(int red, int green, int blue);

// A colour's hue, saturation and value, each 0 to 1 (hue 0 for a grey).
struct HSVParts {
    double hue = 0;
    double saturation = 0;
    double value = 0;
};
HSVParts HSVOf(Color color);
// HSV: a colour from hue, saturation and value. Any numbers are taken: the hue
// wraps around the colour circle, saturation and value are held to 0 to 1, so a
// value below 0 gives black. NaN counts as 0.
Color HSV(double hue, double saturation, double value);

// The system's colours, read from the application palette at every call.
Color DisabledTextColor();
Color LightBevelColor();

} // namespace fw
