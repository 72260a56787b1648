#include "framework/core/SingleInstance.h"

#include "framework/core/FileDescriptor.h"

#include "tests/common/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using fw::SingleInstance;

namespace {

// The most a listening copy may hold: its cap on connections times one piece each.
constexpr size_t kMostBuffered = 32 * 64 * 1024;

void Spin(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool Readable(int fd) {
    pollfd p {fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return address;
}

// A later start's connection made by hand, so that a test sets its pace: greeted,
// or -1.
int Dial(const std::string& path) {
    const sockaddr_un address = AddressOf(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return ::close(fd), -1;
    Spin([&] { return Readable(fd); }, 2000);
    char greeting = 0;
    return ::recv(fd, &greeting, 1, MSG_DONTWAIT) == 1 ? fd : (::close(fd), -1);
}

// Sends one whole piece holding `path` and tells whether the listening copy took it.
bool SendPiece(int fd, const std::string& path) {
    const std::string piece = path + '\0' + '\0';
    if (::send(fd, piece.data(), piece.size(), MSG_NOSIGNAL) != ssize_t(piece.size())) return false;
    Spin([&] { return Readable(fd); }, 2000);
    char answer = 0;
    return ::recv(fd, &answer, 1, MSG_DONTWAIT) == 1;
}

// Connections from another process, as another start of the same user would make
// them. Each sends `bytes` of a message it never ends, then stays idle; asked, it
// counts the connections that the listening copy still holds open.
class Flood {
public:
    Flood(const std::string& path, int count, size_t bytes) {
        int up[2], down[2];
        if (::pipe(up) != 0 || ::pipe(down) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up[0]), ::close(down[1]);
            _exit(Child(path, count, bytes, up[1], down[0]));
        }
        ::close(up[1]), ::close(down[0]);
        fromChild_ = up[0], toChild_ = down[1];
    }
    ~Flood() {
        ::close(fromChild_), ::close(toChild_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    bool Connected() const { return Readable(fromChild_); }
    void AskOpen() {
        char c = 0;
        (void)::read(fromChild_, &c, 1);
        (void)::write(toChild_, "?", 1);
    }
    int Open() const {
        int open = -1;
        return ::read(fromChild_, &open, sizeof open) == sizeof open ? open : -1;
    }

private:
    static int Child(const std::string& path, int count, size_t bytes, int up, int down) {
        rlimit limit {};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, rlim_t(count) + 64);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        std::vector<int> fds;
        const std::string message(bytes, 'x');
        for (int i = 0; i < count; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            for (int tries = 0; tries < 500; ++tries) {
                if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) break;
                ::usleep(10000);
            }
            for (size_t sent = 0; sent < bytes;) {
                const ssize_t n = ::send(fd, message.data() + sent, bytes - sent, MSG_NOSIGNAL);
                if (n > 0) sent += size_t(n);
                else if (n < 0 && errno == EAGAIN) ::usleep(1000);
                else break;
            }
            fds.push_back(fd);
        }
        (void)::write(up, "!", 1);
        char c = 0;
        (void)::read(down, &c, 1);
        // Open: greeted and not closed since.
        int open = 0;
        for (const int fd : fds) {
            char greeting[2];
            if (::recv(fd, greeting, 1, MSG_DONTWAIT) != 1) continue;
            const ssize_t more = ::recv(fd, greeting, 1, MSG_DONTWAIT);
            open += more < 0 && errno == EAGAIN;
        }
        (void)::write(up, &open, sizeof open);
        return 0;
    }

    pid_t pid_ = -1;
    int fromChild_ = -1, toChild_ = -1;
};

// A listening copy in this process; later starts run on a thread (their side only
// blocks) while this thread's event loop serves them.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SingleInstance::ClaimAt(path_, {},
                                          [this](const auto& paths) {
                                              received_.push_back(paths);
                                              if (onReceive_) onReceive_();
                                          }),
                  SingleInstance::Outcome::First);
    }
    void TearDown() override { SingleInstance::Release(); }

    SingleInstance::Outcome LaterStart(const std::vector<std::string>& paths) {
        auto later = std::async(std::launch::async, [&] { return SingleInstance::ClaimAt(path_, paths, nullptr); });
        Spin([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30000);
        QCoreApplication::processEvents();
        return later.get();
    }
    std::vector<std::string> Received() const {
        std::vector<std::string> all;
        for (const auto& paths : received_) all.insert(all.end(), paths.begin(), paths.end());
        return all;
    }

    testsupport::ScratchDir dir_;
    const std::string path_ = dir_.File("x11-0.socket");
    std::vector<std::vector<std::string>> received_;
    std::function<void()> onReceive_;
};

} // namespace

// Whatever the later starts do, the listening copy keeps listening, holds a bounded
// number of connections and bytes (the idle ones go first), lets go of them when
// they go, and the next start still hands its paths over whole, bytes as they are.
TEST_F(SingleInstanceTest, LaterStartsHandOverWholeWhateverOtherConnectionsDo) {
    std::vector<std::string> twoMegabytes;
    for (int i = 0; twoMegabytes.size() * 100 < 2 * 1024 * 1024; ++i)
        twoMegabytes.push_back("/photos/" + std::string(80, 'a' + i % 26) + "/" + std::to_string(i) + ".jpg");
    const struct {
        const char* name;
        int connections;
        size_t bytesEach;
        int spareDescriptors;   // 0: the process's own limit
        std::vector<std::string> paths;
    } rows[] = {
        {"2 MB of paths, in several pieces", 0, 0, 0, twoMegabytes},
        {"names that are not UTF-8", 0, 0, 0, {"/home/caf\xE9/caf\xE9.jpg", "/tmp/\xFF\xFE.png"}},
        {"1,100 idle connections", 1100, 0, 0, {"/a.jpg"}},
        {"300 unfinished messages", 300, 60 * 1024, 0, {"/b.jpg"}},
        {"out of descriptors while accepting", 100, 0, 6, {"/c.jpg"}},
        // Each name with its terminator, and the piece's own: one byte past a piece.
        {"paths one byte too many for one piece", 0, 0, 0, {"/" + std::string(32766, 'd'), "/" + std::string(32766, 'e')}},
    };
    // Only this user may hand documents over.
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        received_.clear();
        size_t mostBuffered = 0;
        if (row.connections > 0) {
            rlimit saved {};
            ::getrlimit(RLIMIT_NOFILE, &saved);
            Flood flood(path_, row.connections, row.bytesEach);
            if (row.spareDescriptors > 0) {
                const int open = ::dup(0);
                ::close(open);
                rlimit low = saved;
                low.rlim_cur = rlim_t(open + row.spareDescriptors);
                ::setrlimit(RLIMIT_NOFILE, &low);
            }
            Spin([&] {
                mostBuffered = std::max(mostBuffered, SingleInstance::BufferedBytes());
                return flood.Connected();
            }, 60000);
            ASSERT_TRUE(flood.Connected());
            // The last ones in the queue are accepted; then the count is taken with
            // this copy still, so that none is accepted or dropped meanwhile.
            Spin([&] {
                mostBuffered = std::max(mostBuffered, SingleInstance::BufferedBytes());
                return false;
            }, 500);
            ::setrlimit(RLIMIT_NOFILE, &saved);
            flood.AskOpen();
            const int open = flood.Open();
            EXPECT_TRUE(open >= 0 && open <= 32) << open;
            EXPECT_LE(mostBuffered, kMostBuffered);
        }
        // The flood has gone: what it held is let go.
        Spin([] { return SingleInstance::BufferedBytes() == 0; }, 2000);
        EXPECT_EQ(SingleInstance::BufferedBytes(), 0u);
        EXPECT_EQ(LaterStart(row.paths), SingleInstance::Outcome::HandedOver);
        EXPECT_EQ(Received(), row.paths);
        size_t bytes = 1;
        for (const auto& path : row.paths) bytes += path.size() + 1;
        EXPECT_EQ(received_.size() > 1, bytes > 64 * 1024);
        EXPECT_TRUE(std::none_of(received_.begin(), received_.end(), [](const auto& paths) { return paths.empty(); }));
    }
}

// A running copy that cannot take everything is reported, never replaced: the later
// start does not listen in its place, which would split the user's copies in two.
TEST_F(SingleInstanceTest, ACopyThatCannotTakeEverythingIsReportedNotReplaced) {
    std::vector<std::string> manyPieces;
    for (int i = 0; i < 4000; ++i) manyPieces.push_back("/photos/" + std::string(100, 'p') + std::to_string(i));
    const std::string busy = dir_.File("busy.socket");
    const sockaddr_un address = AddressOf(busy);
    const fw::FileDescriptor listening(::socket(AF_UNIX, SOCK_STREAM, 0)), waiting(::socket(AF_UNIX, SOCK_STREAM, 0));
    ASSERT_EQ(::bind(listening.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening.Get(), 0), 0);
    const struct {
        const char* name;
        std::string path;
        std::function<void()> onReceive;
    } rows[] = {
        // One connection fills a queue of none that is never accepted from.
        {"its queue of connections is full", busy, [] {}},
        {"it ends after taking the first pieces", path_, [] { SingleInstance::Release(); }},
    };
    ASSERT_EQ(::connect(waiting.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        onReceive_ = row.onReceive;
        auto later = std::async(std::launch::async, [&] { return SingleInstance::ClaimAt(row.path, manyPieces, nullptr); });
        Spin([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30000);
        EXPECT_EQ(later.get(), SingleInstance::Outcome::NoAnswer);
    }
}

// A sender goes for its own silence only: one that keeps sending stays however long
// it takes in all, and at the cap on connections the one idle longest goes.
TEST_F(SingleInstanceTest, ASenderGoesOnlyForItsOwnSilence) {
    const int active = Dial(path_);
    std::vector<int> idle;
    for (int i = 0; i < 31; ++i) {
        Spin([] { return false; }, 2);
        idle.push_back(Dial(path_));
    }
    ASSERT_TRUE(SendPiece(active, "/f.jpg"));
    const int last = Dial(path_);
    Spin([&] { return Readable(idle.front()); }, 2000);
    char byte = 0;
    EXPECT_EQ(::recv(idle.front(), &byte, 1, MSG_DONTWAIT), 0);
    for (const int fd : idle) ::close(fd);
    ::close(last);
    // Pieces well within the idle limit, together longer than it.
    for (int piece = 0; piece < 2; ++piece) {
        Spin([] { return false; }, 2700);
        EXPECT_TRUE(SendPiece(active, "/g.jpg")) << piece;
    }
    ::close(active);
    QCoreApplication::processEvents();
    EXPECT_EQ(Received(), (std::vector<std::string> {"/f.jpg", "/g.jpg", "/g.jpg"}));
}
