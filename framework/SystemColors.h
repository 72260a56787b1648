#pragma once

#include "framework/Graphics.h"

namespace fw {

// RGB: a colour from its red, green and blue values, each held to 0 to 255.
Color RGB(int red, int green, int blue);

// The system's colours, read from the application palette at every call.
Color DisabledTextColor();
Color LightBevelColor();

} // namespace fw
