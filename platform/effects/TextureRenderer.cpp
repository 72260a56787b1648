#include "platform/effects/TextureRenderer.h"

#include "framework/core/Exceptions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

namespace effects {

namespace {

// A fixed hash, so that the clouds never change between runs.
double Lattice(int x, int y, int octave) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(octave) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 65535.0;
}

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

double ValueNoise(double x, double y, int octave) {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = Smooth(x - x0);
    const double fy = Smooth(y - y0);
    const double a = Lattice(x0, y0, octave), b = Lattice(x0 + 1, y0, octave);
    const double c = Lattice(x0, y0 + 1, octave), d = Lattice(x0 + 1, y0 + 1, octave);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Fractal clouds in 0..1.
double Clouds(int x, int y) {
    double sum = 0.0, amplitude = 0.5, scale = 1.0 / 16.0;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * ValueNoise(x * scale, y * scale, octave);
        amplitude *= 0.5;
        scale *= 2.0;
    }
    return sum / 0.9375;
}

} // namespace

fw::PictureRef TextureRenderer::RenderClouds(const fw::PictureRef& source, const fw::PictureRef& mask) const {
    fw::Deref(source, "RenderClouds source");
    const int w = source->Width();
    const int h = source->Height();
    auto result = fw::Picture::New(w, h, 32);
    fw::Deref(result, "RenderClouds result");
    const fw::Picture& in = *source;
    const bool masked = mask && mask->Width() == w && mask->Height() == h;
    const QColor light = UseTextureColor ? TextureColor.ToQColor() : QColor(Qt::white);
    for (int y = 0; y < h; ++y) {
        const std::span<const QRgb> src = in.Row(y);
        const QRgb* m = masked ? std::as_const(*mask).Row(y).data() : nullptr;
        const std::span<QRgb> dst = result->Row(y);
        for (int x = 0; x < w; ++x) {
            // How much ink the source puts here: 0 on white, 1 on black.
            double ink = 1.0 - qGray(src[x]) / 255.0;
            if (m) ink *= 1.0 - qGray(m[x]) / 255.0;
            // Where there is ink the clouds thin it unevenly, as a worn rubber stamp.
            const double wear = Clouds(x, y);
            const double darkness = std::clamp(ink * (1.0 - 0.55 * wear), 0.0, 1.0);
            const int r = static_cast<int>(light.red() * (1.0 - darkness));
            const int g = static_cast<int>(light.green() * (1.0 - darkness));
            const int b = static_cast<int>(light.blue() * (1.0 - darkness));
            dst[x] = qRgb(r, g, b);
        }
    }
    return result;
}

} // namespace effects
