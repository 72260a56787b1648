#include "tests/app/StamporaFixture.h"

#include "framework/graphics/DecodeHelper.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtEndian>

#include <fstream>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

extern char** environ;

namespace {

constexpr int64_t kMemoryBound = int64_t{256} << 20;
// The helper's peak resident memory for a picture it takes in; one it refuses may
// have run on to its own limits first.
constexpr int64_t kHelperMemoryBound = int64_t{800} << 20;
// Processor time of the program and its helpers together, not wall time: a loaded
// machine makes a process wait, which wall time would count. A helper is stopped
// after DecodeHelper::kCpuSeconds, so a flood that runs on ends just inside this.
constexpr double kCpuSecondsBound = 10.0;
// The longest the program's event loop may stand still while a picture comes in.
constexpr double kLongestStallMs = 1000;
// Names the photo to open, and the way it comes in, when this test program runs as
// the measured child.
constexpr const char* kChildPhoto = "STAMPORA_HOSTILE_PHOTO";
constexpr const char* kChildRoute = "STAMPORA_HOSTILE_ROUTE";

enum class Route { File, Stamp, Paste };

int64_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::strlen(field) + 1)) * 1024;
    return -1;
}

// The processor time of this process and of the helpers it has reaped.
double CpuSeconds() {
    double total = 0;
    for (rusage r {}; int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        getrusage(who, &r);
        total += double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// `v` in `bytes` bytes, big-endian or little-endian.
QByteArray Be(uint64_t v, int bytes, bool little = false) {
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i) out[little ? i : bytes - 1 - i] = char(v >> (8 * i));
    return out;
}
QByteArray Le(uint64_t v, int bytes) { return Be(v, bytes, true); }

// zlib data of each piece repeated its count of times, never holding the whole.
QByteArray Deflated(const std::vector<std::pair<QByteArray, int64_t>>& pieces) {
    z_stream z {};
    deflateInit(&z, Z_BEST_SPEED);
    QByteArray out;
    char buffer[1 << 16];
    auto pump = [&](int flush) {
        int status = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            status = deflate(&z, flush);
            out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        } while (z.avail_in > 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    };
    for (const auto& [bytes, count] : pieces)
        for (int64_t i = 0; i < count; ++i) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
            z.avail_in = uInt(bytes.size());
            pump(Z_NO_FLUSH);
        }
    pump(Z_FINISH);
    deflateEnd(&z);
    return out;
}

QByteArray PngChunk(const char* kind, const QByteArray& data) {
    const QByteArray body = kind + data;
    return Be(uint32_t(data.size()), 4) + body +
           Be(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))), 4);
}

// A PNG of one colour, `pixel` being one pixel's bytes; Adam7-interlaced when asked,
// with `extra` chunks before the pixels.
std::string Png(uint32_t w, uint32_t h, int depth, int colour, const QByteArray& pixel, bool interlaced,
                const QByteArray& extra = {}) {
    std::vector<std::pair<QByteArray, int64_t>> rows;
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                              {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : interlaced ? std::span(passes) : std::span(passes).first(0)) {
        const uint32_t pw = (w + p[2] - p[0] - 1) / p[2], ph = (h + p[3] - p[1] - 1) / p[3];
        if (pw && ph) rows.emplace_back(QByteArray(1, '\0') + pixel.repeated(pw), ph);
    }
    if (!interlaced) rows.emplace_back(QByteArray(1, '\0') + pixel.repeated(w), h);
    const QByteArray header = Be(w, 4) + Be(h, 4) + char(depth) + char(colour) + QByteArray(2, '\0') + char(interlaced);
    return ("\x89PNG\r\n\x1a\n" + PngChunk("IHDR", header) + extra + PngChunk("IDAT", Deflated(rows)) +
            PngChunk("IEND", {}))
        .toStdString();
}

// A JPEG 2000 codestream of one empty tile over the whole picture: its bookkeeping,
// not its samples, is what costs. Code-blocks of 2^(cb + 2) pixels a side; with
// `precincts`, precincts of 2 x 2.
std::string J2k(uint32_t w, uint32_t h, int components, int cb, bool precincts) {
    QByteArray siz = Be(0, 2) + Be(w, 4) + Be(h, 4) + Be(0, 8) + Be(w, 4) + Be(h, 4) + Be(0, 8) + Be(components, 2);
    for (int c = 0; c < components; ++c) siz += QByteArray::fromHex("070101");
    const QByteArray cod = Be(precincts ? 18 : 12, 2) + char(precincts) + Be(0, 1) + Be(1, 2) + Be(0, 1) +
                           char(5) + char(cb) + char(cb) + Be(0, 2) + (precincts ? QByteArray(6, '\x11') : QByteArray());
    return (QByteArray::fromHex("ff4fff51") + Be(uint32_t(siz.size() + 2), 2) + siz + QByteArray::fromHex("ff52") + cod +
            QByteArray::fromHex("ff5c00044048" "ff90000a0000" "0000000e0001" "ff93ffd9"))
        .toStdString();
}

QByteArray JpegSegment(int marker, const QByteArray& body) {
    return QByteArray::fromHex("ff") + char(marker) + Be(uint32_t(body.size() + 2), 2) + body;
}

// A progressive 4:4:4 JPEG of one DC scan: the decoder holds every coefficient.
std::string ProgressiveJpeg(uint32_t w, uint32_t h) {
    return (QByteArray::fromHex("ffd8") + JpegSegment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\1')) +
            JpegSegment(0xC2, char(8) + Be(h, 2) + Be(w, 2) + QByteArray::fromHex("03011100021100031100")) +
            JpegSegment(0xC4, QByteArray::fromHex("0001") + QByteArray(15, '\0') + QByteArray(1, '\0')) +
            JpegSegment(0xDA, QByteArray::fromHex("03010002000300000000")) + QByteArray::fromHex("00ffd9"))
        .toStdString();
}

// A deflated 8-bit TIFF of one strip, grey or RGB, with an orientation tag;
// big-endian ("MM") when asked.
enum class ByteOrder { Little, Big };
std::string Tiff(uint32_t w, uint32_t h, int orientation, uint32_t samples = 1, ByteOrder order = ByteOrder::Little) {
    const QByteArray data = Deflated({{QByteArray(qsizetype(w) * samples, '\0'), h}});
    const auto word = [order](uint64_t v, int bytes) { return Be(v, bytes, order == ByteOrder::Little); };
    const uint32_t tags[][3] = {{256, 4, w}, {257, 4, h}, {258, 3, 8}, {259, 3, 8}, {262, 3, samples == 3 ? 2u : 1u},
                                {273, 4, 8 + 2 + 10 * 12 + 4}, {274, 3, uint32_t(orientation)},
                                {277, 3, samples}, {278, 4, h}, {279, 4, uint32_t(data.size())}};
    QByteArray out = QByteArray(order == ByteOrder::Little ? "II*\0" : "MM\0*", 4) + word(8, 4) + word(10, 2);
    // A short value sits in the first two bytes of its field, whatever the byte order.
    for (const auto& t : tags)
        out += word(t[0], 2) + word(t[1], 2) + word(1, 4) + (t[1] == 3 ? word(t[2], 2) + word(0, 2) : word(t[2], 4));
    return (out + word(0, 4) + data).toStdString();
}

// A GIF whose one frame is w x h, with no pixel data to speak of.
std::string Gif(uint32_t w, uint32_t h) {
    return (QByteArray("GIF89a") + Le(w, 2) + Le(h, 2) + QByteArray::fromHex("800000" "000000ffffff") + "," +
            Le(0, 4) + Le(w, 2) + Le(h, 2) + QByteArray::fromHex("0002012c003b"))
        .toStdString();
}

// A 32-bit BMP of w x h whose pixels are a hole in the file: no disk, all reads.
std::string SparseBmp(const testsupport::ScratchDir& dir, uint32_t w, uint32_t h) {
    const uint32_t pixels = w * h * 4;
    const QByteArray header = "BM" + Le(54 + pixels, 4) + Le(0, 4) + Le(54, 4) + Le(40, 4) + Le(w, 4) + Le(h, 4) +
                              Le(1, 2) + Le(32, 2) + Le(0, 4) + Le(pixels, 4) + Le(2835, 4) + Le(2835, 4) + Le(0, 8);
    const std::string path = dir.Write("sparse.bmp", header.toStdString());
    return truncate(path.c_str(), off_t{54} + pixels) == 0 ? path : std::string();
}

// Clipboard data as another program offers it: encoded bytes, which Qt lists as an
// image too.
class ForeignImage : public QMimeData {
public:
    explicit ForeignImage(QByteArray png) : png_(std::move(png)) {}
    QStringList formats() const override { return {"image/png", "application/x-qt-image"}; }
    bool hasFormat(const QString& type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override {
        return type == "image/png" ? QVariant(png_) : QVariant();
    }

private:
    QByteArray png_;
};

struct Outcome {
    bool finished = false, opened = false;
    int64_t peakBytes = 0, helperPeakBytes = 0;
    double cpuSeconds = 0, longestStallMs = 0;
};

// Opens the photo in a fresh process: this program again, running only this test.
// A fork of this process could deadlock on a lock held by one of Qt's threads.
Outcome OpenInChild(const std::string& photo, Route route, const std::string& report) {
    std::string filter = "--gtest_filter=HostilePhotos.*";
    std::vector<std::string> env = {std::string(kChildPhoto) + "=" + photo,
                                    std::string(kChildRoute) + "=" + std::to_string(int(route)),
                                    "STAMPORA_HOSTILE_REPORT=" + report};
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
    out.finished = bool(in >> out.opened >> out.peakBytes >> out.cpuSeconds >> out.helperPeakBytes >> out.longestStallMs);
    return out;
}

// The child's side: brings the photo in by its route and reports whether it was
// taken, the peak resident memory above where it started, the processor time, the
// helpers' peak and the longest the event loop stood still meanwhile.
void OpenHereAndReport(const std::string& photo, Route route) {
    alarm(60);
    cardtest::UseBuiltBundle();
    auto ui = std::make_shared<fw::ScriptedUserInteraction>();
    fw::UserInteraction::Install(ui);
    auto window = Stampora::Instance();
    const fw::PictureRef stampBefore = window->Stamp;
    if (route == Route::Paste)
        QGuiApplication::clipboard()->setMimeData(new ForeignImage(QByteArray::fromStdString(testsupport::ReadFile(photo))));
    std::ofstream("/proc/self/clear_refs") << "5";
    const int64_t before = StatusBytes("VmRSS:");
    const double start = CpuSeconds();
    QElapsedTimer sinceTick;
    double longestStall = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestStall = std::max(longestStall, double(sinceTick.restart())); });
    ticks.start(10);
    sinceTick.start();
    if (route == Route::File) window->AddImage(Item(photo));
    if (route == Route::Stamp) ui->openAnswers.push_back(Item(photo)), window->_EditChooseStampImage_Action();
    if (route == Route::Paste) window->_EditPaste_Action();
    // A photo shows: the card's photo area is not the placeholder's white; a stamp is taken without a message.
    const bool opened = route == Route::Stamp ? ui->messages.empty() && window->Stamp != stampBefore
                        : route == Route::Paste ? window->thePicture != nullptr
                        : window->thePicture && window->Generate()->Image().pixel(0, 300) != qRgb(255, 255, 255);
    longestStall = std::max(longestStall, double(sinceTick.elapsed()));
    rusage children {};
    getrusage(RUSAGE_CHILDREN, &children);
    std::ofstream(std::getenv("STAMPORA_HOSTILE_REPORT"))
        << opened << ' ' << StatusBytes("VmHWM:") - before << ' ' << CpuSeconds() - start << ' '
        << int64_t{children.ru_maxrss} * 1024 << ' ' << longestStall << '\n';
    std::_Exit(0);
}

std::string Seed(const char* name) { return STAMPORA_TESTDATA "/../../fuzz/corpus/" + std::string(name); }

} // namespace

// Each of these once took gigabytes, seconds, or hung; the composer takes each in
// (or shows the placeholder) within bounded memory and time, its helper within its
// limits, and its event loop keeps running meanwhile.
TEST(HostilePhotos, AreTakenInOrRefusedWithinMemoryAndTimeBounds) {
    if (const char* photo = std::getenv(kChildPhoto))
        return OpenHereAndReport(photo, Route(std::atoi(std::getenv(kChildRoute))));
    testsupport::ScratchDir dir;
    mkfifo(dir.File("fifo.jpg").c_str(), 0600);
    const std::string sparse = dir.Write("sparse.png", "\x89PNG\r\n\x1a\n");
    ASSERT_EQ(truncate(sparse.c_str(), off_t{1} << 30), 0);
    // Just under libpng's limit of 8 MB for one inflated chunk, a thousand times.
    const QByteArray text = PngChunk("zTXt", QByteArray("k\0\0", 3) + Deflated({{QByteArray(1 << 20, 'a'), 7}}));
    const QByteArray rgb("\x30\x60\x90", 3), rgba16("\x80\0\x40\0\x20\0\xff\xff", 8);
    enum Opens { No, Yes, Either };
    const struct { const char* name; std::string path; Route route; Opens opens; } cases[] = {
        {"65535 tiles, 64 components", Seed("seed_hostile_tiles64.j2k"), Route::File, No},
        {"65535 tiles, 4 components", Seed("seed_hostile_tiles4.j2k"), Route::File, No},
        {"subsampled first component", Seed("seed_hostile_subsampled.j2k"), Route::File, No},
        {"JPEG 2000 precincts of 2 x 2", dir.Write("precincts.j2k", J2k(8000, 8000, 1, 4, true)), Route::File, Either},
        {"JPEG 2000 code-blocks of 4 x 4", dir.Write("blocks.j2k", J2k(6000, 6000, 3, 0, false)), Route::File, Either},
        {"3000 empty progressive scans", Seed("seed_hostile_scans.jpg"), Route::File, No},
        {"progressive 120 MP 4:4:4", dir.Write("coefficients.jpg", ProgressiveJpeg(10000, 12000)), Route::File, Either},
        {"990 zTXt chunks of 7 MB", dir.Write("text.png", Png(64, 64, 8, 2, rgb, false, text.repeated(990))),
         Route::File, Yes},
        {"the same PNG pasted", dir.File("text.png"), Route::Paste, Yes},
        {"PICT of one 4000 x 4000 tile", dir.Write("tile.pict", cardtest::PictTiles(1)), Route::File, Yes},
        {"PICT of one 5000 x 5000 tile", dir.Write("tile5000.pict", cardtest::PictTiles(1, 5000)), Route::File, Yes},
        {"10950 x 10950 RGB TIFF in one deflated strip",
         dir.Write("strip.tif", Tiff(10950, 10950, 1, 3)), Route::File, Yes},
        {"the same TIFF big-endian", dir.Write("strip_mm.tif", Tiff(10950, 10950, 1, 3, ByteOrder::Big)), Route::File, Yes},
        {"410 x 290000 PNG", dir.Write("tall.png", Png(410, 290000, 8, 2, rgb, false)), Route::File, Yes},
        {"PICT of 400 tiles", dir.Write("tiles.pict", cardtest::PictTiles(400)), Route::File, No},
        {"120 MP TIFF, orientation 5", dir.Write("turned.tif", Tiff(10000, 12000, 5)), Route::File, Either},
        {"10000 x 10000 GIF frame as stamp", dir.Write("frame.gif", Gif(10000, 10000)), Route::Stamp, Either},
        {"interlaced 16-bit 120 MP PNG as stamp",
         dir.Write("interlaced.png", Png(10000, 12000, 16, 0, QByteArray(2, '\x40'), true)), Route::Stamp, Yes},
        {"sparse 256 MB BMP", SparseBmp(dir, 8000, 8000), Route::File, Yes},
        {"10000 x 11000 RGBA PNG pasted", dir.Write("large.png", Png(10000, 11000, 8, 6, "\x20\x80\xc0\xff", false)),
         Route::Paste, Yes},
        {"1 x 700 photo", Seed("seed_hostile_thin.png"), Route::File, Yes},
        {"6000 x 6000 16-bit RGBA", dir.Write("rgba16.png", Png(6000, 6000, 16, 6, rgba16, false)), Route::File, Yes},
        {"FIFO", dir.File("fifo.jpg"), Route::File, No},
        {"sparse 1 GB file", sparse, Route::File, No}};
    for (const auto& c : cases) {
        const Outcome out = OpenInChild(c.path, c.route, dir.File("report"));
        EXPECT_TRUE(out.finished && (c.opens == Either || out.opened == (c.opens == Yes)) && out.peakBytes < kMemoryBound &&
                    out.helperPeakBytes < (out.opened ? kHelperMemoryBound : fw::DecodeHelper::kAddressAllowance) &&
                    out.cpuSeconds < kCpuSecondsBound &&
                    out.longestStallMs < kLongestStallMs)
            << c.name << ": finished " << out.finished << ", opened " << out.opened << ", program "
            << (out.peakBytes >> 20) << " MB, helper " << (out.helperPeakBytes >> 20) << " MB, cpu " << out.cpuSeconds
            << " s, stall " << out.longestStallMs << " ms";
    }
}
