#pragma once

#include <QColor>

#include <cstdint>

namespace fw {

// A 24-bit RGB colour, &hRRGGBB. It converts from a plain number so that colours
// are written as the hexadecimal literals everyone reads; Qt sees it only through
// ToQColor, FromQColor and ToQRgb.
class Color {
public:
    constexpr Color() = default;
    // Bits above the 24 colour bits are dropped: there is no alpha.
    constexpr Color(uint32_t rgb) : rgb_(rgb & 0xFFFFFF) {}

    constexpr uint32_t Value() const { return rgb_; }
    constexpr int Red() const { return static_cast<int>(rgb_ >> 16 & 0xFF); }
    constexpr int Green() const { return static_cast<int>(rgb_ >> 8 & 0xFF); }
    constexpr int Blue() const { return static_cast<int>(rgb_ & 0xFF); }

    // Opaque, as a pixel of a picture.
    constexpr QRgb ToQRgb() const { return 0xFF000000u | rgb_; }
    QColor ToQColor() const { return QColor::fromRgb(ToQRgb()); }
    // The alpha of `color` is dropped.
    static Color FromQColor(const QColor& color) { return Color(color.rgb()); }

    friend constexpr bool operator==(Color, Color) = default;

private:
    uint32_t rgb_ = 0;
};

} // namespace fw
