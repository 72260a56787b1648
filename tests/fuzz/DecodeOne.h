#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/PictureDecoder.h"

#include <algorithm>

// One input through the decoder, then the two ways a picture's pixels are reached
// afterwards (a reduced draw and the full decode). False when a promise breaks.
inline bool DecodeOne(const QByteArray& bytes) {
    fw::PictureRef picture = fw::PictureDecoder::Decode(bytes);
    if (!picture) return true;
    const int w = picture->Width();
    const int h = picture->Height();
    if (w <= 0 || h <= 0) return false;
    fw::PictureRef thumb = fw::Picture::New(std::max(1, w / 8), std::max(1, h / 8), 24);
    if (thumb) thumb->GetGraphics().DrawPicture(picture, 0, 0, thumb->Width(), thumb->Height(), 0, 0, w, h);
    const QImage& pixels = picture->Image();
    // The natural size is a promise: decoding must never change it.
    return pixels.width() == w && pixels.height() == h && picture->Width() == w;
}

// Keeps every decoded picture small enough for the fuzzer's memory limit while
// leaving room above the size at which JPEG and JPEG 2000 decode lazily.
constexpr int64_t kFuzzPixelLimit = 6'000'000;
