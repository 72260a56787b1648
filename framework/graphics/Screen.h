#pragma once

#include <memory>
#include <string>
#include <vector>

namespace fw {

// One display, in global screen coordinates. The available area leaves out what the
// desktop reserves (panels, docks).
struct ScreenInfo {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int AvailableLeft = 0;
    int AvailableTop = 0;
    int AvailableWidth = 0;
    int AvailableHeight = 0;
};

using ScreenRef = std::shared_ptr<ScreenInfo>;

// The displays, the primary one first.
int ScreenCount();
// The display at the index; nil outside 0 to ScreenCount - 1.
ScreenRef Screen(int index);
// Tests script the displays; an empty list gives back the real ones.
void SetScreensForTests(std::vector<ScreenInfo> screens);

// The installed font families, each once by its plain name, in the platform's order.
int FontCount();
// The family at the index; empty outside 0 to FontCount - 1.
std::string Font(int index);
// Tests script the font list; an empty list gives back the installed fonts.
void SetFontsForTests(std::vector<std::string> fonts);
// Whether the family's own face draws every character of the text as a reader knows
// it: false for a symbol face, and for characters the face lacks.
bool FontDrawsText(const std::string& family, const std::string& text);

} // namespace fw
