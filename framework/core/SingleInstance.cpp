#include "framework/core/SingleInstance.h"

#include "framework/core/SpecialFolder.h"
#include "framework/core/System.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

#include <memory>
#include <optional>

#include <sys/socket.h>
#include <unistd.h>

namespace fw {

namespace {

// A copy answers from its event loop; one busy loading a large photo at start-up
// still answers well within this. Past it, the copy counts as stuck.
constexpr int kAnswerMs = 5000;
// Only the look-up and the start of listening happen under the lock.
constexpr int kLockMs = 3000;
// A sender that has not finished its message by then is dropped.
constexpr int kReceiveMs = 5000;
// Far more paths than any start passes; a longer message is not ours.
constexpr qsizetype kMaxMessage = 1 << 20;
constexpr char kAck = 1;

QPointer<QLocalServer>& Server() {
    static QPointer<QLocalServer> server;
    return server;
}

// The same user only: the folder is private, and the peer is checked as well, so
// another user's copy is never talked to.
bool PeerIsUs(qintptr fd) {
#if defined(SO_PEERCRED)
    struct ucred cred {};
    socklen_t size = sizeof cred;
    return ::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && cred.uid == ::getuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(static_cast<int>(fd), &uid, &gid) == 0 && uid == ::getuid();
#endif
}

// Paths may hold any byte but NUL: each ends with one, and an empty one ends the
// message.
QByteArray Message(const std::vector<std::string>& paths) {
    QByteArray message;
    for (const auto& path : paths) {
        if (path.empty() || path.find('\0') != std::string::npos) continue;
        message.append(path.data(), static_cast<qsizetype>(path.size())).append('\0');
    }
    return message.append('\0');
}

// The paths of a whole message, or nothing while it is incomplete.
std::optional<std::vector<std::string>> Parse(const QByteArray& buffer) {
    std::vector<std::string> paths;
    qsizetype from = 0;
    while (from < buffer.size()) {
        const qsizetype end = buffer.indexOf('\0', from);
        if (end < 0) break;
        if (end == from) return paths;
        paths.emplace_back(buffer.constData() + from, static_cast<size_t>(end - from));
        from = end + 1;
    }
    return std::nullopt;
}

void Receive(QLocalSocket* socket, const SingleInstance::Receiver& receiver) {
    if (!PeerIsUs(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kReceiveMs, socket, [socket] { socket->abort(); });
    socket->write(&kAck, 1);
    auto buffer = std::make_shared<QByteArray>();
    auto done = std::make_shared<bool>(false);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, receiver, buffer, done] {
        if (*done) return;
        buffer->append(socket->readAll());
        if (buffer->size() > kMaxMessage) return socket->abort();
        const auto paths = Parse(*buffer);
        if (!paths) return;
        *done = true;
        // Acknowledged before they open: the paths are this copy's now, and the sender
        // may end while the photos load.
        socket->write(&kAck, 1);
        socket->flush();
        socket->disconnectFromServer();
        // From the event loop, once this socket's handler has returned: the
        // documents may take a while, and the socket goes meanwhile.
        QTimer::singleShot(0, QCoreApplication::instance(), [receiver, paths = *paths] { receiver(paths); });
    });
}

// Reads the running copy's one-byte answer.
bool Answered(QLocalSocket& socket, const QDeadlineTimer& deadline) {
    while (socket.bytesAvailable() == 0 && socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired())
        socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kAck;
}

// Asks the running copy to take the paths. nullopt: the socket is not this user's,
// or the copy went away without taking them (it was ending).
std::optional<SingleInstance::Outcome> HandOver(QLocalSocket& socket, const std::vector<std::string>& paths) {
    if (!PeerIsUs(socket.socketDescriptor())) {
        socket.abort();
        return std::nullopt;
    }
    // The paths go only to a copy that has greeted us: a stuck one is left without
    // them, so that it cannot open them long after this start reported failure.
    QDeadlineTimer deadline(kAnswerMs);
    if (!Answered(socket, deadline)) {
        if (socket.state() != QLocalSocket::ConnectedState) return std::nullopt;
        socket.abort();
        return SingleInstance::Outcome::NoAnswer;
    }
    socket.write(Message(paths));
    while (socket.bytesToWrite() > 0 && socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired())
        socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    if (Answered(socket, deadline)) return SingleInstance::Outcome::HandedOver;
    if (socket.state() != QLocalSocket::ConnectedState) return std::nullopt;
    return SingleInstance::Outcome::NoAnswer;
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
    const QString path = QString::fromStdString(folder->Child(name)->AbsolutePath());

    // Once more after a copy that went away while answering: it was ending.
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Copies started together (one per file of a multiple selection) take turns,
        // so that exactly one of them becomes the first.
        QLockFile lock(path + ".lock");
        if (!lock.tryLock(kLockMs)) {
            System::DebugLog("Another copy of the program is starting; this one runs on its own.");
            return Outcome::First;
        }
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(kLockMs)) {
            lock.unlock();
            if (auto outcome = HandOver(socket, paths)) return *outcome;
            continue;
        }
        // Nobody listens: a copy that crashed left its socket behind, or there is none.
        QLocalServer::removeServer(path);
        auto* server = new QLocalServer(QCoreApplication::instance());
        if (!server->listen(path)) {
            System::DebugLog("Cannot listen for later copies: " + server->errorString().toStdString());
            delete server;
            return Outcome::First;
        }
        QObject::connect(server, &QLocalServer::newConnection, server, [server, receiver] {
            while (QLocalSocket* peer = server->nextPendingConnection()) Receive(peer, receiver);
        });
        Server() = server;
        return Outcome::First;
    }
    return Outcome::First;
}

void SingleInstance::Release() {
    if (!Server()) return;
    Server()->close();
    delete Server().data();
}

} // namespace fw
