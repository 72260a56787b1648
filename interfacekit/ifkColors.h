#pragma once

#include "framework/graphics/Graphics.h"

#include <cstdint>

// The current theme's colours for the kit's drawing, asked of the platform at
// every call, each with a fixed fallback so that drawing never fails for want of
// a colour.
namespace ifkColors {

// True with the colour written to `c` when the theme answered; false with `c`
// left exactly as it was otherwise.
bool GetTextColor(int32_t id, fw::Color& c);
// Black when the theme does not answer.
fw::Color TextColor(int32_t id);
fw::Color rawThemeColor(int32_t brush);

fw::Color TextActive();
// The framework's disabled text colour when the theme does not answer.
fw::Color TextDisabled();
fw::Color IconLabelBackgroundSelected();

} // namespace ifkColors
