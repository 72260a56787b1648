#include "tests/app/StamporaFixture.h"

#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QTimer>

namespace {

class MenuCommandTest : public StamporaTest {
protected:
    void SetUp() override {
        StamporaTest::SetUp();
        QGuiApplication::clipboard()->clear();
        // With the canvas focused, as after a click on the card, no text field can
        // take a command the window declines; the opening state has its own table.
        window->DisplayArea()->SetFocus();
    }

    bool Run(const fw::MenuItemRef& item) { return window->RunMenuItem(item); }
    void UsePhoto() { window->AddImage(std::make_shared<fw::Picture>(cardtest::ColumnRamp(900, 400))); }
    long FilesOn(const std::string& folder) { return std::distance(fs::directory_iterator(folder), {}); }
};

} // namespace

// --- readying the menus

// (Paste with and without a picture is in the opening-state table, through the menu.)
TEST_F(MenuCommandTest, ReadyingTheMenusChecksTheToggles) {
    for (bool on : {false, true}) {
        window->PostMarkApply = on, window->ScaleToFit = !on;
        window->EnableMenuItems();
        EXPECT_EQ(std::pair(window->EditPostMark()->Checked(), window->EditScaleToFit()->Checked()), std::pair(on, !on));
    }
}

// --- Copy and Paste

TEST_F(MenuCommandTest, CopyPutsTheCardOnTheClipboardAlsoAsPngAndPasteMakesOnlyAPictureThePhoto) {
    UsePhoto();
    window->textField()->SetText("Greetings");
    const QImage card = Card();
    QGuiApplication::clipboard()->setText("no picture here");
    EXPECT_FALSE(Run(window->EditPaste()));
    EXPECT_EQ(Card(), card);

    // The copied image itself is checked in the opening-state table; here its PNG form.
    EXPECT_TRUE(Run(window->EditCopy()));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data && data->hasFormat("image/png"));
    EXPECT_EQ(QImage::fromData(data->data("image/png"), "PNG").convertToFormat(QImage::Format_RGB32), card);

    window->AddImage({});
    EXPECT_TRUE(Run(window->EditPaste()));
    ASSERT_TRUE(window->thePicture);
    // A 640 x 316 card already covers the photo area at scale 1.
    EXPECT_EQ(Pixels(window->thePicture), card);
    EXPECT_EQ(std::pair(window->imageOffset->Left(), window->imageOffset->Right()), std::pair(110.0, 0.0));
    EXPECT_TRUE(ShowsTheCard());
}

TEST_F(MenuCommandTest, EachToggleChangesTheCardKeepsThePanOffsetAndTwiceGivesTheCardBack) {
    Scribble();
    EXPECT_TRUE(Run(window->EditScaleToFit()));
    EXPECT_TRUE(ShowsTheCard());   // also without a photo
    EXPECT_TRUE(Run(window->EditScaleToFit()));
    UsePhoto();
    window->imageOffset = fw::Pair::Make(40, 0);
    const QImage before = Card();
    for (auto [item, flag] : {std::pair{window->EditPostMark(), &window->PostMarkApply},
                              std::pair{window->EditScaleToFit(), &window->ScaleToFit}}) {
        const bool was = *flag;
        EXPECT_TRUE(Run(item));
        EXPECT_NE(*flag, was);
        EXPECT_NE(Shown(), before);
        EXPECT_EQ(window->imageOffset->Left(), 40);
        EXPECT_TRUE(Run(item));
        EXPECT_EQ(*flag, was);
        EXPECT_EQ(Shown(), before);
    }
}

// --- the dialogs

TEST_F(MenuCommandTest, CancelledDialogsChangeNothing) {
    const std::string desktop = fw::SpecialFolder::Desktop()->AbsolutePath(), all = IMageFiles::All();
    using Kind = fw::ScriptedUserInteraction::DialogKind;
    // The click on the empty card has no photo and returns false; the menu commands
    // have one and return true.
    struct Row { const char* name; std::function<bool()> command; bool menu; Kind kind;
                 std::string filter, folder, suggested; };
    const auto click = [&] { return window->DisplayArea()->DeliverMouseDown(100, 100); };
    const Row rows[] = {
        {"click on the empty card", click, false, Kind::Open, all, "", ""},
        {"import", [&] { return Run(window->FileImport()); }, true, Kind::Open, all, "", ""},
        {"stamp", [&] { return Run(window->EditChooseStampImage()); }, true, Kind::Open, all, "", ""},
        {"save", [&] { return Run(window->FileSave()); }, true, Kind::Save, "image/jpeg", desktop, "untitled.jpg"}};
    for (const Row& row : rows) {
        ui->dialogs.clear();
        if (row.menu) UsePhoto();
        const auto photo = window->thePicture, stamp = window->Stamp;
        const QImage card = Card();
        const long onDesktop = FilesOn(desktop);
        EXPECT_EQ(row.command(), row.menu) << row.name;
        ASSERT_EQ(ui->dialogs.size(), 1u) << row.name;
        const auto& d = ui->dialogs[0];
        EXPECT_TRUE(d.sheet) << row.name;
        EXPECT_EQ(std::tie(d.kind, d.filter, d.initialDirectory, d.suggestedName),
                  std::tie(row.kind, row.filter, row.folder, row.suggested)) << row.name;
        EXPECT_TRUE(window->thePicture == photo && window->Stamp == stamp) << row.name;
        EXPECT_EQ(Card(), card) << row.name;
        EXPECT_EQ(FilesOn(desktop), onDesktop) << row.name;
        EXPECT_TRUE(ui->messages.empty()) << row.name;
    }
}

TEST_F(MenuCommandTest, SaveWritesJpegUnderExactlyTheChosenNameOrKeepsTheEarlierFileAndTellsWhy) {
    UsePhoto();
    const QImage card = Card();
    // typed: the name is typed into Qt's own save dialog rather than scripted.
    struct Row { const char* target; bool diskFull; int reason; bool typed = false; };
    for (const Row& row : {Row{"my card", false, 0}, Row{"card.jpg", true, EFBIG}, Row{"gone/card.jpg", false, ENOENT},
                           Row{"my \"quoted\" card.jpg", false, 0, true}}) {
        testsupport::ScratchDir dir;
        ui->messages.clear();
        const std::string old = dir.Write("card.jpg", "the card saved before");
        ui->saveAnswers.push_back(Item(dir.File(row.target)));
        if (row.typed) {
            fw::UserInteraction::Install(nullptr);
            QTimer::singleShot(0, [&] {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                        dialog->setDirectory(QString::fromStdString(dir.Path()));
                        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
                        edit->setText(row.target);
                        QTest::keyClick(edit, Qt::Key_Return);
                    }
            });
        }
        {
            std::optional<testsupport::FullDisk> full;
            if (row.diskFull) full.emplace(1024);
            EXPECT_TRUE(Run(window->FileSave()));
        }
        fw::UserInteraction::Install(ui);
        EXPECT_EQ(testsupport::ReadFile(old), "the card saved before");
        EXPECT_EQ(FilesOn(dir.Path()), row.reason ? 1 : 2) << row.target;
        if (row.reason) {
            EXPECT_EQ(ui->messages, std::vector<std::string>{std::string("The card could not be saved.\n") + std::strerror(row.reason)});
            continue;
        }
        EXPECT_TRUE(ui->messages.empty());
        QImageReader reader(QString::fromStdString(dir.File(row.target)));
        EXPECT_EQ(reader.format(), "jpeg");
        const QImage written = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(written.size(), QSize(640, 316));
        for (QPoint p : {QPoint(100, 100), QPoint(300, 250)})
            EXPECT_TRUE(testsupport::Near(written.pixel(p), card.pixel(p), 24)) << p.x() << "," << p.y();
    }
}

TEST_F(MenuCommandTest, ImportAndStampTakeTheChosenPictureAndOnlyTheStampTellsOfANonPicture) {
    const std::string jpeg = files_.WriteJpeg("p.jpg", cardtest::Solid(840, 632, qRgb(20, 200, 20)));
    const std::string junk = files_.Write("junk.png", "\xFF\xD8\xFF garbage");
    struct Row { fw::MenuItemRef item; std::string file; bool taken; const char* message; };
    const Row rows[] = {{window->FileImport(), jpeg, true, nullptr}, {window->FileImport(), junk, false, nullptr},
                        {window->EditChooseStampImage(), junk, false, "Sorry I was unable to open the file"},
                        {window->EditChooseStampImage(), jpeg, true, nullptr}};
    for (const Row& row : rows) {
        ui->messages.clear();
        const auto stamp = window->Stamp;
        ui->openAnswers.push_back(Item(row.file));
        EXPECT_TRUE(Run(row.item));
        EXPECT_EQ(ui->messages, row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
        const bool taken = row.item == window->FileImport()
                               ? window->thePicture && testsupport::Near(Pixels(window->thePicture).pixel(200, 150), qRgb(20, 200, 20))
                               : window->Stamp != stamp;
        EXPECT_EQ(taken, row.taken) << row.item->Name << " " << row.file;
        EXPECT_TRUE(window->Stamp);
        EXPECT_TRUE(ShowsTheCard());
    }
}

// --- Help, About, Window

TEST_F(MenuCommandTest, HelpOpensTheMakersPagesAndMinimizeMinimizes) {
    EXPECT_TRUE(Run(window->MenuBar->_Lookup("HelpPixalunePhotosWebPage")));
    EXPECT_TRUE(Run(window->MenuBar->_Lookup("HelpServiceSupport")));
    EXPECT_EQ(ui->urls, (std::vector<std::string>{"http://www.pixalune.com/stampora/", "http://www.pixalune.com/support/"}));
    EXPECT_TRUE(window->_WindowMinimize_Action());
    EXPECT_TRUE(window->Widget()->windowState() & Qt::WindowMinimized);
}

// --- Edit commands in the opening state, with the caption focused

namespace {

struct OpeningEditCase {
    const char* item;
    Qt::Key key;            // Qt::Key_unknown: by the menu; otherwise this shortcut
    bool pictureOnClipboard;
    char outcome;           // 'c': the card copied; 'p': the picture taken as the photo; 't': only text changed
    const char* caption;    // the caption afterwards; "ell" of a typed "Hello" was selected
    int selected;           // the selection's length afterwards
    const char* clipText;   // the clipboard's text afterwards, when it must hold text
};

class OpeningStateEdit : public StamporaTest, public ::testing::WithParamInterface<OpeningEditCase> {};

} // namespace

TEST_P(OpeningStateEdit, TheCardsCommandsComeFirstAndTheFieldKeepsTheRest) {
    const OpeningEditCase c = GetParam();
    auto caption = window->textField();
    ASSERT_TRUE(caption->HasFocus());
    QTest::keyClicks(caption->Widget(), "Hello");
    caption->SetSelection(1, 3);
    if (c.pictureOnClipboard) QGuiApplication::clipboard()->setImage(cardtest::Solid(700, 400, qRgb(0, 0, 250)));
    else QGuiApplication::clipboard()->setText("Jo");
    const QImage card = Card();

    if (c.key == Qt::Key_unknown) window->RunMenuItem(window->MenuBar->_Lookup(c.item));
    else QTest::keyClick(caption->Widget(), c.key, Qt::ControlModifier);

    EXPECT_EQ(caption->Text(), c.caption);
    EXPECT_EQ(caption->SelLength(), c.selected);
    EXPECT_EQ(window->thePicture != nullptr, c.outcome == 'p');
    if (c.outcome == 'c') { EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), card); }
    if (c.clipText) { EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), c.clipText); }
}

constexpr Qt::Key kMenu = Qt::Key_unknown;
INSTANTIATE_TEST_SUITE_P(
    Menus, OpeningStateEdit,
    ::testing::Values(OpeningEditCase{"EditCopy", kMenu, false, 'c', "Hello", 3, nullptr},
                      OpeningEditCase{"EditCopy", Qt::Key_C, false, 'c', "Hello", 3, nullptr},
                      OpeningEditCase{"EditPaste", kMenu, true, 'p', "Hello", 3, nullptr},
                      OpeningEditCase{"EditPaste", Qt::Key_V, true, 'p', "Hello", 3, nullptr},
                      OpeningEditCase{"EditPaste", kMenu, false, 't', "HJoo", 0, nullptr},
                      OpeningEditCase{"EditPaste", Qt::Key_V, false, 't', "HJoo", 0, nullptr},
                      OpeningEditCase{"EditCut", Qt::Key_X, false, 't', "Ho", 0, "ell"},
                      OpeningEditCase{"EditClear", kMenu, false, 't', "Ho", 0, "Jo"},
                      OpeningEditCase{"EditSelectAll", kMenu, false, 't', "Hello", 5, "Jo"},
                      OpeningEditCase{"EditUndo", kMenu, false, 't', "Type Your Message Here", 22, "Jo"}),
    [](const auto& test) {
        const OpeningEditCase& c = test.param;
        return std::string(c.item) + (c.key == kMenu ? "ByMenu" : "ByShortcut") + (c.pictureOnClipboard ? "WithPicture" : "");
    });
