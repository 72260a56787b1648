#include "platform/carbon/CarbonLibrary.h"

#include "framework/graphics/Screen.h"
#include "framework/ui/Window.h"

#include <QRect>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <limits>

namespace carbon {

namespace {

void PutInt16(uint8_t* at, int value) {
    const auto v = static_cast<int16_t>(
        std::clamp(value, int{std::numeric_limits<int16_t>::min()}, int{std::numeric_limits<int16_t>::max()}));
    std::memcpy(at, &v, sizeof v);
}

} // namespace

OSStatus GetWindowGreatestAreaDevice(const fw::Window* window, int32_t regionCode, int32_t* device,
                                     uint8_t* rect) {
    if (!window || !rect || regionCode != kWindowContentRgn || !window->Content()) return paramErr;
    const QWidget* content = window->Content();
    const QRect region(content->mapToGlobal(QPoint(0, 0)), content->size());
    // The display with the greatest share of the region; the first display when the
    // region lies on none.
    int best = 0;
    long long bestArea = -1;
    for (int i = 0; i < fw::ScreenCount(); ++i) {
        const auto s = fw::Screen(i);
        const QRect overlap = region.intersected(QRect(s->Left, s->Top, s->Width, s->Height));
        const long long area = overlap.isEmpty() ? 0 : 1LL * overlap.width() * overlap.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    const auto screen = fw::Screen(best);
    if (!screen) return paramErr;
    if (device) *device = best + 1;
    PutInt16(rect + 0, screen->Top);
    PutInt16(rect + 2, screen->Left);
    PutInt16(rect + 4, screen->Top + screen->Height);
    PutInt16(rect + 6, screen->Left + screen->Width);
    return noErr;
}

} // namespace carbon
