// One whole session of the program on a real X server: the program starts with a
// photo named on its command line, the photo is panned with the arrow keys, the
// card is saved through File > Save..., and two closes end the program. The steps run from timers inside the program's own event loop; only the
// dialogs are answered by the scripted user-interaction service.

#include "app/Stampora.h"
#include "app/Startup.h"
#include "framework/core/ExecutableFile.h"
#include "framework/core/Runtime.h"
#include "framework/graphics/DecodeHelper.h"
#include "framework/ui/UserInteraction.h"
#include "mail/CleanOnQuit.h"
#include "tests/common/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QMainWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    std::fprintf(stderr, "%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

std::shared_ptr<Stampora> MainWindow() {
    return std::dynamic_pointer_cast<Stampora>(fw::Runtime::ImplicitInstance("Stampora"));
}

// Red left of photo column 400, blue from there on. The photo keeps its size in the
// card (it is exactly as high as the card) and starts centred at x = 290.
constexpr int kBoundary = 400;
constexpr QRgb kLeftColour = qRgb(210, 30, 30);
constexpr QRgb kRightColour = qRgb(30, 30, 210);
constexpr int kLeftPresses = 10;

QImage Photo() {
    QImage image(1000, 316, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, x < kBoundary ? kLeftColour : kRightColour);
    return image;
}

// Runs the steps one after another, each a little after the previous one so that
// the window is shown and painted in between.
void RunSteps(std::vector<std::function<void()>> steps, size_t next = 0) {
    if (next >= steps.size()) return;
    QTimer::singleShot(150, [steps = std::move(steps), next]() mutable {
        steps[next]();
        RunSteps(std::move(steps), next + 1);
    });
}

} // namespace

int main(int argc, char** argv) {
    (void)argc;
    QTemporaryDir home(QDir::tempPath() + "/stampora-e2e-XXXXXX");
    if (!home.isValid()) return 2;
    testsupport::UsePrivateHome(home.path().toStdString());
    fw::DecodeHelper::SetProgram(STAMPORA_BUNDLE "/bin/stampora-decode");

    const QString photoPath = home.path() + "/holiday photo.jpg";
    if (!Photo().save(photoPath, "JPEG", 95)) return 2;
    const std::string savedPath = home.path().toStdString() + "/Desktop/my card";
    const std::string cleanUpRoot = home.path().toStdString() + "/Documents/" + CleanOnQuit::kRootName;

    // The program's command line: its own name and the photo.
    QByteArray photoArg = photoPath.toUtf8();
    std::vector<char*> args = {argv[0], photoArg.data(), nullptr};
    int programArgc = 2;
    QApplication app(programArgc, args.data());

    // The driver is not in the bundle; the program reads the built bundle's Resources.
    fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
    auto ui = std::make_shared<fw::ScriptedUserInteraction>();
    fw::UserInteraction::Install(ui);

    bool finished = false;
    bool watchdogFired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        watchdogFired = true;
        QCoreApplication::exit(3);
    });
    watchdog.start(60000);

    RunSteps({
        [&] {
            auto window = MainWindow();
            Check(window && window->Widget()->isVisible(), "the main window is shown");
            if (!window) return;
            Check(window->thePicture != nullptr, "the photo from the command line is on the card");
            Check(window->imageOffset && window->imageOffset->LeftInt() == 290, "the new photo is centred");
            Check(QDir(QString::fromStdString(cleanUpRoot)).exists(), "the clean-up folder exists while running");
        },
        [&] {
            auto window = MainWindow();
            QWidget* canvas = window->DisplayArea()->Widget();
            QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(200, 150));
            for (int i = 0; i < kLeftPresses; ++i) QTest::keyClick(canvas, Qt::Key_Left);
            Check(window->imageOffset->LeftInt() == 290 + kLeftPresses, "the arrow keys pan the photo");
        },
        [&] {
            auto window = MainWindow();
            ui->saveAnswers.push_back(fw::FolderItem::FromPath(savedPath));
            QAction* save = nullptr;
            auto* mainWindow = qobject_cast<QMainWindow*>(window->Widget());
            for (QAction* menu : mainWindow->menuBar()->actions())
                if (menu->menu())
                    for (QAction* item : menu->menu()->actions())
                        if (item->text() == "Save...") save = item;
            Check(save != nullptr, "File > Save... is in the menu bar");
            if (save) save->trigger();
            Check(ui->dialogs.size() == 1 && ui->dialogs[0].kind == fw::ScriptedUserInteraction::DialogKind::Save,
                  "the save dialog was asked for");
        },
        [&] {
            QImageReader reader(QString::fromStdString(savedPath));
            Check(reader.format() == "jpeg", "the card is written as JPEG under the chosen name");
            const QImage card = reader.read().convertToFormat(QImage::Format_RGB32);
            Check(card.size() == QSize(640, 316), "the card is 640 x 316");
            if (card.size() != QSize(640, 316)) return;
            // The boundary now sits at card column 400 - 300 = 100.
            const int boundary = kBoundary - (290 + kLeftPresses);
            Check(testsupport::Near(card.pixel(boundary - 5, 200), kLeftColour, 40), "the photo left of the moved boundary");
            Check(testsupport::Near(card.pixel(boundary + 5, 200), kRightColour, 40), "the photo right of the moved boundary");
        },
        [&] {
            auto window = MainWindow();
            Check(!window->Close(), "the first close is cancelled");
            Check(window->PagePanel1()->Value() == 1 && window->IsOpen(), "the advert page shows");
        },
        [&] {
            auto window = MainWindow();
            Check(window->Close(), "the second close closes the window");
            finished = true;
        },
    });

    const int status = StamporaMain(programArgc, args.data());

    Check(finished, "every step ran");
    Check(!watchdogFired, "the event loop ended by quitting");
    Check(fw::Runtime::HasQuit(), "the application quit");
    Check(status == 0, "the program's exit status is 0");
    Check(!QDir(QString::fromStdString(cleanUpRoot)).exists(), "the clean-up folder is gone after the end");

    fw::UserInteraction::Install(nullptr);
    std::fprintf(stderr, "%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
