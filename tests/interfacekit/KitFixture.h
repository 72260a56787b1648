#pragma once

#include "framework/core/Runtime.h"
#include "framework/ui/Window.h"
#include "platform/carbon/CarbonLibrary.h"
#include "tests/common/TestSupport.h"

#include <QApplication>

#include <string>
#include <utility>
#include <vector>

namespace kittest {

using testsupport::RgbAt;
using testsupport::SolidPicture;

// A new control of the given kind at the given place.
template <class C> std::shared_ptr<C> Placed(int left = 10, int top = 20, int width = 80, int height = 22) {
    auto control = std::make_shared<C>();
    control->Left = left, control->Top = top, control->Width = width, control->Height = height;
    return control;
}

// A constructed window holding the named controls, in their order; it owns them as a window's members would.
inline std::shared_ptr<fw::Window> OpenWindow(std::vector<std::pair<std::string, fw::ControlRef>> controls) {
    struct Holder : fw::Window {
        std::vector<std::pair<std::string, fw::ControlRef>> controls;
        void CreateControls() override { for (const auto& [name, control] : controls) AddControl(name, control); }
    };
    auto window = std::make_shared<Holder>();
    window->controls = std::move(controls);
    window->Construct();
    return window;
}

// Every kit test draws through the stand-in platform library and leaves no framework object behind.
class KitTest : public ::testing::Test {
protected:
    void SetUp() override { carbon::InstallCarbonLibrary(); }
    void TearDown() override { fw::Runtime::ReleaseFrameworkLists(); }
};

} // namespace kittest
