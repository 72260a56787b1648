// One whole session of the program on a real X server: the program starts with a
// photo named on its command line, the font list opens under its box, the photo is
// panned with the arrow keys, a caption key is typed, the card is saved through
// File > Save... and again with Ctrl+S while another program owning the clipboard has
// stopped answering, a paste from such an owner gives up soon, and two closes end the
// program. After the photo comes in and after the keystroke, the card's area as the
// X server shows it must be the card as saved. The steps run from timers inside the
// program's own event loop; only the dialogs are answered by the scripted
// user-interaction service.

#include "app/Stampora.h"
#include "app/Startup.h"
#include "framework/core/ExecutableFile.h"
#include "framework/core/Runtime.h"
#include "framework/graphics/Clipboard.h"
#include "framework/graphics/DecodeHelper.h"
#include "framework/ui/UserInteraction.h"
#include "interfacekit/ifkFontComboBox.h"
#include "interfacekit/ifkFontComboBoxMenu.h"
#include "mail/CleanOnQuit.h"
#include "tests/common/TestSupport.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
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

// Another program owning the clipboard, as xclip serves it until it loses it; no
// arguments just ends the one before.
void OwnClipboard(QProcess& owner, const QStringList& args) {
    if (owner.state() != QProcess::NotRunning) {
        ::kill(pid_t(owner.processId()), SIGCONT);
        owner.kill();
        owner.waitForFinished();
    }
    if (args.isEmpty()) return;
    owner.start("xclip", QStringList{"-quiet", "-selection", "clipboard"} + args);
    Check(owner.waitForStarted(), "xclip starts");
}

// Saves the card through File > Save... under `path` and reads it back.
QImage SaveCard(fw::ScriptedUserInteraction& ui, const std::string& path) {
    ui.saveAnswers.push_back(fw::FolderItem::FromPath(path));
    QAction* save = nullptr;
    auto* mainWindow = qobject_cast<QMainWindow*>(MainWindow()->Widget());
    for (QAction* menu : mainWindow->menuBar()->actions())
        if (menu->menu())
            for (QAction* item : menu->menu()->actions())
                if (item->text() == "Save...") save = item;
    Check(save != nullptr, "File > Save... is in the menu bar");
    const size_t dialogs = ui.dialogs.size();
    if (save) save->trigger();
    Check(ui.dialogs.size() == dialogs + 1 && ui.dialogs.back().kind == fw::ScriptedUserInteraction::DialogKind::Save,
          "the save dialog was asked for");
    QImageReader reader(QString::fromStdString(path));
    Check(reader.format() == "jpeg", "the card is written as JPEG under the chosen name");
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// The card's area on the X server's screen is the card rendered now, pixel for pixel, and the card saved now
// within its JPEG error, in brightness under half of 32 at quality 90 (colour is subsampled, so edges move more).
void CheckScreenShowsTheSavedCard(fw::ScriptedUserInteraction& ui, const std::string& path, const std::string& when) {
    Check(QTest::qWaitForWindowExposed(MainWindow()->Widget()), "the window is on screen " + when);
    QTest::qWait(50);   // a slow start may not have painted yet
    QWidget* canvas = MainWindow()->DisplayArea()->Widget();
    const QPoint at = canvas->mapToGlobal(QPoint(0, 0));
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, at.x(), at.y(), canvas->width(), canvas->height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    const QImage card = MainWindow()->Generate()->Image().convertToFormat(QImage::Format_RGB32);
    const QImage saved = SaveCard(ui, path);
    int stale = -1, unlike = -1;
    if (screen.size() == card.size() && saved.size() == card.size()) {
        stale = unlike = 0;
        for (int y = 0; y < card.height(); ++y)
            for (int x = 0; x < card.width(); ++x) {
                stale += screen.pixel(x, y) != card.pixel(x, y);
                unlike += std::abs(qGray(screen.pixel(x, y)) - qGray(saved.pixel(x, y))) > 32;
            }
    }
    const QString shot = QDir::current().absoluteFilePath(QString::fromStdString("screen " + when + ".png"));
    Check(stale == 0 && unlike == 0, "the card on screen is the card saved, " + when + " (" + std::to_string(stale) +
                                         " pixels not the card's, " + std::to_string(unlike) + " not the saved file's)" +
                                         (stale || unlike ? "; the screen: " + shot.toStdString() : ""));
    if (stale != 0 || unlike != 0) screen.save(shot);
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
    QProcess owner;
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
            CheckScreenShowsTheSavedCard(*ui, savedPath + " 1", "after the photo came in");
        },
        [&] {
            // The font box is at 411, 20 of the window's content, 153 x 20; its list opens under it, as wide.
            auto window = MainWindow();
            const QPoint content = window->Content()->mapToGlobal(QPoint(0, 0));
            auto list = std::make_shared<QRect>();   // outlives this step if no list opens
            QTimer::singleShot(300, [list] {
                auto menu = std::dynamic_pointer_cast<ifkFontComboBoxMenu>(fw::Runtime::ImplicitInstance("ifkFontComboBoxMenu"));
                if (!menu || !menu->Widget()) return;
                *list = menu->Widget()->geometry();
                QTest::keyClick(menu->Listbox1()->Widget(), Qt::Key_Escape);
            });
            auto box = window->textTypeFace();
            const QPoint onArrow(box->Width - 10, 10);
            QCursor::setPos(box->Widget()->mapToGlobal(onArrow));
            box->Event_MouseDown(onArrow.x(), onArrow.y());
            const QRect expected(content + QPoint(411, 40), QSize(153, list->height()));
            Check(*list == expected, "the font list opens under its box, as wide as the box: at " + std::to_string(list->x()) +
                                         "," + std::to_string(list->y()) + ", " + std::to_string(list->width()) +
                                         " wide, for " + std::to_string(expected.x()) + "," + std::to_string(expected.y()) + ", 153");
        },
        [&] {
            auto window = MainWindow();
            QWidget* canvas = window->DisplayArea()->Widget();
            QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(200, 150));
            for (int i = 0; i < kLeftPresses; ++i) QTest::keyClick(canvas, Qt::Key_Left);
            Check(window->imageOffset->LeftInt() == 290 + kLeftPresses, "the arrow keys pan the photo");
            window->textField()->SetFocus();   // its repaint of the canvas comes before the keystroke
        },
        [&] { QTest::keyClick(MainWindow()->textField()->Widget(), Qt::Key_W); },
        [&] {
            CheckScreenShowsTheSavedCard(*ui, savedPath, "after a caption keystroke");
            const QImage card = QImage(QString::fromStdString(savedPath)).convertToFormat(QImage::Format_RGB32);
            Check(card.size() == QSize(640, 316), "the card is 640 x 316");
            if (card.size() != QSize(640, 316)) return;
            // The boundary now sits at card column 400 - 300 = 100.
            const int boundary = kBoundary - (290 + kLeftPresses);
            Check(testsupport::Near(card.pixel(boundary - 5, 200), kLeftColour, 40), "the photo left of the moved boundary");
            Check(testsupport::Near(card.pixel(boundary + 5, 200), kRightColour, 40), "the photo right of the moved boundary");
        },
        [&] { OwnClipboard(owner, {"-i", photoPath}); },   // as text
        [&] {
            // Text on the clipboard, its owner stopped: readying the shortcut must not wait on it.
            ::kill(pid_t(owner.processId()), SIGSTOP);
            ui->saveAnswers.push_back(fw::FolderItem::FromPath(savedPath + " 2"));
            const size_t dialogs = ui->dialogs.size();
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(MainWindow()->DisplayArea()->Widget(), Qt::Key_S, Qt::ControlModifier);
            Check(ui->dialogs.size() == dialogs + 1 && ui->dialogs.back().kind == fw::ScriptedUserInteraction::DialogKind::Save,
                  "Ctrl+S asks for the save dialog");
            Check(clock.elapsed() < 3000, "with a stopped clipboard owner, within 3 s (" + std::to_string(clock.elapsed()) + " ms)");
        },
        [&] { OwnClipboard(owner, {"-t", "image/jpeg", "-i", photoPath}); },
        [&] {
            auto window = MainWindow();
            Check(fw::Clipboard().PictureAvailable(), "a picture offered by another program is seen");
            const auto before = window->thePicture;
            QTest::keyClick(window->DisplayArea()->Widget(), Qt::Key_V, Qt::ControlModifier);
            const auto photo = window->thePicture;
            Check(photo && photo != before, "and pasted");
            // Its owner stops after offering it: the paste waits briefly and takes nothing.
            ::kill(pid_t(owner.processId()), SIGSTOP);
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(window->DisplayArea()->Widget(), Qt::Key_V, Qt::ControlModifier);
            Check(clock.elapsed() <= 2000, "the paste waits at most 2 s (" + std::to_string(clock.elapsed()) + " ms)");
            Check(window->thePicture == photo, "and keeps the photo");
            OwnClipboard(owner, {});
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
