// stampora-decode: decodes one picture from outside the program under kernel limits
// and a system call filter (Sandbox.h), and hands the pixels back (the exchange is
// described in DecodeHelper.h). It links the decoders and Qt's image classes, never
// Qt Widgets.
#include "decodehelper/DecoderMessages.h"
#include "decodehelper/Sandbox.h"
#include "framework/graphics/DecodeHelper.h"
#include "framework/graphics/PictureDecoder.h"

#include <QImage>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using fw::DecodeHelper;
using fw::PictureDecoder;

// What the caller needs: the cover size, as PictureDecoder::FromSource reckons it,
// or about as many pixels as a picture decodes at in full when opened.
QSize Needed(QSize natural, QSize cover) {
    double s = 1.0;
    if (!cover.isEmpty()) {
        s = std::max(cover.width() / double(natural.width()), cover.height() / double(natural.height()));
    } else {
        const double pixels = double(natural.width()) * natural.height();
        if (pixels > PictureDecoder::kLazyDecodePixels) s = std::sqrt(PictureDecoder::kLazyDecodePixels / pixels);
    }
    return QSize(int(std::ceil(natural.width() * s - 1e-6)), int(std::ceil(natural.height() * s - 1e-6)))
        .boundedTo(natural)
        .expandedTo(QSize(1, 1));
}

// Copies the RGB32 pixels to `out` a band at a time and gives each band's pages back
// to the kernel as soon as it is copied: a picture handed back at its natural size
// (a thin one covers the card only in full) would otherwise be held twice at the
// end of its decode. `image` is never read again.
void MoveInto(char* out, const QImage& image) {
    constexpr size_t kBandBytes = size_t{8} << 20;
    const size_t rowBytes = size_t(image.width()) * 4;
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<uintptr_t>(image.constBits());
    // Only the pages wholly inside the pixels: the allocation's own header stays.
    uintptr_t released = (start + page - 1) / page * page;
    const int bandRows = int(std::max<size_t>(1, kBandBytes / rowBytes));
    for (int y = 0; y < image.height(); y += bandRows) {
        const int rows = std::min(bandRows, image.height() - y);
        if (size_t(image.bytesPerLine()) == rowBytes) {
            std::memcpy(out + rowBytes * size_t(y), image.constScanLine(y), rowBytes * size_t(rows));
        } else {
            for (int r = y; r < y + rows; ++r)
                std::memcpy(out + rowBytes * size_t(r), image.constScanLine(r), rowBytes);
        }
        const uintptr_t copied = reinterpret_cast<uintptr_t>(image.constScanLine(y + rows - 1)) + rowBytes;
        const uintptr_t done = copied / page * page;
        if (done > released) {
            ::madvise(reinterpret_cast<void*>(released), done - released, MADV_DONTNEED);
            released = done;
        }
    }
}

int Decode(PictureDecoder::Format format, QSize cover, const char* fileName) {
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        info.st_size > PictureDecoder::kByteBudget)
        return 1;
    // Mapped, not read: a sparse file costs only the pages the decoder touches. A
    // file system that cannot map files is read from.
    QByteArray bytes;
    void* input = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, STDIN_FILENO, 0);
    if (input != MAP_FAILED) {
        bytes = QByteArray::fromRawData(static_cast<const char*>(input), qsizetype(info.st_size));
    } else {
        bytes.resize(qsizetype(info.st_size));
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::pread(STDIN_FILENO, bytes.data() + done, size_t(bytes.size() - done), done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return 1;
            done += n;
        }
    }
    if (PictureDecoder::Sniff(bytes, fileName) != format) return 1;
    const fw::PictureRef picture = PictureDecoder::Decode(bytes, fileName, cover);
    if (!picture) return 1;
    const QSize natural(picture->Width(), picture->Height());
    const QSize needed = Needed(natural, cover);
    // With no cover size, a decoder that reduces keeps the reduction it chose (its
    // coarsest); the program asks again for what it draws.
    QImage image = cover.isEmpty() ? picture->PixelsForScale(0, 0).image
                                   : picture->PixelsForScale(needed.width() / double(natural.width()),
                                                             needed.height() / double(natural.height()))
                                         .image;
    // A decoder that cannot reduce gave more than asked for; only what is needed goes
    // back, so that the program never holds a huge picture it draws small.
    if (image.width() >= 2 * needed.width() && image.height() >= 2 * needed.height())
        image = image.scaled(needed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return 1;

    const size_t rowBytes = size_t(image.width()) * 4;
    const size_t bytesOut = rowBytes * size_t(image.height());
    if (::ftruncate(DecodeHelper::kResultDescriptor, off_t(bytesOut)) != 0) return 1;
    void* out = ::mmap(nullptr, bytesOut, PROT_WRITE, MAP_SHARED, DecodeHelper::kResultDescriptor, 0);
    if (out == MAP_FAILED) return 1;
    MoveInto(static_cast<char*>(out), image);
    const DecodeHelper::Reply reply{DecodeHelper::kReplyMagic, natural.width(), natural.height(),
                                    image.width(), image.height()};
    return ::write(STDOUT_FILENO, &reply, sizeof reply) == ssize_t(sizeof reply) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    const int format = std::atoi(argv[1]);
    if (format <= int(PictureDecoder::Format::Unknown) || format > int(PictureDecoder::Format::Pict)) return 2;
    decodehelper::DecoderMessages::Capture();
    if (!decodehelper::Sandbox::Enter(PictureDecoder::Format(format))) ::_exit(2);
    std::thread([] {
        for (;;) {
            rusage use {};
            ::getrusage(RUSAGE_SELF, &use);
            if (int64_t{use.ru_maxrss} * 1024 > DecodeHelper::kResidentLimit) ::_exit(3);
            ::usleep(10'000);
        }
    }).detach();
    // _exit: nothing of the decoders needs tearing down, and a sanitizer's exit-time
    // checks belong to the program's own tests.
    const int status = Decode(PictureDecoder::Format(format), QSize(std::atoi(argv[2]), std::atoi(argv[3])), argv[4]);
    decodehelper::DecoderMessages::Summarize(argv[4]);
    ::_exit(status);
}
