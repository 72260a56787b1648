#include "interfacekit/ifkColorWell.h"

#include "framework/core/System.h"
#include "framework/graphics/Picture.h"
#include "framework/graphics/SystemColors.h"
#include "framework/ui/UserInteraction.h"

namespace {

// The swatch sits this much inside the well, in each direction together.
constexpr int kSwatchInset = 10;
// The frame is the colour this much darker.
constexpr double kFrameDarker = 0.33;
constexpr int32_t kWellStyle = 3;

} // namespace

void ifkColorWell::SetcolorValue(fw::Color color) {
    mcolorValue = color;
    recreateColorBlock();
}

void ifkColorWell::Event_Open() {
    OpenCanvas();
    SetStyle(kWellStyle);
    SetCaption("");
    SetcolorValue(0x000000);
}

void ifkColorWell::Event_Action() {
    if (!fw::SelectColor(mcolorValue, kChooseColor())) return;
    SetcolorValue(mcolorValue);
    if (Changed) Changed();
}

void ifkColorWell::Event_Resized() { recreateColorBlock(); }

void ifkColorWell::recreateColorBlock() {
    const int w = Width - kSwatchInset;
    int h = getDrawHeight() - kSwatchInset;
    if (h < 1) h = Height - kSwatchInset;
    fw::PictureRef swatch = fw::Picture::New(w, h, 32);
    if (swatch) {
        fw::Graphics& g = swatch->GetGraphics();
        g.ForeColor = mcolorValue;
        g.FillRect(0, 0, w, h);
        const fw::HSVParts parts = fw::HSVOf(mcolorValue);
        g.ForeColor = fw::HSV(parts.hue, parts.saturation, parts.value - kFrameDarker);
        // Two pixels on the left, top and right, one at the bottom: the inner
        // outline is one pixel shorter than a full inset.
        g.DrawRect(0, 0, w, h);
        g.DrawRect(1, 1, w - 2, h - 1);
    }
    Seticon(swatch);
}

std::string ifkColorWell::kChooseColor() {
    return fw::System::_GetLocalizedString("ifkColorWell.kChooseColor", "Choose A Color");
}
