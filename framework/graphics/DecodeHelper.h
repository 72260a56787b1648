#pragma once

#include "framework/graphics/Picture.h"
#include "framework/graphics/PictureDecoder.h"

#include <QByteArray>
#include <QSize>

#include <cstdint>
#include <memory>
#include <string>

class QMimeData;

namespace fw {

// Pictures from outside the program (files, pastes, drops) are decoded by a helper
// process of ours, `stampora-decode` beside the executable, never in the program:
// five third-party decoders cannot be kept within a memory and time budget by
// counting from outside, but the kernel can hold a process to one. The helper
// limits itself before it reads a byte, decodes with PictureDecoder, and hands the
// pixels back in a memfd that the program maps without copying. A helper that
// dies, overruns or takes too long means the picture cannot be read: nil.
//
// The result is at most the size the caller needs (`coverArea` as for
// PictureDecoder::Decode; about two million pixels when none is given); a picture
// decoded smaller than its natural size asks the helper again when drawn larger.
class DecodeHelper {
public:
    // `fd`: an open regular file, still owned by the caller; `format` as sniffed.
    static PictureRef OpenFile(int fd, PictureDecoder::Format format, const std::string& fileName,
                               QSize coverArea);
    static PictureRef OpenBytes(const QByteArray& bytes, QSize coverArea);
    // The picture of pasted or dropped data: its encoded bytes go to the helper. Only
    // an image this process put there itself, with no bytes, is taken as it is.
    static PictureRef FromMimeData(const QMimeData& data);
    // What of pasted or dropped data FromMimeData would decode, copied so that it
    // can be decoded after the drop has ended; nil when it holds no picture. Decodes
    // nothing.
    static std::unique_ptr<QMimeData> PictureData(const QMimeData& data);

    // The helper's path: `stampora-decode` in the running executable's folder.
    static std::string Program();
    // Another helper binary, for tests and benchmarks run outside the bundle; empty
    // restores the one beside the executable.
    static void SetProgram(const std::string& path);

    // The helper's side of the exchange. It is started with the input on standard
    // input, an empty memfd as descriptor 3 and a pipe on standard output, and the
    // arguments: format number, cover width, cover height, file name.
    static constexpr int kResultDescriptor = 3;
    struct Reply {
        uint32_t magic;
        int32_t naturalWidth, naturalHeight;
        int32_t width, height;   // of the RGB32 pixels at the start of the memfd
    };
    static constexpr uint32_t kReplyMagic = 0x53544431;
    // The helper's own limits. Its address space may grow this much beyond what it
    // holds when it starts: a sound picture at the byte budget needs its pixels, a
    // converted copy, the copy into the memfd and the decoder's working memory (a
    // progressive JPEG's coefficients alone are 1.5 times its RGB32 pixels).
    static constexpr int64_t kAddressAllowance = 4 * PictureDecoder::kByteBudget;
    // Resident memory is watched too: a sanitizer's allocator reserves its arena up
    // front, so that under it the address-space limit holds only large blocks.
    static constexpr int64_t kResidentLimit = kAddressAllowance - (int64_t{256} << 20);
    static constexpr int kCpuSeconds = 6;
    // The program gives up on a helper after this long, whatever it is doing.
    static constexpr int kWallSeconds = 20;
};

} // namespace fw
