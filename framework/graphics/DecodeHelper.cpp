#include "framework/graphics/DecodeHelper.h"

#include "framework/core/FileDescriptor.h"
#include "framework/core/RequestQueue.h"
#include "framework/core/TerminationSignal.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fw {

namespace {

std::mutex programLock;
std::string programForTests;

// A descriptor above the three standard ones and the helper's result descriptor, so
// that the child's renumbering never overwrites one it still has to move.
int HighCopy(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 10); }

struct Decoded {
    QSize natural;
    QImage image;
};

void Unmap(void* info) {
    const auto* range = static_cast<std::pair<void*, size_t>*>(info);
    ::munmap(range->first, range->second);
    delete range;
}

// The memfd's pixels as an image over the mapping: the program keeps no copy.
QImage MapPixels(int memfd, const DecodeHelper::Reply& reply) {
    const size_t bytes = size_t(reply.width) * size_t(reply.height) * 4;
    struct stat info {};
    if (::fstat(memfd, &info) != 0 || info.st_size < off_t(bytes)) return {};
    // Private: a writer of the picture's pixels changes the program's pages only.
    void* pixels = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE, memfd, 0);
    if (pixels == MAP_FAILED) return {};
    auto* range = new std::pair<void*, size_t>(pixels, bytes);
    QImage image(static_cast<uchar*>(pixels), reply.width, reply.height, reply.width * 4,
                 QImage::Format_RGB32, Unmap, range);
    if (image.isNull()) Unmap(range);
    return image;
}

// Decodes waiting on the event-loop thread; only the outermost keeps the loop going.
int waitsInProgress = 0;

// Reads the helper's reply until it closes its end, keeping the program's timers,
// repaints, signals and hand-overs going. User input waits in Qt's queue and comes
// afterwards, in order; a request that would take in a picture waits in the request
// queue, so that nothing starts a second picture meanwhile. Should a repaint need a
// picture decoded after all, that inner wait lets no event in. Gives up, killing the
// helper, at the deadline or at a termination signal, so that the program's orderly
// end is not held up.
bool AwaitReply(pid_t pid, int replyFd, DecodeHelper::Reply* reply) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(DecodeHelper::kWallSeconds);
    QCoreApplication* app = QCoreApplication::instance();
    const bool loopThread = app && QThread::currentThread() == app->thread();
    const bool pumpEvents = loopThread && waitsInProgress == 0;
    std::optional<RequestQueue::Hold> hold;
    if (loopThread) hold.emplace(), ++waitsInProgress;
    struct Leave {
        bool counted;
        ~Leave() { waitsInProgress -= counted; }
    } leave{loopThread};
    const int signalFd = TerminationSignal::Descriptor();
    size_t got = 0;
    bool complete = false;
    for (;;) {
        if (TerminationSignal::Arrived() || std::chrono::steady_clock::now() > deadline) break;
        pollfd fds[2] = {{replyFd, POLLIN, 0}, {signalFd, POLLIN, 0}};
        const int ready = ::poll(fds, signalFd >= 0 ? 2 : 1, pumpEvents ? 15 : 100);
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents) {
            char* into = reinterpret_cast<char*>(reply) + got;
            char spare = 0;
            const ssize_t n = got < sizeof *reply ? ::read(replyFd, into, sizeof *reply - got)
                                                  : ::read(replyFd, &spare, 1);
            if (n == 0) {
                complete = got == sizeof *reply;
                break;
            }
            if (n < 0 && errno != EINTR && errno != EAGAIN) break;
            if (n > 0 && got + size_t(n) > sizeof *reply) break;
            if (n > 0) got += size_t(n);
        }
        if (pumpEvents) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return complete;
}

pid_t Spawn(int input, int reply, int memfd, PictureDecoder::Format format, const std::string& fileName,
            QSize cover) {
    const std::string program = DecodeHelper::Program();
    std::string args[] = {program, std::to_string(int(format)), std::to_string(cover.width()),
                          std::to_string(cover.height()), fileName};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, reply, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, memfd, DecodeHelper::kResultDescriptor);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The program's own signal handling stays with the program; an ignored SIGXCPU
    // would let the helper run on to the hard processor limit.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (const int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGXCPU, SIGXFSZ}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ) != 0) pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// One run of the helper over `input` (its offset does not matter: the helper maps it).
Decoded Run(int input, PictureDecoder::Format format, const std::string& fileName, QSize cover) {
    const FileDescriptor source(HighCopy(input));
    const FileDescriptor memfd(::memfd_create("stampora-pixels", MFD_CLOEXEC));
    if (source.Get() < 0 || memfd.Get() < 0) return {};
    const FileDescriptor result(HighCopy(memfd.Get()));
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return {};
    const FileDescriptor replyRead(pipe[0]);
    FileDescriptor replyWrite(HighCopy(pipe[1]));
    ::close(pipe[1]);
    if (replyWrite.Get() < 0 || result.Get() < 0) return {};
    const pid_t pid = Spawn(source.Get(), replyWrite.Get(), result.Get(), format, fileName, cover);
    // The write end must close here, or the reply would never end.
    replyWrite.Reset();
    if (pid < 0) return {};
    ::fcntl(replyRead.Get(), F_SETFL, O_NONBLOCK);
    DecodeHelper::Reply reply{};
    if (!AwaitReply(pid, replyRead.Get(), &reply)) return {};
    if (reply.magic != DecodeHelper::kReplyMagic || reply.width <= 0 || reply.height <= 0 ||
        reply.width > reply.naturalWidth || reply.height > reply.naturalHeight ||
        int64_t{reply.naturalWidth} * reply.naturalHeight > Picture::PixelLimit())
        return {};
    QImage image = MapPixels(memfd.Get(), reply);
    if (image.isNull()) return {};
    return {QSize(reply.naturalWidth, reply.naturalHeight), std::move(image)};
}

// The rest of a picture the helper gave reduced: the helper again, when drawn larger.
class HelperSource final : public PictureSource {
public:
    HelperSource(int fd, PictureDecoder::Format format, std::string fileName)
        : fd_(::fcntl(fd, F_DUPFD_CLOEXEC, 0)), format_(format), fileName_(std::move(fileName)) {}

    QImage Decode(QSize atLeast) override {
        if (fd_.Get() < 0) return {};
        return Run(fd_.Get(), format_, fileName_, atLeast).image;
    }

private:
    FileDescriptor fd_;
    PictureDecoder::Format format_;
    std::string fileName_;
};

} // namespace

PictureRef DecodeHelper::OpenFile(int fd, PictureDecoder::Format format, const std::string& fileName,
                                  QSize coverArea) {
    if (format == PictureDecoder::Format::Unknown) return nullptr;
    Decoded decoded = Run(fd, format, fileName, coverArea);
    if (decoded.image.isNull()) return nullptr;
    if (decoded.image.size() == decoded.natural) return std::make_shared<Picture>(std::move(decoded.image));
    return std::make_shared<Picture>(decoded.natural.width(), decoded.natural.height(),
                                     std::make_unique<HelperSource>(fd, format, fileName),
                                     std::move(decoded.image));
}

PictureRef DecodeHelper::OpenBytes(const QByteArray& bytes, QSize coverArea) {
    const PictureDecoder::Format format = PictureDecoder::Sniff(bytes, {});
    if (format == PictureDecoder::Format::Unknown || bytes.size() > PictureDecoder::kByteBudget) return nullptr;
    const FileDescriptor memfd(::memfd_create("stampora-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (memfd.Get() < 0) return nullptr;
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(memfd.Get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return nullptr;
        done += n;
    }
    // Sealed, so that the picture a later decode reads is the one pasted.
    ::fcntl(memfd.Get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return OpenFile(memfd.Get(), format, {}, coverArea);
}

std::unique_ptr<QMimeData> DecodeHelper::PictureData(const QMimeData& data) {
    QStringList formats = data.formats();
    // PNG first: lossless and what most programs offer.
    formats.sort();
    std::stable_partition(formats.begin(), formats.end(), [](const QString& f) { return f == "image/png"; });
    bool encoded = false;
    auto copy = std::make_unique<QMimeData>();
    for (const QString& format : formats) {
        if (!format.startsWith("image/")) continue;
        encoded = true;
        const QByteArray bytes = data.data(format);
        if (PictureDecoder::Sniff(bytes, {}) == PictureDecoder::Format::Unknown) continue;
        copy->setData(format, bytes);
        return copy;
    }
    // Without encoded bytes an image can only be one this process made itself (a
    // foreign owner's image is offered as bytes, which Qt would decode here).
    if (encoded || !data.hasImage()) return nullptr;
    copy->setImageData(data.imageData());
    return copy;
}

PictureRef DecodeHelper::FromMimeData(const QMimeData& data) {
    const auto picture = PictureData(data);
    if (!picture) return nullptr;
    for (const QString& format : picture->formats())
        if (format.startsWith("image/")) return OpenBytes(picture->data(format), {});
    const QImage image = qvariant_cast<QImage>(picture->imageData());
    if (image.isNull() || int64_t{image.width()} * image.height() > Picture::PixelLimit()) return nullptr;
    return std::make_shared<Picture>(image);
}

std::string DecodeHelper::Program() {
    {
        const std::lock_guard<std::mutex> lock(programLock);
        if (!programForTests.empty()) return programForTests;
    }
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "stampora-decode";
    std::string self(path, size_t(n));
    return self.substr(0, self.rfind('/') + 1) + "stampora-decode";
}

void DecodeHelper::SetProgram(const std::string& path) {
    const std::lock_guard<std::mutex> lock(programLock);
    programForTests = path;
}

} // namespace fw
