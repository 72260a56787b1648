// One program per user and display, with the real program under a window manager:
// a copy that crashed leaves its socket behind without blocking the next start, and
// each later start hands its photos to the running copy, which shows them and
// comes to the front, and ends at once. Usage: e2e_single_program path/to/stampora

#include "tests/common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    std::fprintf(stderr, "%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

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
    QProcess search;
    search.start("xdotool", {"search", "--onlyvisible", "--class", "Stampora"});
    search.waitForFinished(5000);
    return QString::fromUtf8(search.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// How many pixels of the screen show the colour: a photo in the card's photo area
// covers well over 60000; nothing else on the empty card comes close.
int ShownPixels(QRgb colour) {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    const auto near = [](int a, int b) { return std::abs(a - b) <= 40; };
    int count = 0;
    for (int y = 0; y < screen.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x)
            count += near(qRed(line[x]), qRed(colour)) && near(qGreen(line[x]), qGreen(colour)) &&
                     near(qBlue(line[x]), qBlue(colour));
    }
    return count;
}

constexpr QRgb kRed = qRgb(220, 20, 20), kBlue = qRgb(20, 20, 220);
constexpr int kPhotoShown = 60000;

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
    QGuiApplication app(argc, argv);
    for (const auto& [name, colour] : {std::pair{"red.jpg", kRed}, std::pair{"blue.png", kBlue}}) {
        QImage photo(600, 400, QImage::Format_RGB32);
        photo.fill(colour);
        if (!photo.save(home.filePath(name))) return 2;
    }
    const QString cleanUp = home.path() + "/Documents/CleanOnQuitcom.pixalune.stampora";

    // A copy killed outright leaves its socket behind.
    QProcess crashed;
    crashed.start(program, {});
    Check(WaitFor([] { return ShownWindows().size() == 1; }, 20000), "a first copy shows its window");
    crashed.kill();
    crashed.waitForFinished(5000);
    const QDir sockets(runtime + "/stampora-" + QString::number(::getuid()));
    Check(!sockets.entryList({"*.socket"}, QDir::System).isEmpty(), "the killed copy left its socket behind");

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(program, {});
    Check(WaitFor([] { return ShownWindows().size() == 1; }, 20000), "the next copy starts despite the stale socket");

    // Later starts, from the photos' folder with relative names: the running copy
    // gets absolute paths.
    struct Row {
        const char* what;
        QStringList files;
        QRgb shown;
        bool minimiseFirst;
    };
    const Row rows[] = {
        {"a second start with a photo", {"red.jpg"}, kRed, false},
        {"two photos, the last one shows", {"red.jpg", "blue.png"}, kBlue, false},
        {"no file, the window minimised", {}, kBlue, true},
        {"a photo, the window minimised", {"red.jpg"}, kRed, true},
    };
    for (const Row& row : rows) {
        const std::string what = row.what;
        const QStringList before = ShownWindows();
        if (row.minimiseFirst && !before.isEmpty()) {
            QProcess::execute("xdotool", {"windowminimize", before.first()});
            Check(WaitFor([] { return ShownWindows().isEmpty(); }, 5000), what + ": minimised");
        }
        QProcess second;
        second.setWorkingDirectory(home.path());
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer clock;
        clock.start();
        second.start(program, row.files);
        const bool ended = second.waitForFinished(2000);
        Check(ended && second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
              what + ": the later start exits 0 within 2 s (" + std::to_string(clock.elapsed()) + " ms)");
        if (!ended) second.kill(), second.waitForFinished(5000);
        Check(WaitFor([&] { return ShownWindows() == before && ShownPixels(row.shown) > kPhotoShown; }, 5000),
              what + ": the running copy's one window is shown, with the photo");
        Check(QFileInfo::exists(cleanUp), what + ": the clean-up folder is left alone");
    }

    // A running copy that is stuck holds a later start only briefly, and gets nothing
    // it could open long after that start reported failure.
    ::kill(static_cast<pid_t>(first.processId()), SIGSTOP);
    QProcess stuck;
    stuck.setWorkingDirectory(home.path());
    stuck.start(program, {"blue.png"});
    Check(stuck.waitForFinished(10000) && stuck.exitCode() == 1 && ShownWindows().size() == 1,
          "a start beside a stuck copy ends with 1, without a window of its own");
    ::kill(static_cast<pid_t>(first.processId()), SIGCONT);
    Check(!WaitFor([] { return ShownPixels(kBlue) > kPhotoShown; }, 2000), "the stuck copy, going on, opens nothing");

    first.terminate();
    Check(first.waitForFinished(10000) && first.exitCode() == 0, "the running copy ends with 0");
    Check(!QFileInfo::exists(cleanUp), "the clean-up folder goes with it");
    std::fprintf(stderr, "%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
