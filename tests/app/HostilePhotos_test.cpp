#include "tests/app/StamporaFixture.h"

#include <QtEndian>

#include <fstream>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int64_t kMemoryBound = int64_t{256} << 20;
// Processor time, not wall time: a loaded machine makes a process wait, which wall
// time would count. The slowest healthy case takes 0.45 s in a Debug build and 1 s
// under AddressSanitizer; the JPEG of 3000 empty scans, read in full, took 12 s, and
// a FIFO hung (a hang ends at the child's 30 s alarm and counts as not finished).
// 4 s leaves a slow sanitized machine four times the room and still catches the
// scan flood on a machine three times as fast.
constexpr double kCpuSecondsBound = 4.0;
// Names the photo to open when this test program runs as the measured child.
constexpr const char* kChildPhoto = "STAMPORA_HOSTILE_PHOTO";

int64_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::strlen(field) + 1)) * 1024;
    return -1;
}

double CpuSeconds() {
    rusage use {};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// A 16-bit RGBA PNG of one colour: 8 bytes a pixel at full depth.
std::string Png16(int w, int h) {
    auto be32 = [](uint32_t v) {
        QByteArray bytes(4, '\0');
        qToBigEndian(v, bytes.data());
        return bytes;
    };
    auto chunk = [&](const char* kind, const QByteArray& data) {
        const QByteArray body = kind + data;
        uint32_t crc = 0xFFFFFFFF;
        for (const char b : body) {
            crc ^= uint8_t(b);
            for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
        }
        return be32(uint32_t(data.size())) + body + be32(~crc);
    };
    const QByteArray row = QByteArray(1, '\0') + QByteArray("\x80\0\x40\0\x20\0\xff\xff", 8).repeated(w);
    return ("\x89PNG\r\n\x1a\n" + chunk("IHDR", be32(w) + be32(h) + QByteArray("\x10\x06\0\0\0", 5)) +
            chunk("IDAT", qCompress(row.repeated(h), 1).mid(4)) + chunk("IEND", {})).toStdString();
}

struct Outcome {
    bool finished = false, opened = false;
    int64_t peakBytes = 0;
    double cpuSeconds = 0;
};

// Opens the photo in a fresh process: this program again, running only this test.
// A fork of this process could deadlock on a lock held by one of Qt's threads.
Outcome OpenInChild(const std::string& photo, const std::string& report) {
    std::string filter = "--gtest_filter=HostilePhotos.*";
    std::vector<std::string> env = {std::string(kChildPhoto) + "=" + photo, "STAMPORA_HOSTILE_REPORT=" + report};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "STAMPORA_HOSTILE_", 17) != 0) env.emplace_back(*e);
    std::vector<char*> envp, argv = {const_cast<char*>("/proc/self/exe"), filter.data(), nullptr};
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::filesystem::remove(report);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, "/proc/self/exe", &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    Outcome out;
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return out;
    std::ifstream in(report);
    out.finished = bool(in >> out.opened >> out.peakBytes >> out.cpuSeconds);
    return out;
}

// The child's side: opens the photo in the composer and reports whether it shows,
// the peak resident memory above where it started, and the processor time.
void OpenHereAndReport(const std::string& photo) {
    alarm(30);
    std::ofstream("/proc/self/clear_refs") << "5";
    const int64_t before = StatusBytes("VmRSS:");
    const double start = CpuSeconds();
    cardtest::UseBuiltBundle();
    fw::UserInteraction::Install(std::make_shared<fw::ScriptedUserInteraction>());
    auto window = Stampora::Instance();
    window->AddImage(fw::FolderItem::FromPath(photo));
    // The photo shows: the card's photo area is not the placeholder's white.
    const bool opened = window->thePicture && window->Generate()->Image().pixel(0, 300) != qRgb(255, 255, 255);
    std::ofstream(std::getenv("STAMPORA_HOSTILE_REPORT"))
        << opened << ' ' << StatusBytes("VmHWM:") - before << ' ' << CpuSeconds() - start << '\n';
    std::_Exit(0);
}

std::string Seed(const char* name) { return STAMPORA_TESTDATA "/../../fuzz/corpus/" + std::string(name); }

} // namespace

// Each of these once took gigabytes, seconds, or hung; the composer takes each in
// (or shows the placeholder) within bounded memory and time.
TEST(HostilePhotos, AreTakenInOrRefusedWithinMemoryAndTimeBounds) {
    if (const char* photo = std::getenv(kChildPhoto)) return OpenHereAndReport(photo);
    testsupport::ScratchDir dir;
    mkfifo(dir.File("fifo.jpg").c_str(), 0600);
    const std::string sparse = dir.Write("sparse.png", "\x89PNG\r\n\x1a\n");
    ASSERT_EQ(truncate(sparse.c_str(), off_t{1} << 30), 0);
    const struct { const char* name; std::string path; bool opens; } cases[] = {
        {"65535 tiles, 64 components", Seed("seed_hostile_tiles64.j2k"), false},
        {"65535 tiles, 4 components", Seed("seed_hostile_tiles4.j2k"), false},
        {"subsampled first component", Seed("seed_hostile_subsampled.j2k"), false},
        {"3000 empty progressive scans", Seed("seed_hostile_scans.jpg"), false},
        {"1 x 700 photo", Seed("seed_hostile_thin.png"), true},
        {"6000 x 6000 16-bit RGBA", dir.Write("rgba16.png", Png16(6000, 6000)), true},
        {"FIFO", dir.File("fifo.jpg"), false},
        {"sparse 1 GB file", sparse, false}};
    for (const auto& c : cases) {
        const Outcome out = OpenInChild(c.path, dir.File("report"));
        EXPECT_TRUE(out.finished) << c.name;
        EXPECT_EQ(out.opened, c.opens) << c.name;
        EXPECT_LT(out.peakBytes, kMemoryBound) << c.name;
        EXPECT_LT(out.cpuSeconds, kCpuSecondsBound) << c.name;
    }
}
