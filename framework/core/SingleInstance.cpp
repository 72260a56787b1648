#include "framework/core/SingleInstance.h"

#include "framework/core/FileDescriptor.h"
#include "framework/core/SpecialFolder.h"
#include "framework/core/System.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fw {

namespace {

// Each answer of a running copy comes from its event loop; one busy loading a large
// photo still answers well within this. Past it, the copy counts as stuck.
constexpr int kAnswerMs = 5000;
// A copy whose queue of waiting connections is full is busy, not gone.
constexpr int kConnectMs = 3000;
// Longer than a start holds the lock (one connect and the start of listening), so
// that copies started together wait their turn rather than give up.
constexpr int kLockMs = 2 * kConnectMs + 2000;
// A sender that sends no whole piece for this long is dropped.
constexpr int kIdleMs = 5000;
// A message goes in pieces of at most this size, each answered before the next, so
// that a start naming any number of files is never refused for its length. No file
// name comes near it.
constexpr qsizetype kPieceBytes = 64 * 1024;
// Open connections at most; past it the one idle longest goes. Together with the
// piece size this bounds what the server ever holds: kMaxPeers * kPieceBytes (2 MB).
constexpr size_t kMaxPeers = 32;
// Connections accepted in one turn of the event loop, so that a flood cannot keep
// the window from its own events.
constexpr int kAcceptsPerTurn = 64;
constexpr char kAck = 1;

// The same user only: the folder is private, and the peer is checked as well, so
// another user's copy is never talked to.
bool PeerIsUs(int fd) {
#if defined(SO_PEERCRED)
    struct ucred cred {};
    socklen_t size = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && cred.uid == ::getuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(fd, &uid, &gid) == 0 && uid == ::getuid();
#endif
}

bool Address(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

// --- the pieces of a message

// Paths may hold any byte but NUL: each ends with one, and an empty one ends the
// piece. The running copy opens each piece's paths as it arrives.
std::vector<std::string> Pieces(const std::vector<std::string>& paths) {
    std::vector<std::string> pieces(1);
    for (const auto& path : paths) {
        if (path.empty() || path.find('\0') != std::string::npos) continue;
        if (qsizetype(path.size()) + 2 > kPieceBytes) {
            System::DebugLog("A name longer than any file's was left out.");
            continue;
        }
        if (qsizetype(pieces.back().size() + path.size()) + 2 > kPieceBytes) pieces.emplace_back();
        pieces.back().append(path).push_back('\0');
    }
    for (auto& piece : pieces) piece.push_back('\0');
    return pieces;
}

// Takes the whole pieces off the front of `buffer`, in order, each as its paths.
std::vector<std::vector<std::string>> TakePieces(QByteArray& buffer) {
    std::vector<std::vector<std::string>> pieces;
    std::vector<std::string> paths;
    qsizetype from = 0, consumed = 0;
    for (qsizetype end; (end = buffer.indexOf('\0', from)) >= 0; from = end + 1) {
        if (end > from) {
            paths.emplace_back(buffer.constData() + from, static_cast<size_t>(end - from));
            continue;
        }
        pieces.push_back(std::move(paths));
        paths.clear();
        consumed = end + 1;
    }
    buffer.remove(0, consumed);
    return pieces;
}

// --- the running copy's side

class Listener;

// One later start, talking to the running copy.
class Peer : public QObject {
public:
    Peer(int fd, QObject* parent) : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read, this) {
        idle_.setSingleShot(true);
        idle_.setInterval(kIdleMs);
        quiet_.start();
        // Once, whole: a piece never needs more, so the buffer never grows.
        buffer_.reserve(kPieceBytes);
    }
    ~Peer() override { Close(); }
    void Close() {
        notifier_.setEnabled(false);
        idle_.stop();
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        buffer_ = QByteArray();
    }
    bool Answer() { return ::send(fd_, &kAck, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1; }

    int fd_;
    QSocketNotifier notifier_;
    QTimer idle_;
    // Since the connection or its last whole piece.
    QElapsedTimer quiet_;
    QByteArray buffer_;
};

class Listener : public QObject {
public:
    Listener(int fd, std::string path, SingleInstance::Receiver receiver)
        : QObject(QCoreApplication::instance()), fd_(fd), path_(std::move(path)), receiver_(std::move(receiver)),
          notifier_(fd, QSocketNotifier::Read, this) {
        struct stat st {};
        if (::stat(path_.c_str(), &st) == 0) device_ = st.st_dev, inode_ = st.st_ino;
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { Accept(); });
    }
    ~Listener() override {
        ::close(fd_);
        // Only our own socket: a copy started meanwhile may already listen there.
        struct stat st {};
        if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_) ::unlink(path_.c_str());
    }

    size_t BufferedBytes() const {
        size_t bytes = 0;
        for (const Peer* peer : peers_) bytes += size_t(peer->buffer_.capacity());
        return bytes;
    }

private:
    void Accept() {
        for (int turn = 0; turn < kAcceptsPerTurn; ++turn) {
            const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) {
                if (errno == EINTR) continue;
                // Out of descriptors: the longest idle sender makes room. Never a
                // reason to stop listening, which would let the next start run alone.
                if ((errno == EMFILE || errno == ENFILE) && !peers_.empty()) {
                    Drop(MostIdle());
                    continue;
                }
                if (errno != EAGAIN && errno != EWOULDBLOCK) Pause();
                return;
            }
            if (!PeerIsUs(fd)) {
                ::close(fd);
                continue;
            }
            if (peers_.size() >= kMaxPeers) Drop(MostIdle());
            auto* peer = new Peer(fd, this);
            peers_.push_back(peer);
            connect(&peer->notifier_, &QSocketNotifier::activated, peer, [this, peer] { Read(peer); });
            connect(&peer->idle_, &QTimer::timeout, peer, [this, peer] { Drop(peer); });
            peer->idle_.start();
            if (!peer->Answer()) Drop(peer);
        }
    }

    // Accepting failed for want of resources: try again shortly rather than spin.
    void Pause() {
        notifier_.setEnabled(false);
        QTimer::singleShot(200, this, [this] { notifier_.setEnabled(true); });
    }

    Peer* MostIdle() const {
        return *std::max_element(peers_.begin(), peers_.end(),
                                 [](const Peer* a, const Peer* b) { return a->quiet_.elapsed() < b->quiet_.elapsed(); });
    }

    void Drop(Peer* peer) {
        peers_.erase(std::remove(peers_.begin(), peers_.end(), peer), peers_.end());
        peer->Close();
        peer->deleteLater();
#if defined(__GLIBC__)
        // The buffers are below malloc's mapping threshold: without this, a flood's
        // megabytes would stay with the program after it has gone.
        if (peers_.empty()) ::malloc_trim(0);
#endif
    }

    void Read(Peer* peer) {
        for (;;) {
            QByteArray& buffer = peer->buffer_;
            const qsizetype had = buffer.size();
            // A piece longer than any start sends is not ours.
            if (had >= kPieceBytes) return Drop(peer);
            buffer.resize(kPieceBytes);
            const ssize_t n = ::read(peer->fd_, buffer.data() + had, static_cast<size_t>(kPieceBytes - had));
            buffer.resize(had + std::max<ssize_t>(n, 0));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
            if (n <= 0) return Drop(peer);
            for (auto& paths : TakePieces(buffer)) {
                // From the event loop, once this handler has returned: the documents
                // may take a while, and the connection may go meanwhile.
                QTimer::singleShot(0, QCoreApplication::instance(),
                                   [receiver = receiver_, paths = std::move(paths)] { receiver(paths); });
                // Answered before they open: the paths are this copy's now, and the
                // sender may end while the photos load.
                if (!peer->Answer()) return Drop(peer);
                peer->quiet_.restart();
                peer->idle_.start();
            }
        }
    }

    int fd_;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    SingleInstance::Receiver receiver_;
    QSocketNotifier notifier_;
    std::vector<Peer*> peers_;
};

QPointer<Listener>& Instance() {
    static QPointer<Listener> listener;
    return listener;
}

Listener* Listen(const std::string& path, SingleInstance::Receiver receiver) {
    sockaddr_un address {};
    if (!Address(path, address)) {
        System::DebugLog("Cannot listen for later copies: the socket's path is too long: " + path);
        return nullptr;
    }
    // Under the lock, after nobody answered there: whatever is at the name is left
    // from a copy that crashed.
    ::unlink(path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, SOMAXCONN) != 0) {
        System::DebugLog(std::string("Cannot listen for later copies: ") + std::strerror(errno));
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    ::chmod(path.c_str(), 0600);
    return new Listener(fd, path, std::move(receiver));
}

// --- a later start's side

bool WaitReady(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd p {fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::max<qint64>(0, deadline.remainingTime())));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

enum class Answer { Yes, Gone, Silent };

Answer ReadAnswer(int fd, const QDeadlineTimer& deadline) {
    for (char answer = 0;;) {
        const ssize_t n = ::read(fd, &answer, 1);
        if (n == 1) return answer == kAck ? Answer::Yes : Answer::Gone;
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return Answer::Gone;
        if (!WaitReady(fd, POLLIN, deadline)) return Answer::Silent;
    }
}

Answer Send(int fd, const std::string& bytes, const QDeadlineTimer& deadline) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitReady(fd, POLLOUT, deadline)) return Answer::Silent;
            continue;
        }
        return Answer::Gone;
    }
    return ReadAnswer(fd, deadline);
}

enum class Reach { Connected, Nobody, Busy };

Reach Connect(const std::string& path, int& connected) {
    sockaddr_un address {};
    if (!Address(path, address)) return Reach::Nobody;
    const QDeadlineTimer deadline(kConnectMs);
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return Reach::Nobody;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            connected = fd;
            return Reach::Connected;
        }
        const int error = errno;
        ::close(fd);
        // A full queue of waiting connections: the copy is there but busy.
        if (error == EAGAIN || error == EINTR) {
            if (deadline.hasExpired()) return Reach::Busy;
            QThread::msleep(20);
            continue;
        }
        return Reach::Nobody;
    }
}

// Hands the paths over, piece by piece. nullopt: the socket is not this user's, or
// the copy went away before taking anything (it was ending).
std::optional<SingleInstance::Outcome> HandOver(int fd, const std::vector<std::string>& paths) {
    if (!PeerIsUs(fd)) return std::nullopt;
    // The paths go only to a copy that has greeted us: a stuck one is left without
    // them, so that it cannot open them long after this start reported failure.
    switch (ReadAnswer(fd, QDeadlineTimer(kAnswerMs))) {
    case Answer::Yes: break;
    case Answer::Gone: return std::nullopt;
    case Answer::Silent:
        System::DebugLog("The running copy of the program does not answer; nothing was opened.");
        return SingleInstance::Outcome::NoAnswer;
    }
    const auto pieces = Pieces(paths);
    size_t taken = 0, total = 0;
    for (const auto& piece : pieces) total += size_t(std::count(piece.begin(), piece.end(), '\0')) - 1;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Answer answer = Send(fd, pieces[i], QDeadlineTimer(kAnswerMs));
        if (answer == Answer::Yes) {
            taken += size_t(std::count(pieces[i].begin(), pieces[i].end(), '\0')) - 1;
            continue;
        }
        if (i == 0 && answer == Answer::Gone) return std::nullopt;
        System::DebugLog("The running copy of the program stopped answering; it took " + std::to_string(taken) +
                         " of the " + std::to_string(total) + " documents.");
        return SingleInstance::Outcome::NoAnswer;
    }
    return SingleInstance::Outcome::HandedOver;
}

enum class Turn { Ours, Failed, TimedOut };

// Copies started together (one per file of a multiple selection) take turns, so
// that exactly one of them becomes the first. The kernel lets go of the lock when
// its holder ends, however it ends.
Turn TakeTurn(const std::string& path, int& lock) {
    const int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Turn::Failed;
    const QDeadlineTimer deadline(kLockMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) || deadline.hasExpired()) {
            ::close(fd);
            return error == EWOULDBLOCK ? Turn::TimedOut : Turn::Failed;
        }
        QThread::msleep(20);
    }
    lock = fd;
    return Turn::Ours;
}

} // namespace

std::string SingleInstance::SocketName(const std::string& platform, const std::string& display) {
    QString key;
    if (platform == "offscreen" || platform == "minimal" || platform == "minimalegl") return {};
    if (platform == "xcb") {
        // host:display.screen; the screens of one display are one desktop, and the
        // local host may be named or not.
        static const QRegularExpression form(R"(^(.*):(\d+)(\.\d+)?$)");
        const auto match = form.match(QString::fromStdString(display));
        if (!match.hasMatch()) return {};
        QString host = match.captured(1);
        if (host == "unix") host.clear();
        key = "x11-" + (host.isEmpty() ? QString() : host + "-") + match.captured(2);
    } else if (platform == "wayland") {
        key = "wayland-" + QString::fromStdString(display.empty() ? "wayland-0" : display);
    } else {
        key = QString::fromStdString(platform);
    }
    key.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
    return key.isEmpty() ? std::string() : key.toStdString() + ".socket";
}

SingleInstance::Outcome SingleInstance::Claim(const std::vector<std::string>& paths, Receiver receiver) {
    const QString platform = QGuiApplication::platformName();
    const char* displayVariable = platform == "wayland" ? "WAYLAND_DISPLAY" : "DISPLAY";
    const char* display = std::getenv(displayVariable);
    const std::string name = SocketName(platform.toStdString(), display ? display : "");
    auto folder = SpecialFolder::Temporary();
    if (name.empty() || !folder) return Outcome::First;
    return ClaimAt(folder->Child(name)->AbsolutePath(), paths, std::move(receiver));
}

SingleInstance::Outcome SingleInstance::ClaimAt(const std::string& path, const std::vector<std::string>& paths,
                                                Receiver receiver) {
    // Once more after a copy that went away while answering: it was ending.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int lockFd = -1;
        switch (TakeTurn(path, lockFd)) {
        case Turn::Ours: break;
        case Turn::Failed:
            System::DebugLog("Cannot look for a running copy of the program; this one runs on its own.");
            return Outcome::First;
        case Turn::TimedOut:
            System::DebugLog("Another copy of the program is starting and does not finish; nothing was opened.");
            return Outcome::NoAnswer;
        }
        FileDescriptor lock(lockFd);
        int socketFd = -1;
        switch (Connect(path, socketFd)) {
        case Reach::Connected: {
            lock.Reset();
            const FileDescriptor socket(socketFd);
            if (auto outcome = HandOver(socket.Get(), paths)) return *outcome;
            continue;
        }
        case Reach::Busy:
            System::DebugLog("The running copy of the program is too busy to take a connection; nothing was opened.");
            return Outcome::NoAnswer;
        case Reach::Nobody: break;
        }
        // Nobody listens: a copy that crashed left its socket behind, or there is none.
        if (auto* listener = Listen(path, std::move(receiver))) Instance() = listener;
        return Outcome::First;
    }
    return Outcome::First;
}

void SingleInstance::Release() { delete Instance().data(); }

size_t SingleInstance::BufferedBytes() { return Instance() ? Instance()->BufferedBytes() : 0; }

} // namespace fw
