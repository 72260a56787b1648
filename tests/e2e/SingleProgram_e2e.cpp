// One program per user and display, with the real program under a window manager:
// a copy that crashed leaves its socket behind without blocking the next start, and
// each later start hands its photos to the running copy, which shows them and
// comes to the front, and ends at once. Usage: e2e_single_program path/to/stampora

#include "tests/common/TestSupport.h"
#include "tests/e2e/E2eSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QThread>

#include <atomic>
#include <fstream>
#include <set>
#include <thread>

#include <csignal>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using e2e::Check;

bool WaitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms) return false;
        QThread::msleep(50);
    }
    return true;
}

// The program's windows that are on the screen (mapped), as X knows them.
QStringList ShownWindows() {
    return e2e::Run("xdotool", {"search", "--onlyvisible", "--class", "Stampora"}).split('\n', Qt::SkipEmptyParts);
}

// How many pixels of the screen show the colour: a photo in the card's photo area
// covers well over 60000; nothing else on the empty card comes close.
int ShownPixels(QRgb c) {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (const QRgb p : std::span(reinterpret_cast<const QRgb*>(screen.constScanLine(y)), size_t(screen.width())))
            count += std::abs(qRed(p) - qRed(c)) + std::abs(qGreen(p) - qGreen(c)) + std::abs(qBlue(p) - qBlue(c)) < 90;
    return count;
}

constexpr QRgb kRed = qRgb(220, 20, 20), kBlue = qRgb(20, 20, 220);
// "café.jpg" in Latin-1: a name that is not UTF-8.
constexpr const char* kLatin1Name = "caf\\351.jpg";

// A shell command that starts its $0 with the one file named by printf's escapes.
QString BytesNamed(const char* name) { return QString("exec \"$0\" \"$(printf '%1')\"").arg(name); }
constexpr int kPhotoShown = 60000;

// A photo that takes its helper a while: a large progressive JPEG of noise around the
// colour, which must be decoded whole however small it is shown.
bool SaveSlowPhoto(const QString& path, QRgb c) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random->bounded(21)) - 10;
            row[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(95);
    return writer.write(image);
}

// The decoding helpers that the process `parent` has running, by process id.
std::set<int> Helpers(int parent) {
    std::set<int> helpers;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        std::ifstream stat(("/proc/" + entry + "/stat").toStdString());
        std::string line;
        if (!std::getline(stat, line)) continue;
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        int ppid = 0;
        char state = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) != 2) continue;
        if (ppid == parent && line.substr(open + 1, close - open - 1) == "stampora-decode") helpers.insert(entry.toInt());
    }
    return helpers;
}

// Watches a process's helpers from another thread: how many ran at once, at most, and
// how many there were in all.
class HelperWatch {
public:
    explicit HelperWatch(int parent)
        : thread_([this, parent] {
              while (!stop_) {
                  const std::set<int> now = Helpers(parent);
                  most_ = std::max(most_.load(), int(now.size()));
                  {
                      const std::lock_guard<std::mutex> lock(seenLock_);
                      seen_.insert(now.begin(), now.end());
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(2));
              }
          }) {}
    ~HelperWatch() { stop_ = true, thread_.join(); }
    int MostAtOnce() const { return most_; }
    int InAll() {
        const std::lock_guard<std::mutex> lock(seenLock_);
        return int(seen_.size());
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> most_{0};
    std::mutex seenLock_;
    std::set<int> seen_;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const QString program = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home(QDir::tempPath() + "/stampora-e2e-XXXXXX");
    if (!home.isValid()) return 2;
    testsupport::UsePrivateHome(home.path().toStdString());
    // The running copies' sockets live here, apart from the tester's own.
    const QString runtime = home.path() + "/run";
    ::mkdir(runtime.toLocal8Bit().constData(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit().constData(), 1);
    // Room for a start naming megabytes of files: the kernel takes a quarter of the
    // stack's limit for a program's arguments.
    const rlimit stack {64 << 20, 64 << 20};
    ::setrlimit(RLIMIT_STACK, &stack);
    QGuiApplication app(argc, argv);
    QImage red(600, 400, QImage::Format_RGB32), blue = red;
    red.fill(kRed), blue.fill(kBlue);
    if (!red.save(home.filePath("red.jpg")) || !blue.save(home.filePath("blue.png"))) return 2;
    const std::string latin1 = home.path().toStdString() + "/caf\xE9.jpg";
    std::filesystem::copy_file(home.filePath("red.jpg").toStdString(), latin1);
    const QString cleanUp = home.path() + "/Documents/CleanOnQuitcom.pixalune.stampora";
    // 2 MB of names that no file has, then a photo.
    QStringList twoMegabytes;
    while (twoMegabytes.size() * 30000 < 2 * 1024 * 1024) twoMegabytes << QString(30000, 'n');
    twoMegabytes << "blue.png";

    // A copy killed outright leaves its socket behind; the next start is not stopped.
    QProcess crashed, first;
    crashed.start(program, {});
    Check(WaitFor([] { return ShownWindows().size() == 1; }, 20000), "a first copy shows its window");
    crashed.kill(), crashed.waitForFinished(5000);
    const QDir sockets(runtime + "/stampora-" + QString::number(::getuid()));
    Check(!sockets.entryList({"*.socket"}, QDir::System).isEmpty(), "the killed copy left its socket behind");
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(program, {});
    Check(WaitFor([] { return ShownWindows().size() == 1; }, 20000), "the next copy starts despite the stale socket");

    // Later starts, from the photos' folder with relative names: the running copy
    // gets absolute paths. A running copy that is stuck holds a later start only
    // briefly, and gets nothing it could open after that start reported failure.
    struct Row {
        const char* what;
        QStringList files;
        QRgb shown;
        bool minimiseFirst = false, stuck = false;
        // A file name given as bytes (printf's escapes): QProcess would pass text.
        const char* bytesName = nullptr;
    };
    const Row rows[] = {
        {"a second start with a photo", {"red.jpg"}, kRed},
        {"two photos, the last one shows", {"red.jpg", "blue.png"}, kBlue},
        {"no file, the window minimised", {}, kBlue, true},
        {"a photo, the window minimised", {"red.jpg"}, kRed, true},
        {"a photo, the running copy stuck", {"blue.png"}, kRed, false, true},
        {"a 2 MB hand-over opens no second window", twoMegabytes, kBlue},
        {"a name that is not UTF-8, handed over", {}, kRed, false, false, kLatin1Name},
    };
    for (const Row& row : rows) {
        const std::string what = row.what;
        const QStringList before = ShownWindows();
        if (row.minimiseFirst) {
            QProcess::execute("xdotool", {"windowminimize", before.value(0)});
            Check(WaitFor([] { return ShownWindows().isEmpty(); }, 5000), what + ": minimised");
        }
        if (row.stuck) ::kill(static_cast<pid_t>(first.processId()), SIGSTOP);
        QProcess later;
        later.setWorkingDirectory(home.path());
        later.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer clock;
        clock.start();
        if (row.bytesName)
            later.start("/bin/sh", {"-c", BytesNamed(row.bytesName), program});
        else
            later.start(program, row.files);
        const bool ended = later.waitForFinished(row.stuck ? 10000 : 2000);
        Check(ended && later.exitStatus() == QProcess::NormalExit && later.exitCode() == (row.stuck ? 1 : 0),
              what + ": the later start ends in time, with its status (" + std::to_string(clock.elapsed()) + " ms)");
        if (!ended) later.kill(), later.waitForFinished(5000);
        if (row.stuck) ::kill(static_cast<pid_t>(first.processId()), SIGCONT), QThread::msleep(1000);
        Check(WaitFor([&] { return ShownWindows() == before && ShownPixels(row.shown) > kPhotoShown; }, 5000),
              what + ": the running copy's one window is shown, with the photo");
        Check(QFileInfo::exists(cleanUp), what + ": the clean-up folder is left alone");
    }

    // Photos that take a while to decode, arriving while the one before decodes: one
    // decode runs at a time, and the newest request wins.
    const QString slowRed = home.filePath("slow-red.jpg"), slowBlue = home.filePath("slow-blue.jpg");
    if (!SaveSlowPhoto(slowRed, kRed) || !SaveSlowPhoto(slowBlue, kBlue)) return 2;
    const int running = int(first.processId());
    const auto later = [&](const QStringList& files) {
        QProcess copy;
        copy.setProcessChannelMode(QProcess::ForwardedChannels);
        copy.start(program, files);
        return copy.waitForFinished(10000) && copy.exitCode() == 0;
    };
    {
        HelperWatch watch(running);
        bool handed = true;
        for (int i = 1; i <= 10; ++i) handed = later({i == 10 ? slowBlue : slowRed}) && handed;
        Check(handed, "ten later starts in a row each hand over their photo");
        Check(WaitFor([] { return ShownPixels(kBlue) > kPhotoShown; }, 20000),
              "ten later starts in a row end on the tenth photo");
        Check(watch.MostAtOnce() == 1, "with at most one helper alive at any moment (" +
                                           std::to_string(watch.MostAtOnce()) + " seen at once)");
    }
    constexpr QRgb kGreen = qRgb(20, 200, 20);
    QImage green(600, 400, QImage::Format_RGB32);
    green.fill(kGreen);
    if (!green.save(home.filePath("green.png"))) return 2;
    Check(later({home.filePath("green.png")}) && WaitFor([] { return ShownPixels(kGreen) > kPhotoShown; }, 10000),
          "a quick photo in between shows");
    {
        HelperWatch watch(running);
        QStringList many;
        for (int i = 1; i < 600; ++i) many << slowBlue;
        many << slowRed;
        QElapsedTimer clock;
        clock.start();
        Check(later(many), "a start naming 600 photos hands them over");
        const bool shown = WaitFor([] { return ShownPixels(kRed) > kPhotoShown; }, 20000);
        Check(shown, "of 600 photos in one hand-over, the last shows (" + std::to_string(clock.elapsed()) + " ms)");
        QThread::msleep(500);
        Check(watch.InAll() == 1, "and only it is decoded (" + std::to_string(watch.InAll()) + " helpers)");
    }
    {
        // A helper that stops is given up at its deadline, which must not clear the
        // photo that a later start handed over meanwhile.
        HelperWatch watch(running);
        QProcess stuck;
        stuck.start(program, {slowBlue});
        std::set<int> helpers;
        WaitFor([&] { return !(helpers = Helpers(running)).empty(); }, 5000);
        for (const int pid : helpers) ::kill(pid, SIGSTOP);
        Check(stuck.waitForFinished(5000) && !helpers.empty(), "a start whose photo's helper stops");
        Check(later({home.filePath("green.png")}), "a start after it hands over at once");
        Check(WaitFor([] { return ShownPixels(kGreen) > kPhotoShown; }, 30000),
              "the later photo shows once the stopped helper is given up");
        QThread::msleep(1000);
        Check(ShownPixels(kGreen) > kPhotoShown, "and stays");
        Check(watch.MostAtOnce() == 1, "one helper at a time there too");
    }

    // A copy with a runtime folder of its own runs beside the first and shares its
    // clean-up folder: it sends, the first ends, and the card stays until it ends.
    const QStringList before = ShownWindows();
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString otherRuntime = home.path() + "/run2";
    ::mkdir(otherRuntime.toLocal8Bit().constData(), 0700);
    environment.insert("XDG_RUNTIME_DIR", otherRuntime);
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.setWorkingDirectory(home.path());
    second.start("/bin/sh", {"-c", BytesNamed(kLatin1Name), program});
    Check(WaitFor([] { return ShownWindows().size() == 2; }, 20000), "a copy with its own runtime folder runs beside");
    Check(WaitFor([] { return ShownPixels(kRed) > kPhotoShown; }, 5000),
          "it shows the photo named on its command line by a name that is not UTF-8");
    QString secondWindow;
    for (const QString& window : ShownWindows())
        if (!before.contains(window)) secondWindow = window;
    e2e::Run("xdotool", {"windowactivate", "--sync", secondWindow});
    e2e::Run("xdotool", {"key", "--window", secondWindow, "Return"});
    QString card;
    Check(WaitFor([&] {
              const QStringList sent = QDir(cleanUp).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
              card = sent.isEmpty() ? QString() : cleanUp + "/" + sent.first() + "/Zinglet.jpg";
              return !card.isEmpty() && QFileInfo(card).size() > 0;
          }, 10000),
          "the copy beside sends a card");

    first.terminate();
    Check(first.waitForFinished(10000) && first.exitCode() == 0, "the running copy ends with 0");
    Check(QFileInfo(card).size() > 0, "the card the other copy sent stays");
    second.terminate();
    Check(second.waitForFinished(10000) && second.exitCode() == 0, "the copy beside ends with 0");
    Check(!QFileInfo::exists(cleanUp), "the clean-up folder goes with the last copy");
    // QTemporaryDir cannot remove what it cannot name.
    std::filesystem::remove(latin1);
    return e2e::Finish();
}
