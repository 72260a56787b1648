#include "framework/graphics/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

Color FromPalette(QPalette::ColorGroup group, QPalette::ColorRole role) {
    return Color::FromQColor(QGuiApplication::palette().color(group, role));
}

} // namespace

Color RGB(int red, int green, int blue) {
    auto part = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return part(red) << 16 | part(green) << 8 | part(blue);
}

HSVParts HSVOf(Color color) {
    const double r = color.Red() / 255.0;
    const double g = color.Green() / 255.0;
    const double b = color.Blue() / 255.0;
    const double high = std::max({r, g, b});
    const double span = high - std::min({r, g, b});
    HSVParts parts{0, high > 0 ? span / high : 0, high};
    if (span > 0) {
        double sector = high == r ? (g - b) / span : high == g ? 2 + (b - r) / span : 4 + (r - g) / span;
        if (sector < 0) sector += 6;
        parts.hue = sector / 6;
    }
    return parts;
}

Color HSV(double hue, double saturation, double value) {
    auto unit = [](double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); };
    const double h = std::isfinite(hue) ? hue - std::floor(hue) : 0.0;
    const double s = unit(saturation);
    const double v = unit(value);
    const double sector = h * 6;
    const int i = static_cast<int>(sector) % 6;
    const double f = sector - std::floor(sector);
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    auto byte = [](double c) { return static_cast<int>(std::lround(c * 255)); };
    return RGB(byte(rgb[i][0]), byte(rgb[i][1]), byte(rgb[i][2]));
}

Color DisabledTextColor() { return FromPalette(QPalette::Disabled, QPalette::WindowText); }

Color LightBevelColor() { return FromPalette(QPalette::Active, QPalette::Light); }

} // namespace fw
