#pragma once

#include "platform/carbon/CarbonLibrary.h"

#include <QImage>

#include <cstdint>

// Stand-ins for the system's icon services. The only icon this system knows is
// the running application's own: asked for by its creator code and the type
// "APPL", it is the picture "AppIcon.png" of the bundle's Resources folder.
namespace carbon {

using OSErr = int16_t;
using IconRef = int32_t;
constexpr int16_t kOnSystemDisk = -32768;
constexpr OSErr fnfErr = -43;
constexpr OSErr invalidIconRefErr = -2580;
constexpr uint32_t kApplicationIconType = 0x4150504C;   // "APPL"

// Fills `iconRef` with a new reference to the icon (0 and fnfErr when there is none).
OSErr GetIconRef(int16_t vRefNum, uint32_t creator, uint32_t iconType, IconRef* iconRef);
bool IsValidIconRef(IconRef iconRef);
// Draws the icon into a drawing context (see CarbonDrawing.h), upright, scaled into
// the rectangle: four 32-bit floats in the machine's byte order, x, y, width,
// height, in the context's units. The label colour (three 16-bit components) and
// the flags are not applied; alignment and transform must be 0 (none), else
// paramErr. paramErr also for a context that is not open or an icon not held.
OSStatus PlotIconRefInContext(int32_t context, const uint8_t* rect, int16_t align, int16_t transform,
                              const uint8_t* labelColor, uint32_t flags, IconRef iconRef);
// Gives the reference back; invalidIconRefErr for one that is not held.
OSErr ReleaseIconRef(IconRef iconRef);
// The icon's pixels with their transparency; null for a reference that is not held.
QImage IconImage(IconRef iconRef);

} // namespace carbon
