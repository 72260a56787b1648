#pragma once

// The interface kit's shared drawing support: its enumerations, the questions a
// custom-drawn control asks before it paints, the bridge from a Graphics to a
// drawing context for the platform's theme calls, caption and icon drawing, and
// the icon variants. Sections: enumerations; controls; contexts; theme; caption;
// icons.

#include "framework/core/MemoryBlock.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Picture.h"
#include "framework/ui/Control.h"
#include "framework/ui/Window.h"

#include <cstdint>
#include <map>
#include <string>

// --- enumerations
enum class ifkThemeState : int32_t { Inactive = 0, Active = 1 };
enum class ifkTextStyle : int32_t { Normal = 0, Shadow = 1, Engraved = 2, EngravedInversed = 3 };
enum class ifkIconPlacement : int32_t { Left = 0, Top = 1 };
enum class ifkIconStyle : int32_t { Normal = 0, Disabled = 1, Pressed = 2, Engraved = 3, EngravedInversed = 4 };
// A caption's alignment is 3 x vertical + horizontal, each part one of these.
constexpr int32_t ifkAlignCenter = 0, ifkAlignLeft = 1, ifkAlignRight = 2;
constexpr int32_t ifkAlignMiddle = 0, ifkAlignTop = 1, ifkAlignBottom = 2;

namespace InterfaceKitSupport {

// --- controls (a nil control, or one in no window, raises NilObjectException)
// Visible, and on the shown page when its immediate parent is a page panel.
bool Displayable(const fw::Control* control);
ifkThemeState EnabledStatus(const fw::Control* control);
// The graphics of the window that shows the control, looking through one container.
fw::Graphics* getGraphics(const fw::Control* control);
// 16 bytes of singles: left, top, width, height in window coordinates.
fw::MemoryBlock getBounds(const fw::Control* control);
// 8 bytes of singles: the control's top-left corner on the screen.
fw::MemoryBlock getScreenXY(const fw::Control* control);

// --- contexts
// A drawing context on g (with flip, its origin top-left and y growing downward);
// 0 for a nil graphics, one without a port, or a context the platform refused.
int32_t CreateCGContext(fw::Graphics* g, bool flip);
// Ends a context CreateCGContext made; 0, an unknown context or one already
// released is ignored.
void ReleaseQDCGRef(int32_t context);
// QDRefs: each open context and the port it was begun on; nil before the first.
const std::map<int32_t, int32_t>* QDRefs();
// Program end: releases the table.
void ReleaseQDRefs();

// --- theme
// The platform's value of a theme metric, 0 when it gives none; the last three
// arguments are not used.
int32_t FixedSize(int32_t metric, fw::Window* window, const std::string& text, int32_t number);
// The theme identifier, empty when it cannot be read; the flag is not used.
std::string CurrentVisualTheme(bool flag);
bool isUsingVisualTheme();
std::string kThemeVisualStyleError();
// The window is left as it is: these styles have no effect here.
void _ChangeWindowStyle(fw::Window& window, int32_t style, bool on);

// --- caption
// Draws the caption, stripped of its mnemonic markers and cut to fit, and the
// icon as one block placed by alignment (3 x vertical + horizontal). A nil g
// raises NilObjectException.
void DrawCaptionAndIcon(fw::Graphics* g, const std::string& caption, int32_t x, int32_t y,
                        int32_t width, int32_t height, int32_t alignment, ifkTextStyle textStyle,
                        const fw::PictureRef& icon, ifkIconPlacement placement,
                        ifkIconStyle iconStyle, ifkThemeState state);

// --- icons: new pictures; the source looks as it did, though asking for its mask
// may give it an opaque one. A nil source raises NilObjectException.
fw::PictureRef AsDisabledIcon(const fw::PictureRef& p);
fw::PictureRef AsPressedIcon(const fw::PictureRef& p);
// One row taller: the shape again one pixel lower shows as a band under it.
fw::PictureRef AsEngraved(const fw::PictureRef& p);
fw::PictureRef AsEngravedInversed(const fw::PictureRef& p);

} // namespace InterfaceKitSupport
