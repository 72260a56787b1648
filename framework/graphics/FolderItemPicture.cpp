#include "framework/graphics/FolderItemPicture.h"

#include "framework/core/FileDescriptor.h"
#include "framework/core/RegularFile.h"
#include "framework/graphics/DecodeHelper.h"
#include "framework/graphics/JpegEncoder.h"
#include "framework/graphics/Picture.h"
#include "framework/graphics/PictureDecoder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
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
// Read, not set and set back: another thread may be making a file meanwhile.
mode_t ProcessUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

// The bytes written whole under a temporary name beside the file and then renamed
// over it, so that a failed write leaves an earlier file as it was. By the path's
// bytes, which need not be UTF-8. An existing file keeps its mode; a new one grants
// no one more than its folder does, so a card in a private folder is private
// whatever the umask. A link is written through to its target, as before.
bool WriteWhole(std::string path, const QByteArray& bytes, std::string* failure) {
    const auto fail = [failure](int error) {
        if (failure) *failure = std::strerror(error);
        return false;
    };
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        if (char* target = ::realpath(path.c_str(), nullptr)) path = target, std::free(target);
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) return fail(errno);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return fail(errno);
    const FileDescriptor file(fd);
    const auto abandon = [&](int error) {
        ::unlink(temporary.c_str());
        return fail(error);
    };
    mode_t mode = 0;
    if (::stat(path.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        mode = (0666 & ~ProcessUmask()) & (folderInfo.st_mode | 0600);
    }
    if (::fchmod(fd, mode) != 0) return abandon(errno);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return abandon(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::fsync(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) return abandon(errno);
    return true;
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
    QString encoderFailure;
    const QByteArray bytes = JpegEncoder::Encode(picture->Image(), kJpegQuality, &encoderFailure);
    if (bytes.isEmpty()) return fail(encoderFailure);
    return WriteWhole(item.AbsolutePath(), bytes, failure);
}

} // namespace fw
