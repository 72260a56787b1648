#include "framework/ui/ContainerControl.h"

namespace fw {

ControlPlacement PlacementOf(const Control& control) {
    ControlPlacement placement{control.GetWindow(), QPoint(control.Left, control.Top)};
    if (auto* box = dynamic_cast<ContainerControl*>(placement.window)) {
        placement.window = box->HostWindow;
        placement.place += QPoint(box->PlaceLeft, box->PlaceTop);
    }
    return placement;
}

ControlPaintScope::ControlPaintScope(const Control& control, Picture& pixels) {
    const ControlPlacement placement = PlacementOf(control);
    window_ = placement.window;
    if (window_) previous_ = window_->BeginControlPaint(pixels, placement.place);
}

ControlPaintScope::~ControlPaintScope() {
    if (window_) window_->EndControlPaint(previous_);
}

} // namespace fw
