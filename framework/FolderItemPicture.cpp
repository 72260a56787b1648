#include "framework/FolderItem.h"

#include "framework/Picture.h"
#include "framework/PictureDecoder.h"

#include <QImageWriter>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {
// No picture the decoders accept within their budget comes from a larger file.
constexpr qint64 kMaxPictureFileBytes = PictureDecoder::kByteBudget;

// Enough for every signature the decoders know, PICT's behind its 512-byte preamble.
constexpr qint64 kHeaderBytes = 4096;

// High enough that the card's caption keeps crisp edges.
constexpr int kJpegQuality = 90;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Appends up to `count` bytes; false on a read error.
bool ReadInto(int fd, QByteArray& bytes, qint64 count) {
    const qint64 start = bytes.size();
    bytes.resize(start + count);
    qint64 done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, bytes.data() + start + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    bytes.resize(start + done);
    return done == count;
}
} // namespace

std::shared_ptr<Picture> FolderItem::OpenAsPicture(QSize coverArea) const {
    // Without blocking, so that a FIFO or a device named as a picture cannot hang the
    // program in open; only a regular file is read at all.
    const Descriptor fd(::open(AbsolutePath().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    const qint64 size = info.st_size;
    if (size <= 0 || size > kMaxPictureFileBytes) return nullptr;
    // The type is known from the header before the rest is read.
    QByteArray bytes;
    if (!ReadInto(fd.Get(), bytes, std::min(size, kHeaderBytes))) return nullptr;
    if (PictureDecoder::Sniff(bytes, Name()) == PictureDecoder::Format::Unknown) return nullptr;
    if (!ReadInto(fd.Get(), bytes, size - bytes.size())) return nullptr;
    return PictureDecoder::Decode(bytes, Name(), coverArea);
}

bool FolderItem::SaveAsJPEG(const std::shared_ptr<Picture>& picture) const {
    if (!picture) return false;
    QImageWriter writer(QString::fromStdString(AbsolutePath()), "jpeg");
    writer.setQuality(kJpegQuality);
    return writer.write(picture->Image());
}

} // namespace fw
