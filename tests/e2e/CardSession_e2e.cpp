// One whole session of the program on a real X server under a window manager: the
// program starts with a photo named on its command line, the photo is panned with the
// arrow keys, the card is saved through File > Save..., a caption key is typed, the
// card is saved again with Ctrl+S while another program owning the clipboard has
// stopped answering, and a paste from such an owner gives up soon. After the photo
// comes in and after the keystroke, the card's area as the X server shows it must be
// the card as saved. Then a table of desktop rows (the font list, keyboard focus,
// maximising, the about box, the font box from the keyboard, every Tab stop, the
// mail menu and the send message from the keyboard, keys typed during a decode)
// drives it through the X server as a user would, and two closes, with the advert
// page's Tab stops between them, end the program. The steps run from timers inside
// the program's own event loop; only the dialogs are answered by the scripted
// user-interaction service.

#include "app/Stampora.h"
#include "app/Startup.h"
#include "framework/core/ExecutableFile.h"
#include "framework/core/Runtime.h"
#include "framework/graphics/Clipboard.h"
#include "framework/graphics/DecodeHelper.h"
#include "framework/ui/UserInteraction.h"
#include "interfacekit/ifkColorWell.h"
#include "interfacekit/ifkFontComboBox.h"
#include "interfacekit/ifkFontComboBoxMenu.h"
#include "mail/CleanOnQuit.h"
#include "tests/common/TestSupport.h"
#include "tests/e2e/E2eSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using e2e::Check;
using e2e::Run;

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

// A row of the session: named steps, each answering whether it is done; one that is
// not is asked again a little later, for at most 3 s. The rows run one after another
// on the program's own event loop, also inside the font list's modal loop.
using Step = std::function<bool()>;
struct Row { std::string name; std::vector<Step> steps; };
Step Do(std::function<void()> act) { return [act] { return act(), true; }; }
Step Pause(int ms) {
    auto started = std::make_shared<QElapsedTimer>();
    return [=] { return (started->isValid() || (started->start(), false)) && started->elapsed() >= ms; };
}

void RunRows(std::shared_ptr<std::vector<Row>> rows, size_t row = 0, size_t step = 0, int tries = 0,
             bool failed = false) {
    if (row >= rows->size()) return;
    if (step >= (*rows)[row].steps.size()) {
        if (!failed) Check(true, (*rows)[row].name);
        return RunRows(rows, row + 1);
    }
    QTimer::singleShot(30, [=] {
        const bool done = (*rows)[row].steps[step]();
        if (!done && tries < 100) return RunRows(rows, row, step, tries + 1, failed);
        if (!done) Check(false, (*rows)[row].name + ": step " + std::to_string(step + 1) + " within 3 s");
        RunRows(rows, row, step + 1, 0, failed || !done);
    });
}

// Real input through the X server, as a user gives it, and the screen's real pixels.
void Press(const QString& keys) { Run("xdotool", QStringList{"key"} + keys.split(' ')); }
void ClickAt(QWidget* widget, QPoint at) {
    const QPoint p = widget->mapToGlobal(at);
    Run("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
}
QImage Shown(QWidget* widget) {
    const QPoint p = widget->mapToGlobal(QPoint());
    return QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), widget->width(), widget->height()).toImage();
}

QAction* MenuItem(QWidget* window, const QString& text) {
    for (QAction* menu : qobject_cast<QMainWindow*>(window)->menuBar()->actions())
        for (QAction* item : menu->menu() ? menu->menu()->actions() : QList<QAction*>())
            if (item->text() == text) return item;
    return nullptr;
}

std::shared_ptr<fw::Window> Open(const char* className) {
    auto window = std::dynamic_pointer_cast<fw::Window>(fw::Runtime::ImplicitInstance(className));
    return window && window->Widget()->isVisible() ? window : nullptr;
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
QImage SaveCard(fw::ScriptedUserInteraction& ui, QWidget* window, const std::string& path) {
    ui.saveAnswers.push_back(fw::FolderItem::FromPath(path));
    QAction* save = MenuItem(window, "Save...");
    const size_t dialogs = ui.dialogs.size();
    if (save) save->trigger();
    Check(ui.dialogs.size() == dialogs + 1 && ui.dialogs.back().kind == fw::ScriptedUserInteraction::DialogKind::Save,
          "File > Save... asks for the save dialog");
    QImageReader reader(QString::fromStdString(path));
    Check(reader.format() == "jpeg", "the card is written as JPEG under the chosen name");
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// The card's area on the X server's screen is the card rendered now, pixel for pixel, and the card saved now
// within its JPEG error, in brightness under half of 32 at quality 90 (colour is subsampled, so edges move more).
QImage CheckScreenShowsTheSavedCard(fw::ScriptedUserInteraction& ui, Stampora& w, const std::string& path,
                                    const std::string& when) {
    Check(QTest::qWaitForWindowExposed(w.Widget()), "the window is on screen " + when);
    QTest::qWait(50);   // a slow start may not have painted yet
    const QImage screen = Shown(w.DisplayArea()->Widget()).convertToFormat(QImage::Format_RGB32);
    const QImage card = w.Generate()->Image().convertToFormat(QImage::Format_RGB32);
    const QImage saved = SaveCard(ui, w.Widget(), path);
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
    return saved;
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
    QProcess owner;

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
    QTimer::singleShot(60000, [&] { watchdogFired = true, QCoreApplication::exit(3); });

    std::shared_ptr<Stampora> w;
    auto rows = std::make_shared<std::vector<Row>>();
    rows->push_back({"compose, pan and save", {
        [&] {
            // The window shows at once; the photo follows when its helper has decoded it.
            w = std::dynamic_pointer_cast<Stampora>(Open("Stampora"));
            return w && QTest::qWaitForWindowExposed(w->Widget()) && w->thePicture;
        },
        Do([&] {
            Check(w->imageOffset && w->imageOffset->LeftInt() == 290, "the new photo is centred");
            CheckScreenShowsTheSavedCard(*ui, *w, savedPath + " 1", "after the photo came in");
        }),
        Do([&] {
            QWidget* canvas = w->DisplayArea()->Widget();
            QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(200, 150));
            for (int i = 0; i < kLeftPresses; ++i) QTest::keyClick(canvas, Qt::Key_Left);
            Check(w->imageOffset->LeftInt() == 290 + kLeftPresses, "the arrow keys pan the photo");
        }),
        Do([&] {
            const QImage card = SaveCard(*ui, w->Widget(), savedPath);
            Check(card.size() == QSize(640, 316), "the card is 640 x 316");
            if (card.size() != QSize(640, 316)) return;
            // The boundary now sits at card column 400 - 300 = 100.
            const int boundary = kBoundary - (290 + kLeftPresses);
            Check(testsupport::Near(card.pixel(boundary - 5, 200), kLeftColour, 40), "the photo left of the moved boundary");
            Check(testsupport::Near(card.pixel(boundary + 5, 200), kRightColour, 40), "the photo right of the moved boundary");
            Check(testsupport::Near(card.pixel(1, 1), kLeftColour, 40) &&
                      !testsupport::Near(Shown(w->DisplayArea()->Widget()).pixel(1, 1), kLeftColour, 40),
                  "the focused card shows a focus ring on the screen, never in the saved card");
        }),
        // The card repaints whole as it loses the focus; the keystrokes after that paint
        // only the pixels they changed, which the screen must then show.
        Do([&] { w->textField()->SetFocus(); }), Pause(200),
        Do([&] { QTest::keyClick(w->textField()->Widget(), Qt::Key_W); }), Pause(200),
        Do([&] { QTest::keyClick(w->textField()->Widget(), Qt::Key_W); }),
        Do([&] { CheckScreenShowsTheSavedCard(*ui, *w, savedPath + " 2", "after a caption keystroke"); }),
        Do([&] { OwnClipboard(owner, {"-i", photoPath}); }),   // as text
        Do([&] {
            // Text on the clipboard, its owner stopped: readying the shortcut must not wait on it.
            ::kill(pid_t(owner.processId()), SIGSTOP);
            ui->saveAnswers.push_back(fw::FolderItem::FromPath(savedPath + " 3"));
            const size_t dialogs = ui->dialogs.size();
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(w->DisplayArea()->Widget(), Qt::Key_S, Qt::ControlModifier);
            Check(ui->dialogs.size() == dialogs + 1 && ui->dialogs.back().kind == fw::ScriptedUserInteraction::DialogKind::Save,
                  "Ctrl+S asks for the save dialog");
            Check(clock.elapsed() < 3000, "with a stopped clipboard owner, within 3 s (" + std::to_string(clock.elapsed()) + " ms)");
        }),
        Do([&] { OwnClipboard(owner, {"-t", "image/jpeg", "-i", photoPath}); }),
        Do([&] {
            Check(fw::Clipboard().PictureAvailable(), "a picture offered by another program is seen");
            const auto before = w->thePicture;
            QTest::keyClick(w->DisplayArea()->Widget(), Qt::Key_V, Qt::ControlModifier);
            const auto photo = w->thePicture;
            Check(photo && photo != before, "and pasted");
            // Its owner stops after offering it: the paste waits briefly and takes nothing.
            ::kill(pid_t(owner.processId()), SIGSTOP);
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(w->DisplayArea()->Widget(), Qt::Key_V, Qt::ControlModifier);
            Check(clock.elapsed() <= 2000, "the paste waits at most 2 s (" + std::to_string(clock.elapsed()) + " ms)");
            Check(w->thePicture == photo, "and keeps the photo");
            OwnClipboard(owner, {});
        }),
    }});

    // The desktop rows, as users meet the program under a window manager.
    std::string caption;   // before the typing
    QImage unfocused;
    QSize size;   // before maximising
    const auto box = [&] { return w->textTypeFace()->Widget(); };
    const auto typeIntoCaption = [&] {
        caption = w->textField()->Text(), ClickAt(w->textField()->Widget(), {5, 8}), Press("End x");
    };
    // The arrow opens the list: a pop-up that the window manager never took in, as wide
    // as the box (at 411, 20 of the content, 153 x 20), right under it, on the screen,
    // the main window still active. The way out closes it and leaves the font, or chooses one; the caption then takes typing.
    const auto listRow = [&](const std::string& name, std::function<void()> wayOut, bool chooses = false) {
        rows->push_back({name, {
            Do([&] { ClickAt(box(), QPoint(box()->width() - 8, 10)); }),
            [&] {
                auto list = Open("ifkFontComboBoxMenu");
                const QRect at = list ? list->Widget()->frameGeometry() : QRect();
                return list && at.topLeft() == w->Content()->mapToGlobal(QPoint(411, 40)) &&
                       at.width() == 153 && w->Widget()->isActiveWindow() &&
                       QGuiApplication::primaryScreen()->availableGeometry().contains(at) &&
                       Run("xwininfo", {"-children", "-id", QString::number(list->Widget()->winId())})
                           .contains("(the root window)");
            },
            Do(wayOut),
            [&, chooses] { return !Open("ifkFontComboBoxMenu") && (w->textTypeFace()->Text() != "Papyrus") == chooses; },
            Do(typeIntoCaption), [&] { return w->textField()->Text() == caption + "x"; }}});
    };
    for (int i = 1; i <= 20; ++i)
        listRow("the arrow opens the list, try " + std::to_string(i), [] { Press("Escape"); });
    listRow("a click on the card closes the list", [&] { ClickAt(w->DisplayArea()->Widget(), {300, 150}); });
    listRow("a click on the menu bar closes the list", [&] {
        auto* bar = qobject_cast<QMainWindow*>(w->Widget())->menuBar();
        ClickAt(bar, bar->actionGeometry(bar->actions()[0]).center());
    });
    listRow("a click on the caption closes the list", [&] { ClickAt(w->textField()->Widget(), {5, 8}); });
    listRow("a click on the desktop closes the list",
            [&] { ClickAt(w->Widget(), w->Widget()->mapFromGlobal(QPoint(4, 1020))); });
    listRow("Down and Return choose a font from the list", [] { Press("Down Return"); }, true);
    // Tab to the well and away once first: a first paint may differ from a repaint in antialiasing.
    const auto well = [&] { return Shown(w->ifkColorWell1()->Widget()); };
    rows->push_back({"Tab to the well shows its focus, Tab away hides it", {
        Do([&] { ClickAt(w->textField()->Widget(), {5, 8}), Press("shift+Tab"); }),
        [&] { return w->ifkColorWell1()->HasFocus(); },
        Do([&] { Press("Tab"); }), [&] { return QApplication::processEvents(), w->textField()->HasFocus(); },
        Do([&] { unfocused = well(), Press("shift+Tab"); }),
        [&] { return w->ifkColorWell1()->HasFocus() && well() != unfocused; },
        Do([&] { Press("Tab"); }), [&] { return well() == unfocused; }}});
    const auto maximiseRow = [&](const std::string& name, std::function<QWidget*()> window) {
        rows->push_back({name, {
            [=] { return window() && QTest::qWaitForWindowExposed(window()); },
            Do([&, window] {
                size = window()->size();
                const QString id = QString::number(window()->winId());
                Run("wmctrl", {"-i", "-r", id, "-b", "add,maximized_vert,maximized_horz"});
            }),
            Pause(500), [&, window] { return window()->size() == size; }}});
    };
    const auto about = [] { return Open("ifkAboutBox"); };
    maximiseRow("maximising the main window leaves its size", [&] { return w->Widget(); });
    rows->push_back({"the about box opens", {Do([&] { MenuItem(w->Widget(), "About Stampora")->trigger(); })}});
    maximiseRow("maximising the about box leaves its size", [&] { return about() ? about()->Widget() : nullptr; });
    rows->push_back({"the about box's icon corner shows the window's background", {
        [&] {
            const QColor background = about()->Widget()->palette().color(QPalette::Window);
            return background != Qt::white &&
                   testsupport::Near(Shown(about()->Content()).pixel(110, 9), background.rgb(), 4);
        },
        Do([&] { about()->Close(); })}});

    // The font box from the keyboard. Alt+Down and F4 open the kit's list as the arrow
    // does: under the box, as wide, reaching down to the bottom of the available area;
    // Qt's own list never shows. Return keeps a typed name, and in a list with no row
    // highlighted the first Down picks the first row.
    const auto fontList = [] { return std::dynamic_pointer_cast<ifkFontComboBoxMenu>(Open("ifkFontComboBoxMenu")); };
    const auto qtsOwnList = [] {
        const auto windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(),
                           [](QWidget* t) { return t->isVisible() && t->inherits("QComboBoxPrivateContainer"); });
    };
    std::string face, first;
    for (const QString keys : {"alt+Down", "F4"}) {
        rows->push_back({keys.toStdString() + " opens the kit's font list under the typeface box", {
            Do([&] { ClickAt(box(), {10, 10}); }), [&] { return w->textTypeFace()->HasFocus(); },
            Do([&, keys] { face = w->textTypeFace()->Text(), Press(keys); }),
            [&] {
                auto list = fontList();
                const QRect at = list ? list->Widget()->frameGeometry() : QRect();
                return list && at.topLeft() == w->Content()->mapToGlobal(QPoint(411, 40)) && at.width() == 153 &&
                       at.bottom() == QGuiApplication::primaryScreen()->availableGeometry().bottom() &&
                       w->textTypeFace()->MenuOpen && !qtsOwnList();
            },
            Do([] { Press("Escape"); }),
            [&] { return !fontList() && !qtsOwnList() && !w->textTypeFace()->MenuOpen && w->textTypeFace()->Text() == face; }}});
    }
    rows->push_back({"Return keeps a name typed into the typeface box", {
        Do([&] { ClickAt(box(), {10, 10}), Press("End shift+Home"), Run("xdotool", {"type", "Zed Sans"}); }),
        [&] { return w->textTypeFace()->Text() == "Zed Sans"; },
        Do([] { Press("Return"); }), Pause(200),
        [&] { return w->textTypeFace()->Text() == "Zed Sans" && !fontList() && !qtsOwnList(); }}});
    rows->push_back({"with no row highlighted, the first Down in the font list picks the first row", {
        Do([] { Press("alt+Down"); }),
        [&] { return fontList() && fontList()->Listbox1()->ListIndex() == -1; },
        Do([] { Press("Down"); }),
        [&] { return fontList() && fontList()->Listbox1()->ListIndex() == 0; },
        Do([&] { first = fontList()->Listbox1()->List(0), Press("Return"); }),
        [&] { return !fontList() && w->textTypeFace()->Text() == first; }}});

    // Keyboard routes and what the user is shown. Every Tab stop of a page changes its
    // pixels while it holds the focus; the mail pop-up's menu, the send message and the
    // about box are the real ones, shown through Qt, and answered from the keyboard.
    const auto shot = [](const QString& name) {
        const QString path = QDir::current().absoluteFilePath(name);
        QGuiApplication::primaryScreen()->grabWindow(0).save(path);
        std::fprintf(stderr, "     screenshot: %s\n", qPrintable(path));
    };
    struct TabStop { std::string name; QWidget* widget; };
    auto stops = std::make_shared<std::vector<TabStop>>();
    // Per Tab press: the stop that took the focus (or none) and how every stop looked.
    auto seen = std::make_shared<std::vector<std::pair<int, std::vector<QImage>>>>();
    const auto tabRow = [&, stops, seen](const std::string& name, std::function<std::vector<TabStop>()> pageStops,
                                         std::function<void()> start, int presses) {
        std::vector<Step> steps = {Do([=] { *stops = pageStops(), seen->clear(), start(); }), Pause(300)};
        for (int i = 0; i < presses; ++i) {
            steps.push_back(Do([] { Press("Tab"); }));
            steps.push_back(Pause(150));
            steps.push_back(Do([=] {
                int focused = -1;
                std::vector<QImage> looks;
                for (size_t s = 0; s < stops->size(); ++s) {
                    const QWidget* focus = QApplication::focusWidget();
                    QWidget* widget = (*stops)[s].widget;
                    if (focus && (focus == widget || widget->isAncestorOf(focus))) focused = int(s);
                    looks.push_back(Shown(widget));
                }
                seen->push_back({focused, looks});
            }));
        }
        steps.push_back(Do([=] {
            for (size_t s = 0; s < stops->size(); ++s) {
                bool reached = false, shows = false;
                for (const auto& [focused, looks] : *seen)
                    for (const auto& [other, otherLooks] : *seen)
                        if (focused == int(s) && other != int(s)) {
                            reached = true;
                            shows = shows || looks[s] != otherLooks[s];
                        }
                Check(reached && shows, name + ": " + (*stops)[s].name + (reached ? "" : " is reached by Tab") +
                                            (reached && !shows ? " changes its pixels with the focus" : ""));
            }
        }));
        rows->push_back({name, steps});
    };
    tabRow("every Tab stop of the composer shows the focus", [&] {
        return std::vector<TabStop>{{"the well", w->ifkColorWell1()->Widget()}, {"the caption", w->textField()->Widget()},
                                    {"the card", w->DisplayArea()->Widget()}, {"Send Zinglet", w->SaveButton()->Widget()},
                                    {"the mail pop-up", w->eMailApplication()->Widget()},
                                    {"the typeface box", w->textTypeFace()->Widget()},
                                    {"the size box", w->textSizeField()->Widget()}};
    }, [&] { ClickAt(w->textField()->Widget(), {5, 8}); }, 8);
    rows->push_back({"Send Zinglet focused from the keyboard", {
        Do([&] { ClickAt(w->textField()->Widget(), {5, 8}), Press("Tab Tab"); }),
        [&] { return w->SaveButton()->HasFocus(); }, Pause(200), Do([&] { shot("send focused.png"); })}});
    const auto menu = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
    const auto mailCorner = [&] {
        return w->Content()->mapToGlobal(QPoint(w->eMailApplication()->Left, w->eMailApplication()->Top));
    };
    auto menus = std::make_shared<size_t>(0);
    rows->push_back({"Space on the mail pop-up opens the real menu at its place, the chosen program alone checked", {
        Do([&] {
            fw::UserInteraction::Install(nullptr);
            w->eMailApplication()->SetListIndex(2);
            w->eMailApplication()->SetFocus();
            Press("space");
        }),
        [&] { return menu() && menu()->isVisible(); }, Pause(200),
        Do([&] {
            shot("mail menu.png");
            Check(menu()->geometry().topLeft() == mailCorner(), "the menu's corner is the pop-up's");
            std::vector<std::pair<QString, bool>> checks;
            for (QAction* action : menu()->actions())
                if (!action->isSeparator()) checks.push_back({action->text(), action->isCheckable() && action->isChecked()});
            const std::vector<std::pair<QString, bool>> expected = {
                {"Apple Mail", false}, {"Microsoft Entourage", false}, {"Bare Bones Mailsmith", true}, {"Eudora", false},
                {"GyazMail", false}, {"Save...", false}, {"Scale To Fit", w->ScaleToFit},
                {"Post Mark", w->PostMarkApply}, {"Choose Stamp Image...", false}};
            Check(checks == expected, "the menu lists the programs, only the chosen one checked, then the commands");
            Press("Escape");
        }),
        [&] { return !menu(); },
        Do([&, menus] {
            fw::UserInteraction::Install(ui);
            Check(w->eMailApplication()->ListIndex() == 2, "Escape leaves the chosen program");
            *menus = ui->popUps.size();
            ui->popUpAnswers.push_back(4);
            Press("F4");
        }),
        [&, menus] { return ui->popUps.size() == *menus + 1; },
        Do([&] {
            Check(ui->popUps.back().x == mailCorner().x() && ui->popUps.back().y == mailCorner().y() &&
                      w->eMailApplication()->ListIndex() == 4, "F4 opens the same menu at the same place");
            ui->popUpAnswers.push_back(0);
            Press("alt+Down");
        }),
        [&, menus] { return ui->popUps.size() == *menus + 2; },
        Do([&] { Check(w->eMailApplication()->ListIndex() == 0, "Alt+Down opens it too, and only its choice changes the program"); })}});
    const auto messageBox = [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
    rows->push_back({"Send says in a message that the card could not be handed over, and why", {
        Do([&] {
            fw::UserInteraction::Install(nullptr);
            ClickAt(w->textField()->Widget(), {5, 8}), Press("Tab Tab space");
        }),
        [&] { return messageBox() && QTest::qWaitForWindowExposed(messageBox()); }, Pause(300),
        Do([&] {
            shot("send message.png");
            Check(messageBox()->text() ==
                      "The card could not be handed to Apple Mail.\nCritical Error Can Not Access Apple Script (osascript).",
                  "the message names the program and the reason");
            Check(messageBox()->isActiveWindow(), "the message has the keyboard");
            Press("Return");
        }),
        [&] { return !messageBox(); },
        Do([&] {
            fw::UserInteraction::Install(ui);
            Check(w->PagePanel1()->Value() == 0, "the composer stays");
        })}});
    // Placement 3 means the same for both windows: centred, frame and all.
    const auto centred = [&](QWidget* window) {
        const QPoint off = window->frameGeometry().center() - w->Widget()->screen()->availableGeometry().center();
        return std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
    };
    for (const char* key : {"Escape", "ctrl+w"})
        rows->push_back({std::string("the about box opens centred, active, and ") + key + " closes it", {
            Do([&] { MenuItem(w->Widget(), "About Stampora")->trigger(); }),
            [&] { return about() && QTest::qWaitForWindowExposed(about()->Widget()) && about()->Widget()->isActiveWindow(); },
            Pause(300),
            Do([&, key] {
                if (std::string(key) == "Escape") shot("about box.png");
                Check(centred(about()->Widget()) && centred(w->Widget()),
                      "the about box is centred on the main window's screen, as the main window is");
                Press(key);
            }),
            [&] { return !about(); },
            Do([&] { Check(w->IsOpen() && w->PagePanel1()->Value() == 0, "the main window stays on the composer"); })}});


    // Keys typed while a photo decodes wait, and arrive afterwards, in order.
    const QString slowHelper = home.filePath("slow-decode");
    {
        QFile script(slowHelper);
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nsleep 1.5\nexec '" STAMPORA_BUNDLE "/bin/stampora-decode' \"$@\"\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    rows->push_back({"keys typed during a decode arrive after it, in order", {
        Do([&] { ClickAt(w->textField()->Widget(), {5, 8}), Press("End"); }),
        [&] { return w->textField()->HasFocus(); },
        Do([&] {
            caption = w->textField()->Text();
            fw::DecodeHelper::SetProgram(slowHelper.toStdString());
            QProcess::startDetached("sh", {"-c", "sleep 0.5; xdotool type --delay 30 kept"});
            w->AddImage(fw::FolderItem::FromPath(photoPath.toStdString()));
            fw::DecodeHelper::SetProgram(STAMPORA_BUNDLE "/bin/stampora-decode");
            Check(w->thePicture && w->textField()->Text() == caption, "the photo decodes with the keys held back");
        }),
        [&] { return w->textField()->Text() == caption + "kept"; }}});
    rows->push_back({"the first close shows the advert page", {
        Do([&] {
            Check(!w->Close() && w->PagePanel1()->Value() == 1 && w->IsOpen(), "the first close shows the advert page");
        })}});
    tabRow("every Tab stop of the advert page shows the focus", [&] {
        return std::vector<TabStop>{{"the page", w->HTMLViewer1()->Widget()}, {"More Information...", w->MorInfoButton()->Widget()},
                                    {"Download Now!", w->DownloadNowButton()->Widget()}, {"Close", w->CancelButton()->Widget()}};
    }, [&] { w->CancelButton()->SetFocus(); }, 10);
    rows->push_back({"the second close ends the program", {
        Do([&] { Check(w->Close(), "the second close closes the window"), finished = true, w.reset(); })}});
    RunRows(rows);

    const int status = StamporaMain(programArgc, args.data());

    Check(finished, "every step ran");
    Check(!watchdogFired, "the event loop ended by quitting");
    Check(fw::Runtime::HasQuit(), "the application quit");
    Check(status == 0, "the program's exit status is 0");
    Check(!QDir(QString::fromStdString(cleanUpRoot)).exists(), "the clean-up folder is gone after the end");

    fw::UserInteraction::Install(nullptr);
    return e2e::Finish();
}
