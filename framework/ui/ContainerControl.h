#pragma once

#include "framework/ui/Window.h"

#include <QPoint>

namespace fw {

// A group of controls that sits in a window as one. To its controls it is their
// window, and their Left and Top are relative to it; it lies at (PlaceLeft,
// PlaceTop) of the window that holds it (ContainerControl.Window).
class ContainerControl : public Window {
public:
    std::string ClassName() const override { return "ContainerControl"; }
    Window* HostWindow = nullptr;
    int PlaceLeft = 0;
    int PlaceTop = 0;
};

// Where a control is drawn: the window that shows it, looking through one
// container, and the control's top-left corner in that window's content. The
// window is nil for a control that is in none.
struct ControlPlacement {
    Window* window = nullptr;
    QPoint place;
};
ControlPlacement PlacementOf(const Control& control);

// While it lives, the Graphics of the window that shows `control` draws into
// `pixels`, the control's own, moved so that window coordinates land in the
// control's place: what is drawn through the window there and what the control
// draws itself make one picture. Scopes nest.
class ControlPaintScope {
public:
    ControlPaintScope(const Control& control, Picture& pixels);
    ~ControlPaintScope();
    ControlPaintScope(const ControlPaintScope&) = delete;
    ControlPaintScope& operator=(const ControlPaintScope&) = delete;

private:
    Window* window_ = nullptr;
    Graphics::Frame previous_;
};

} // namespace fw
