#pragma once

#include "platform/carbon/CarbonLibrary.h"

#include <QTransform>

#include <cstdint>
#include <functional>
#include <optional>

class QPainter;

// The drawing-context bridge, linked. A port is a framework Graphics' Handle(2); a
// context is a number, never 0, for drawing onto a port. A new context's units are
// the port's pixels with the origin at its bottom-left corner and y growing
// upward; CGContextTranslateCTM and CGContextScaleCTM change them as the platform's
// calls do (the new step applies before the existing ones).
namespace carbon {

OSStatus QDBeginCGContext(int32_t port, int32_t* outContext);
// Ends a context begun on that port and sets the variable to 0; paramErr for a
// context that is not open on the port.
OSStatus QDEndCGContext(int32_t port, int32_t* inoutContext);
void CGContextTranslateCTM(int32_t context, float tx, float ty);
void CGContextScaleCTM(int32_t context, float sx, float sy);

// For the stand-ins that draw into a context (theme buttons, icons): runs `draw`
// with a painter on the port's pixels whose transform maps the context's units;
// false, and nothing drawn, for a context that is not open or whose port is gone.
bool DrawInContext(int32_t context, const std::function<void(QPainter&)>& draw);
// The context's current transformation (CTM) of its units; nullopt when not open.
std::optional<QTransform> ContextTransform(int32_t context);
int OpenContextCount();

} // namespace carbon
