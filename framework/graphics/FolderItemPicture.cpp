#include "framework/graphics/FolderItemPicture.h"

#include "framework/core/FileDescriptor.h"
#include "framework/core/RegularFile.h"
#include "framework/graphics/DecodeHelper.h"
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

namespace {
// The cheap refusals before any decoder sees a byte: only a regular file of a
// plausible size, whose first bytes name one of the seven types, is decoded. Gives
// the descriptor, positioned after the header, or -1.
int OpenCandidate(const FolderItem& item, QByteArray& header, PictureDecoder::Format& format) {
    // An alias of a picture is the picture: links are followed.
    const int fd = RegularFile::Open(item.AbsolutePath(), RegularFile::Links::Follow);
    if (fd < 0) return -1;
    struct stat info {};
    const qint64 size = ::fstat(fd, &info) == 0 ? qint64(info.st_size) : 0;
    if (size > 0 && size <= kMaxPictureFileBytes && ReadInto(fd, header, std::min(size, kHeaderBytes))) {
        format = PictureDecoder::Sniff(header, item.Name());
        if (format != PictureDecoder::Format::Unknown) return fd;
    }
    ::close(fd);
    return -1;
}
} // namespace

std::shared_ptr<Picture> OpenPictureFile(const FolderItem& item, QSize coverArea) {
    QByteArray header;
    PictureDecoder::Format format = PictureDecoder::Format::Unknown;
    const FileDescriptor fd(OpenCandidate(item, header, format));
    if (fd.Get() < 0) return nullptr;
    return DecodeHelper::OpenFile(fd.Get(), format, item.Name(), coverArea);
}

std::shared_ptr<Picture> OpenOwnPictureFile(const FolderItem& item) {
    QByteArray bytes;
    PictureDecoder::Format format = PictureDecoder::Format::Unknown;
    const FileDescriptor fd(OpenCandidate(item, bytes, format));
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0) return nullptr;
    if (!ReadInto(fd.Get(), bytes, info.st_size - bytes.size())) return nullptr;
    return PictureDecoder::Decode(bytes, item.Name());
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
