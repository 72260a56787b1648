#include "app/IMageFiles.h"
#include "app/Stampora.h"
#include "framework/ExecutableFile.h"
#include "framework/UserInteraction.h"
#include "platform/carbon/CarbonLibrary.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int64_t kMemoryBound = int64_t{256} << 20;
constexpr double kSecondsBound = 5.0;

int64_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::strlen(field) + 1)) * 1024;
    return -1;
}

uint32_t Crc32(const QByteArray& data) {
    uint32_t c = 0xFFFFFFFF;
    for (const char b : data) {
        c ^= uint8_t(b);
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320 ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

// A 16-bit RGBA PNG of one colour: 8 bytes a pixel at full depth.
std::string Png16(int w, int h) {
    auto be32 = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    auto chunk = [&](const char* kind, const QByteArray& data) {
        const QByteArray body = QByteArray(kind) + data;
        return be32(uint32_t(data.size())) + body.toStdString() + be32(Crc32(body));
    };
    QByteArray ihdr = QByteArray::fromStdString(be32(w) + be32(h)) + QByteArray("\x10\x06\0\0\0", 5);
    QByteArray row = QByteArray(1, '\0') + QByteArray("\x80\0\x40\0\x20\0\xff\xff", 8).repeated(w);
    QByteArray idat = qCompress(row.repeated(h), 1).mid(4);
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", ihdr) + chunk("IDAT", idat) + chunk("IEND", {});
}

// Runs `work` in a child process. Its peak resident memory above where it started
// and its time are measured; an alarm ends it if it hangs.
struct Outcome {
    bool finished = false;
    bool result = false;
    int64_t peakBytes = 0;
    double seconds = 0;
};
Outcome RunBounded(const std::function<bool()>& work) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        alarm(30);
        std::ofstream("/proc/self/clear_refs") << "5";
        const int64_t before = StatusBytes("VmRSS:");
        const bool result = work();
        const int64_t peak = StatusBytes("VmHWM:") - before;
        [[maybe_unused]] const ssize_t n = write(pipeFds[1], &peak, sizeof peak);
        _exit(result ? 0 : 1);
    }
    close(pipeFds[1]);
    Outcome out;
    const bool reported = read(pipeFds[0], &out.peakBytes, sizeof out.peakBytes) == sizeof out.peakBytes;
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.finished = reported && WIFEXITED(status);
    out.result = out.finished && WEXITSTATUS(status) == 0;
    return out;
}

struct HostileCase {
    const char* name;
    std::function<std::string(const testsupport::ScratchDir&)> make;   // gives the path
    bool opens;
};

std::string Seed(const char* name) { return STAMPORA_TESTDATA "/../../fuzz/corpus/" + std::string(name); }

} // namespace

// Each of these once took gigabytes, minutes, or hung; the composer takes each in
// (or shows the placeholder) within bounded memory and time.
TEST(HostilePhotos, AreTakenInOrRefusedWithinMemoryAndTimeBounds) {
    const HostileCase cases[] = {
        {"65535 tiles, 64 components", [](auto&) { return Seed("seed_hostile_tiles64.j2k"); }, false},
        {"65535 tiles, 4 components", [](auto&) { return Seed("seed_hostile_tiles4.j2k"); }, false},
        {"subsampled first component", [](auto&) { return Seed("seed_hostile_subsampled.j2k"); }, false},
        {"3000 empty progressive scans", [](auto&) { return Seed("seed_hostile_scans.jpg"); }, false},
        {"1 x 700 photo", [](auto&) { return Seed("seed_hostile_thin.png"); }, true},
        {"6000 x 6000 16-bit RGBA", [](auto& dir) { return dir.Write("rgba16.png", Png16(6000, 6000)); }, true},
        {"FIFO", [](auto& dir) { mkfifo(dir.File("fifo.jpg").c_str(), 0600); return dir.File("fifo.jpg"); }, false},
        {"sparse 1 GB file",
         [](auto& dir) {
             const std::string path = dir.Write("sparse.png", "\x89PNG\r\n\x1a\n");
             return truncate(path.c_str(), off_t{1} << 30) == 0 ? path : std::string();
         },
         false},
    };
    for (const HostileCase& c : cases) {
        testsupport::ScratchDir dir;
        const std::string path = c.make(dir);
        const Outcome out = RunBounded([&] {
            fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
            carbon::InstallCarbonLibrary();
            if (!IMageFiles::pJpeg) IMageFiles::_Initialize();
            fw::UserInteraction::Install(std::make_shared<fw::ScriptedUserInteraction>());
            auto window = Stampora::Instance();
            window->AddImage(fw::FolderItem::FromPath(path));
            if (!window->thePicture) return false;
            // The photo shows: the card's photo area is not the placeholder's white.
            return window->Generate()->Image().pixel(0, 300) != qRgb(255, 255, 255);
        });
        EXPECT_TRUE(out.finished) << c.name;
        EXPECT_EQ(out.result, c.opens) << c.name;
        EXPECT_LT(out.peakBytes, kMemoryBound) << c.name;
        EXPECT_LT(out.seconds, kSecondsBound) << c.name;
    }
}
