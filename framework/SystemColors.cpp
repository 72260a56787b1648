#include "framework/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace fw {

namespace {

Color FromPalette(QPalette::ColorGroup group, QPalette::ColorRole role) {
    return QGuiApplication::palette().color(group, role).rgb() & 0xFFFFFF;
}

} // namespace

Color RGB(int red, int green, int blue) {
    auto part = [](int v) { return static_cast<Color>(std::clamp(v, 0, 255)); };
    return part(red) << 16 | part(green) << 8 | part(blue);
}

Color DisabledTextColor() { return FromPalette(QPalette::Disabled, QPalette::WindowText); }

Color LightBevelColor() { return FromPalette(QPalette::Active, QPalette::Light); }

} // namespace fw
