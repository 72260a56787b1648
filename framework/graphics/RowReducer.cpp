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

void RowReducer::Add(unsigned char* bgra, int y) {
    const int w = natural_.width();
    for (unsigned char* p = bgra; p < bgra + size_t(w) * 4; p += 4) {
        const int a = p[3];
        if (a == 255) continue;
        for (int c = 0; c < 3; ++c) p[c] = static_cast<unsigned char>((p[c] * a + 255 * (255 - a) + 127) / 255);
        p[3] = 255;
    }
    const int k = factor_;
    if (k == 1) {
        std::memcpy(out_.scanLine(y), bgra, size_t(w) * 4);
        return;
    }
    for (int x = 0; x < w; ++x) {
        uint64_t* s = &sums_[size_t(x / k) * 3];
        s[0] += bgra[x * 4];
        s[1] += bgra[x * 4 + 1];
        s[2] += bgra[x * 4 + 2];
    }
    const int h = natural_.height();
    if ((y + 1) % k != 0 && y + 1 != h) return;
    const int bandRows = y % k + 1;
    auto* line = reinterpret_cast<QRgb*>(out_.scanLine(y / k));
    for (int ox = 0; ox < out_.width(); ++ox) {
        const uint64_t n = uint64_t(std::min(k, w - ox * k)) * uint64_t(bandRows);
        uint64_t* s = &sums_[size_t(ox) * 3];
        line[ox] = qRgb(int((s[2] + n / 2) / n), int((s[1] + n / 2) / n), int((s[0] + n / 2) / n));
        s[0] = s[1] = s[2] = 0;
    }
}

} // namespace fw
