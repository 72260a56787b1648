#include "interfacekit/ifkColors.h"

#include "framework/core/MemoryBlock.h"
#include "framework/graphics/SystemColors.h"
#include "platform/carbon/CarbonTheme.h"

#include <optional>

namespace ifkColors {

namespace {

constexpr int16_t kDepth = 32;
constexpr size_t kRecordSize = 6;

// A record component, 0 to 65535, onto 0 to 255, rounded to the nearest.
int Scaled(uint16_t v) { return static_cast<int>((v * 255u + 32767u) / 65535u); }

using ThemeCall = carbon::OSStatus (*)(int32_t, int16_t, bool, void*);

std::optional<fw::Color> Ask(ThemeCall call, int32_t id) {
    fw::MemoryBlock record(kRecordSize);
    if (call(id, kDepth, true, record.Ptr()) != carbon::noErr) return std::nullopt;
    return fw::RGB(Scaled(record.UInt16Value(0)), Scaled(record.UInt16Value(2)),
                   Scaled(record.UInt16Value(4)));
}

} // namespace

bool GetTextColor(int32_t id, fw::Color& c) {
    const auto color = Ask(&carbon::GetThemeTextColor, id);
    if (color) c = *color;
    return color.has_value();
}

fw::Color TextColor(int32_t id) { return Ask(&carbon::GetThemeTextColor, id).value_or(0x000000); }

fw::Color rawThemeColor(int32_t brush) {
    return Ask(&carbon::GetThemeBrushAsColor, brush).value_or(0x000000);
}

fw::Color TextActive() { return TextColor(carbon::kThemeTextColorMenuItemActive); }

fw::Color TextDisabled() {
    fw::Color c = 0x000000;
    if (!GetTextColor(carbon::kThemeTextColorMenuItemDisabled, c)) return fw::DisabledTextColor();
    return c;
}

fw::Color IconLabelBackgroundSelected() {
    return rawThemeColor(carbon::kThemeBrushIconLabelBackgroundSelected);
}

} // namespace ifkColors
