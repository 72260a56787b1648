// libFuzzer target: any bytes through the decoder, then the two ways a picture's
// pixels are reached afterwards (a reduced draw and the full decode).

#include "framework/Graphics.h"
#include "framework/PictureDecoder.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    // Keeps every decoded picture small enough for the fuzzer's memory limit while
    // leaving room above the size at which JPEG and JPEG 2000 decode lazily.
    fw::Picture::SetPixelLimit(6'000'000);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    fw::PictureRef picture = fw::PictureDecoder::Decode(bytes);
    if (!picture) return 0;
    const int w = picture->Width();
    const int h = picture->Height();
    if (w <= 0 || h <= 0) std::abort();
    fw::PictureRef thumb = fw::Picture::New(std::max(1, w / 8), std::max(1, h / 8), 24);
    if (thumb) thumb->GetGraphics().DrawPicture(picture, 0, 0, thumb->Width(), thumb->Height(), 0, 0, w, h);
    const QImage& pixels = picture->Image();
    // The natural size is a promise: decoding must never change it.
    if (pixels.width() != w || pixels.height() != h || picture->Width() != w) std::abort();
    return 0;
}
