#pragma once

#include "platform/carbon/CarbonLibrary.h"

#include <cstdint>

// Theme stand-ins over the application's Qt style and palette.
namespace carbon {

// The identifier of the appearance without a visual theme: Qt's plain "windows"
// style, the look without bevels and gradients. Every other style is
// "org.qt-project.style." followed by its name in lower case.
inline constexpr const char* kThemeNoAppearanceIdentifier = "org.qt-project.style.windows";

// Looked up by name ("Carbon") at every call.
using CopyThemeIdentifierFn = OSStatus (*)(CFStringRef* outIdentifier);
// A metric number the stand-in does not know gives paramErr and leaves the value.
using GetThemeMetricFn = OSStatus (*)(int32_t metric, int32_t* outValue);

// Theme colour numbers the interface kit asks for.
constexpr int32_t kThemeTextColorMenuItemActive = 34;
constexpr int32_t kThemeTextColorMenuItemDisabled = 36;
constexpr int32_t kThemeBrushIconLabelBackgroundSelected = 24;

// Linked. Fill a 6-byte record, red, green and blue as unsigned 16-bit numbers in
// the machine's order, from the application palette; other numbers give paramErr.
OSStatus GetThemeTextColor(int32_t color, int16_t depth, bool isColorDevice, void* outColor);
OSStatus GetThemeBrushAsColor(int32_t brush, int16_t depth, bool isColorDevice, void* outColor);

// Test seam: while set, both colour calls fail as a system without a theme would.
void SetThemeColorsUnavailableForTests(bool unavailable);

// Registers CopyThemeIdentifier and GetThemeMetric (InstallCarbonLibrary calls it).
void InstallThemeFunctions();

} // namespace carbon
