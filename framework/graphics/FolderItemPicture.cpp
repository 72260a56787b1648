#include "framework/graphics/FolderItemPicture.h"

#include "framework/graphics/Picture.h"
#include "framework/graphics/PictureDecoder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

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

std::shared_ptr<Picture> OpenPictureFile(const FolderItem& item, QSize coverArea) {
    // Without blocking, so that a FIFO or a device named as a picture cannot hang the
    // program in open; only a regular file is read at all.
    const Descriptor fd(::open(item.AbsolutePath().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    const qint64 size = info.st_size;
    if (size <= 0 || size > kMaxPictureFileBytes) return nullptr;
    // The type is known from the header before the rest is read.
    QByteArray bytes;
    if (!ReadInto(fd.Get(), bytes, std::min(size, kHeaderBytes))) return nullptr;
    if (PictureDecoder::Sniff(bytes, item.Name()) == PictureDecoder::Format::Unknown) return nullptr;
    if (!ReadInto(fd.Get(), bytes, size - bytes.size())) return nullptr;
    return PictureDecoder::Decode(bytes, item.Name(), coverArea);
}

bool SavePictureAsJPEG(const FolderItem& item, const std::shared_ptr<Picture>& picture, std::string* failure) {
    const auto fail = [failure](const QString& reason) {
        if (failure) *failure = reason.toStdString();
        return false;
    };
    if (!picture) return fail(QStringLiteral("There is no picture to write."));
    // Encoded in memory first (a card is small), so that a failure of the disk is
    // told apart from one of the encoder and reported in the system's words.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(picture->Image())) return fail(writer.errorString());
    QSaveFile file(QString::fromStdString(item.AbsolutePath()));
    // Unbuffered, so that a failed write reports at once; a short write is followed
    // by another, which fails with the reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    const QByteArray& bytes = encoded.data();
    qint64 written = 0;
    for (qint64 n = 0; written < bytes.size(); written += n)
        if ((n = file.write(bytes.constData() + written, bytes.size() - written)) <= 0) break;
    if (written != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

} // namespace fw
