#pragma once

#include "platform/carbon/CarbonLibrary.h"

#include <QRectF>

#include <cstddef>
#include <cstdint>
#include <functional>

// The theme-button drawing stand-in, linked. It draws with the application's Qt
// style, so a theme button looks native on the desktop the program runs on; the
// numbers it takes are the platform's.
namespace carbon {

// The drawing record: 18 bytes, zero-filled beyond the fields, numbers in the
// machine's order.
constexpr size_t kThemeButtonRecordSize = 18;
constexpr size_t kThemeButtonStateOffset = 4;      // 32-bit
constexpr size_t kThemeButtonKindOffset = 8;       // 16-bit
constexpr size_t kThemeButtonValueOffset = 10;     // 16-bit
constexpr size_t kThemeButtonAdornmentOffset = 12; // 16-bit
// The bounds and the label rectangle: four singles, left, top, width, height.
constexpr size_t kThemeRectSize = 16;

constexpr uint32_t kThemeStateInactive = 0;
constexpr uint32_t kThemeStateActive = 1;
constexpr uint32_t kThemeStatePressed = 2;
constexpr uint32_t kThemeStateRollover = 6;

constexpr uint16_t kThemeButtonOff = 0;
constexpr uint16_t kThemeButtonOn = 1;
constexpr uint16_t kThemeButtonMixed = 2;

constexpr uint16_t kThemeAdornmentDefault = 1;
constexpr uint16_t kThemeAdornmentFocus = 4;
constexpr uint16_t kThemeAdornmentMixed = 256;
constexpr uint16_t kThemeAdornmentOn = 512;

// Draws the record's kind of button with its state, value and adornments into the
// bounds, in the context's units, and writes the rectangle left for a label.
// paramErr, with nothing drawn, for a missing argument or a context not open.
OSStatus HIThemeDrawButton(const void* bounds, const void* drawInfo, int32_t context,
                           int32_t orientation, void* outLabelRect);

// Test seam: every button the stand-in is asked to draw into an open context.
struct ThemeButtonDraw {
    QRectF bounds;
    uint32_t state = 0;
    uint16_t kind = 0;
    uint16_t value = 0;
    uint16_t adornment = 0;
};
void SetThemeButtonObserver(std::function<void(const ThemeButtonDraw&)> observer);

} // namespace carbon
