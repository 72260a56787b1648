#include "framework/graphics/RowReducer.h"

#include "framework/core/NumberRules.h"

#include <algorithm>
#include <cstring>

namespace fw {

RowReducer::RowReducer(QSize natural, int factor)
    : natural_(natural), factor_(std::max(1, factor)),
      out_(int(CeilDiv(natural.width(), factor_)), int(CeilDiv(natural.height(), factor_)), QImage::Format_RGB32) {
    if (factor_ > 1 && !out_.isNull()) sums_.assign(size_t(out_.width()) * 3, 0);
}

int RowReducer::FactorFor(QSize natural, QSize atLeast) {
    return std::max(1, std::min(natural.width() / std::max(1, atLeast.width()),
                                natural.height() / std::max(1, atLeast.height())));
}

int64_t RowReducer::Bytes(QSize natural, int factor) {
    factor = std::max(1, factor);
    const int64_t w = CeilDiv(natural.width(), factor);
    return SaturatingMul(SaturatingMul(w, CeilDiv(natural.height(), factor)), 4) + (factor > 1 ? w * 24 : 0);
}

namespace {

// One pixel over white, as blue, green and red.
struct Bgr {
    uint32_t b, g, r;
};
inline Bgr OverWhite(const unsigned char* p, RowReducer::Pixels pixels) {
    const uint32_t a = p[3];
    if (pixels == RowReducer::Pixels::Bgra) {
        if (a == 255) return {p[0], p[1], p[2]};
        const auto over = [a](uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
        return {over(p[0]), over(p[1]), over(p[2])};
    }
    if (a == 255) return {p[2], p[1], p[0]};
    const uint32_t under = 255 - a;
    return {std::min<uint32_t>(255, p[2] + under), std::min<uint32_t>(255, p[1] + under),
            std::min<uint32_t>(255, p[0] + under)};
}

} // namespace

void RowReducer::Add(const unsigned char* row, int y, Pixels pixels) {
    const int w = natural_.width();
    const int k = factor_;
    if (k == 1 && pixels == Pixels::Bgra) {
        // Already the result's layout: copied, and only the pixels not opaque redone.
        unsigned char* line = out_.scanLine(y);
        std::memcpy(line, row, size_t(w) * 4);
        for (unsigned char* p = line; p < line + size_t(w) * 4; p += 4) {
            if (p[3] == 255) continue;
            const Bgr c = OverWhite(p, pixels);
            p[0] = uint8_t(c.b), p[1] = uint8_t(c.g), p[2] = uint8_t(c.r), p[3] = 255;
        }
        return;
    }
    if (k == 1) {
        auto* line = reinterpret_cast<QRgb*>(out_.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const Bgr c = OverWhite(row + size_t(x) * 4, pixels);
            line[x] = 0xFF000000u | (c.r << 16) | (c.g << 8) | c.b;
        }
        return;
    }
    // One pass over the row, a block of k pixels per output column.
    const unsigned char* p = row;
    uint64_t* s = sums_.data();
    for (int x = 0; x < w; s += 3) {
        const int blockEnd = std::min(w, x + k);
        uint64_t b = 0, g = 0, r = 0;
        for (; x < blockEnd; ++x, p += 4) {
            const Bgr c = OverWhite(p, pixels);
            b += c.b, g += c.g, r += c.r;
        }
        s[0] += b, s[1] += g, s[2] += r;
    }
    const int h = natural_.height();
    if ((y + 1) % k != 0 && y + 1 != h) return;
    const int bandRows = y % k + 1;
    auto* line = reinterpret_cast<QRgb*>(out_.scanLine(y / k));
    for (int ox = 0; ox < out_.width(); ++ox) {
        const uint64_t n = uint64_t(std::min(k, w - ox * k)) * uint64_t(bandRows);
        uint64_t* t = &sums_[size_t(ox) * 3];
        line[ox] = qRgb(int((t[2] + n / 2) / n), int((t[1] + n / 2) / n), int((t[0] + n / 2) / n));
        t[0] = t[1] = t[2] = 0;
    }
}

} // namespace fw
