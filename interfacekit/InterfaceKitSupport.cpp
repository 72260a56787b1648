#include "interfacekit/InterfaceKitSupport.h"

#include "framework/core/Exceptions.h"
#include "framework/core/System.h"
#include "framework/ui/ContainerControl.h"
#include "framework/ui/PagePanel.h"
#include "platform/carbon/CarbonDrawing.h"
#include "platform/carbon/CarbonTheme.h"

#include <memory>

namespace InterfaceKitSupport {

namespace {

std::unique_ptr<std::map<int32_t, int32_t>>& Refs() {
    static std::unique_ptr<std::map<int32_t, int32_t>> refs;
    return refs;
}

fw::ControlPlacement PlacementIn(const fw::Control* control) {
    const fw::ControlPlacement placement = fw::PlacementOf(fw::Deref(control));
    fw::Deref(placement.window);
    return placement;
}

fw::MemoryBlock Singles(std::initializer_list<double> values) {
    fw::MemoryBlock block(values.size() * sizeof(float));
    size_t offset = 0;
    for (double v : values) {
        block.SetSingleValue(offset, static_cast<float>(v));
        offset += sizeof(float);
    }
    return block;
}

} // namespace

bool Displayable(const fw::Control* control) {
    const fw::Control& c = fw::Deref(control);
    if (!c.Visible()) return false;
    // A page panel's Value counts from 0 and a control's page from 1: the control
    // shows when its page is the one after Value.
    if (auto panel = std::dynamic_pointer_cast<fw::PagePanel>(c.Parent))
        return panel->Value() + 1 == c.PanelIndex;
    return true;
}

ifkThemeState EnabledStatus(const fw::Control* control) {
    const fw::Control& c = fw::Deref(control);
    return c.Enabled() && c.Active() ? ifkThemeState::Active : ifkThemeState::Inactive;
}

fw::Graphics* getGraphics(const fw::Control* control) {
    return &PlacementIn(control).window->GetGraphics();
}

fw::MemoryBlock getBounds(const fw::Control* control) {
    const QPoint place = PlacementIn(control).place;
    return Singles({double(place.x()), double(place.y()), double(control->Width), double(control->Height)});
}

fw::MemoryBlock getScreenXY(const fw::Control* control) {
    const fw::ControlPlacement placement = PlacementIn(control);
    return Singles({double(placement.place.x() + placement.window->Left()),
                    double(placement.place.y() + placement.window->Top())});
}

int32_t CreateCGContext(fw::Graphics* g, bool flip) {
    if (!g) return 0;
    const int32_t port = g->Handle(fw::Graphics::kPortHandle);
    if (port == 0) return 0;
    g->ClearRect(0, 0, 0, 0);
    int32_t context = 0;
    const carbon::OSStatus status = carbon::QDBeginCGContext(port, &context);
    if (status != carbon::noErr) {
        fw::System::DebugLog("ERROR converting QDContextToCGContext: " + std::to_string(status) +
                             " QDContext Ref: " + std::to_string(port));
        return 0;
    }
    if (flip) {
        carbon::CGContextTranslateCTM(context, 0, static_cast<float>(g->Height()));
        carbon::CGContextScaleCTM(context, 1, -1);
    }
    if (!Refs()) Refs() = std::make_unique<std::map<int32_t, int32_t>>();
    (*Refs())[context] = port;
    return context;
}

void ReleaseQDCGRef(int32_t context) {
    if (context == 0 || !Refs()) return;
    auto it = Refs()->find(context);
    if (it == Refs()->end()) return;
    const int32_t port = it->second;
    Refs()->erase(it);
    int32_t copy = context;
    const carbon::OSStatus status = carbon::QDEndCGContext(port, &copy);
    if (status != carbon::noErr) fw::System::DebugLog("Error releasing QDContext: " + std::to_string(status));
}

const std::map<int32_t, int32_t>* QDRefs() { return Refs().get(); }

void ReleaseQDRefs() { Refs().reset(); }

int32_t FixedSize(int32_t metric, fw::Window* /*window*/, const std::string& /*text*/, int32_t /*number*/) {
    int32_t value = 0;
    (void)fw::LookupFunction<carbon::GetThemeMetricFn>("GetThemeMetric", "Carbon")(metric, &value);
    return value;
}

std::string CurrentVisualTheme(bool /*flag*/) {
    auto copy = fw::LookupFunction<carbon::CopyThemeIdentifierFn>("CopyThemeIdentifier", "Carbon");
    carbon::CFStringRef identifier = nullptr;
    const carbon::OSStatus status = copy(&identifier);
    std::string text = status == carbon::noErr ? carbon::CFStringToUTF8(identifier) : std::string();
    if (identifier) fw::LookupFunction<carbon::CFReleaseFn>("CFRelease", "Carbon")(identifier);
    return text;
}

bool isUsingVisualTheme() {
    return CurrentVisualTheme(false) != carbon::kThemeNoAppearanceIdentifier &&
           CurrentVisualTheme(false) != kThemeVisualStyleError();
}

std::string kThemeVisualStyleError() {
    return fw::System::_GetLocalizedString("InterfaceKitSupport.kThemeVisualStyleError",
                                           "Unable to retreive Visual Style Name");
}

void _ChangeWindowStyle(fw::Window& /*window*/, int32_t /*style*/, bool /*on*/) {}

} // namespace InterfaceKitSupport
