#pragma once

#include <string>

namespace fw {

// What the runtime needs of an open window, so that it can keep the list of them,
// ask them to close when the application quits and release them at shut-down. The
// ui library's Window is the one kind there is.
class RuntimeWindow {
public:
    virtual ~RuntimeWindow() = default;
    // The class name under which the runtime finds the implicit instance.
    virtual std::string ClassName() const = 0;
    virtual bool IsOpen() const = 0;
    // Closes the window for a quit; false when the window cancelled it.
    virtual bool CloseForQuit() = 0;
    // Shows the window, also when minimised, and brings it to the front.
    virtual void BringToFront() = 0;
    // Releases the window's widgets at shut-down.
    virtual void DestroyWidget() = 0;
};

} // namespace fw
