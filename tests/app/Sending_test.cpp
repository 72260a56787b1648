#include "tests/app/StamporaFixture.h"

#include "tests/common/FakeOsascript.h"

#include <QAbstractItemView>

namespace {

const std::vector<std::string> kMenuTexts = {
    "Apple Mail", "Microsoft Entourage", "Bare Bones Mailsmith", "Eudora", "GyazMail", "-",
    "Save...",    "-",                   "Scale To Fit",         "Post Mark", "Choose Stamp Image..."};
constexpr int kSaveEntry = 6;
constexpr int kScaleToFitEntry = 8;
constexpr int kPostMarkEntry = 9;

// The composer with an application object, its own Documents folder for the
// clean-up folder, and a boot volume of its own, with or without osascript.
class SendingTest : public StamporaTest {
protected:
    void SetUp() override {
        fw::Runtime::RuntimeRegisterAppObject(std::make_shared<App>());
        carbon::SetUserRecordForTests(carbon::UserRecord{"ana", "Ana Lima"});
        StamporaTest::SetUp();
    }
    void TearDown() override {
        StamporaTest::TearDown();
        CleanOnQuit::ReleaseRootFolder();
        CleanOnQuit::ReleaseDestructionManager();
        carbon::SetUserRecordForTests(std::nullopt);
        fw::Runtime::RuntimeRegisterAppObject(nullptr);
    }

    // The subfolders of the clean-up folder, one per send.
    std::vector<fs::path> Subfolders() const {
        std::vector<fs::path> out;
        const std::string root = home_.Documents() + "/" + CleanOnQuit::kRootName;
        if (fs::exists(root))
            for (const auto& entry : fs::directory_iterator(root))
                if (entry.is_directory()) out.push_back(entry.path());
        return out;
    }

    void PopUpChoosing(int entry) {
        ui->popUpAnswers.push_back(entry);
        auto mail = window->eMailApplication();
        QTest::mouseClick(mail->Widget(), Qt::LeftButton, {}, QPoint(40, 10));
    }

    testsupport::ScopedHome home_;
    testsupport::FakeOsascript mail_;
};

} // namespace

// --- the send button

TEST_F(SendingTest, EachRowSendsToItsProgramByItsTagWithTheFullNameInTheSubject) {
    // The full name as the user database's comment field holds it.
    struct Row { int row; const char* gecos; const char* program; };
    const Row rows[] = {{0, "Ana Lima,,,", "Mail"},   {1, "Ana Lima,,,", "Microsoft Entourage"}, {2, "Ana Lima,,,", "Mailsmith"},
                        {3, "Ana Lima,,,", "Eudora"}, {4, "Ana Lima,,,", "GyazMail"},
                        // No full name: the subject begins with a blank.
                        {2, nullptr, "Mailsmith"}};
    mail_.Install();
    int runs = 0;
    for (const Row& row : rows) {
        carbon::SetUserRecordForTests(carbon::UserRecord{"ana", carbon::FullNameFromGecos(row.gecos)});
        window->eMailApplication()->SetListIndex(row.row);
        window->SaveButton()->Push();
        ASSERT_EQ(mail_.Runs(), ++runs);
        const std::string tell = "tell application \"" + std::string(row.program) + "\"\r";
        EXPECT_EQ(mail_.Script().rfind(tell, 0), 0u) << mail_.Script();
        const std::string subject = std::string("\"") + (row.gecos ? "Ana Lima" : "") + " has sent you a Zinglet\"";
        EXPECT_NE(mail_.Script().find(subject), std::string::npos) << mail_.Script();
    }
}

TEST_F(SendingTest, TwoSendsLeaveTwoSubfoldersEachWithItsOwnCard) {
    mail_.Install();
    for (QRgb photo : {testsupport::kRed, testsupport::kBlue}) {
        window->AddImage(testsupport::SolidPicture(640, 316, photo));
        window->SaveButton()->Push();
    }
    EXPECT_EQ(mail_.Runs(), 2);
    const auto folders = Subfolders();
    ASSERT_EQ(folders.size(), 2u);
    int red = 0, blue = 0;
    for (const auto& folder : folders) {
        const std::string card = (folder / "Zinglet.jpg").string();
        EXPECT_EQ(ReadFile(card).substr(0, 3), "\xFF\xD8\xFF");
        const QImage image(QString::fromStdString(card));
        ASSERT_EQ(image.size(), QSize(640, 316)) << card;
        red += bool(testsupport::Near(image.pixel(100, 100), testsupport::kRed));
        blue += bool(testsupport::Near(image.pixel(100, 100), testsupport::kBlue));
    }
    // Each file shows the card as it was when it was sent.
    EXPECT_EQ(std::make_pair(red, blue), std::make_pair(1, 1));
}

// Whatever stops the card from being written (its file, or its folder, which the clean-up
// folder's own tests also refuse when something not ours stands at its name), the user is
// told the real cause and nothing is sent.
TEST_F(SendingTest, ACardThatCannotBeWrittenIsNotSentAndTheUserIsToldWhy) {
    const std::string root = home_.Documents() + "/" + CleanOnQuit::kRootName;
    struct Row { const char* name; std::function<void(const std::function<void()>&)> around; std::string reason; };
    const Row rows[] = {
        {"full disk", [](const auto& send) { testsupport::FullDisk full(1024); send(); }, std::strerror(EFBIG)},
        {"read-only clean-up folder",
         [&](const auto& send) {
             CleanOnQuit::Configure(nullptr);
             testsupport::ReadOnlyFolder readOnly(root);
             send();
         },
         std::strerror(EACCES)},
    };
    mail_.Install();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ui->messages.clear();
        testsupport::DebugLogCapture log;
        row.around([&] { window->SaveButton()->Push(); });
        EXPECT_EQ(mail_.Runs(), 0);
        EXPECT_EQ(ui->messages, std::vector<std::string>{"The card could not be written.\n" + row.reason});
        ASSERT_FALSE(log.Lines().empty());
        EXPECT_NE(log.Lines().back().find(row.reason), std::string::npos) << log.Lines().back();
    }
}

// A hand-over that fails is said in a message naming the program as the pop-up shows
// it, with the runner's reason; one that works, whatever the script printed, says
// nothing. The card is written either way.
TEST_F(SendingTest, AHandOverThatFailsIsShownWithTheProgramAndTheReason) {
    struct Row { const char* name; int row; std::optional<std::string> osascript; std::string message; };
    const Row rows[] = {
        {"no osascript", 0, std::nullopt,
         "The card could not be handed to Apple Mail.\nCritical Error Can Not Access Apple Script (osascript)."},
        {"the program refuses", 3, "printf 'Eudora got an error: not running.\\n' >&2; exit 1\n",
         "The card could not be handed to Eudora.\nEudora got an error: not running."},
        {"a silent failure", 4, "exit 2\n",
         "The card could not be handed to GyazMail.\nosascript reported a failure and gave no reason."},
        {"a result printed", 1, "printf 'outgoing message id 7\\n'\n", ""},
    };
    // As on Linux: the folders are there, the command is not.
    fs::create_directories(mail_.Boot("usr/bin"));
    size_t sends = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.osascript) mail_.Install(*row.osascript);
        ui->messages.clear();
        window->eMailApplication()->SetListIndex(row.row);
        window->SaveButton()->Push();
        EXPECT_EQ(ui->messages, row.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.message});
        EXPECT_EQ(Subfolders().size(), ++sends);
    }
}

// --- the mail-program menu

TEST_F(SendingTest, TheMenuListsTheTaggedRowsThenFourCommandsAndAChoiceActsWithoutSending) {
    mail_.Install();
    Scribble();
    const QImage scribbled = Shown();
    auto mail = window->eMailApplication();
    mail->SetListIndex(1);
    ui->popUpAnswers.push_back(3);
    // Consumed, so that the control's own list stays shut.
    EXPECT_TRUE(mail->DeliverMouseDown(250, 15));
    ASSERT_EQ(ui->popUps.size(), 1u);
    const auto& menu = ui->popUps[0];
    EXPECT_EQ(menu.texts, kMenuTexts);
    EXPECT_EQ(menu.checked, (std::vector<bool>{0, 1, 0, 0, 0, 0, 0, 0, window->ScaleToFit, window->PostMarkApply, 0}));
    EXPECT_EQ(QPoint(menu.x, menu.y), QPoint(window->Left() + mail->Left, window->Top() + mail->Top));
    // The row chosen moves the check; nothing is sent or drawn.
    EXPECT_EQ(std::tuple(mail->ListIndex(), mail->Text(), static_cast<QComboBox*>(mail->Widget())->currentIndex()),
              std::tuple(3, std::string("Eudora"), 3));
    EXPECT_EQ(mail_.Runs(), 0);
    EXPECT_TRUE(Subfolders().empty());
    EXPECT_EQ(Shown(), scribbled);
    // The commands act as from the menu bar.
    PopUpChoosing(kScaleToFitEntry);
    PopUpChoosing(kPostMarkEntry);
    PopUpChoosing(-1);
    ASSERT_EQ(ui->popUps.size(), 4u);
    EXPECT_EQ(ui->popUps[3].checked, (std::vector<bool>{0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0}));
    PopUpChoosing(kScaleToFitEntry);
    EXPECT_FALSE(window->ScaleToFit);
    PopUpChoosing(kSaveEntry);
    ASSERT_EQ(ui->dialogs.size(), 1u);
    EXPECT_EQ(ui->dialogs[0].suggestedName, "untitled.jpg");
    EXPECT_EQ(mail->ListIndex(), 3);
}

// Only that menu changes the row. Qt's keys for opening a list open it, where a click
// does; the other keys and the wheel of the control's own list change nothing and open
// no list.
TEST_F(SendingTest, KeysAndTheWheelLeaveTheMailProgramAloneAndTheOpeningKeysShowTheMenu) {
    auto* combo = static_cast<QComboBox*>(window->eMailApplication()->Widget());
    combo->setFocus();
    struct Key { Qt::Key key; Qt::KeyboardModifiers modifiers; bool opensMenu; };
    const Key keys[] = {{Qt::Key_Down, {}, false}, {Qt::Key_Space, {}, true}, {Qt::Key_End, {}, false},
        {Qt::Key_G, {}, false}, {Qt::Key_Down, Qt::AltModifier, true}, {Qt::Key_F4, {}, true},
        {Qt::Key_Space, Qt::ControlModifier, false}, {Qt::Key_F4, Qt::AltModifier, false}, {Qt::Key_unknown, {}, false}};
    const QPoint corner(window->Left() + window->eMailApplication()->Left, window->Top() + window->eMailApplication()->Top);
    size_t menus = 0;
    for (const auto& [key, modifiers, opensMenu] : keys) {
        window->eMailApplication()->SetListIndex(0), combo->hidePopup();
        if (opensMenu) ui->popUpAnswers.push_back(2);
        if (key != Qt::Key_unknown) QTest::keyClick(combo, key, modifiers);
        QWheelEvent wheel({10, 10}, combo->mapToGlobal(QPointF(10, 10)), {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
        if (key == Qt::Key_unknown) QApplication::sendEvent(combo, &wheel);
        menus += opensMenu;
        ASSERT_EQ(ui->popUps.size(), menus) << key;
        if (opensMenu) {
            EXPECT_EQ(QPoint(ui->popUps.back().x, ui->popUps.back().y), corner) << key;
        }
        // The menu's choice is the only change.
        EXPECT_EQ(std::tuple(window->eMailApplication()->ListIndex(), combo->currentIndex(), combo->view()->isVisible()),
                  std::tuple(opensMenu ? 2 : 0, opensMenu ? 2 : 0, false)) << key;
    }
}
