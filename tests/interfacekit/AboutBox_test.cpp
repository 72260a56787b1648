#include "framework/core/Application.h"
#include "framework/core/ExecutableFile.h"
#include "framework/core/System.h"
#include "interfacekit/ifkAboutBox.h"
#include "tests/interfacekit/KitFixture.h"

#include <QTest>

namespace {

using testsupport::RgbAt;

class VersionedApp : public fw::Application {
public:
    VersionedApp() { ShortVersion = "3.0.6", MajorVersion = 3, MinorVersion = 0, BugVersion = 6, NonReleaseVersion = 409; }
    fw::DateRef BuildDate() const override { return std::make_shared<fw::Date>(3315485418.0); }
};

class AboutBoxTest : public kittest::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
        fw::Runtime::RuntimeRegisterAppObject(std::make_shared<VersionedApp>());
    }
    void TearDown() override {
        KitTest::TearDown();
        fw::Runtime::RuntimeRegisterAppObject(nullptr);
        fw::SetExecutableFileForTests("");
        fw::System::SetLocalizedStrings({});
    }
    static std::string VersionLine(ifkAboutBox& box) { return box.Find<fw::StaticText>("appVer")->Text(); }
};

} // namespace

// The icon comes from the bundle's creator code; a bundle that records none leaves the canvas blank.
TEST_F(AboutBoxTest, VersionLineAlternatesAndStartsShortInEachNewBoxBesideTheApplicationsIcon) {
    testsupport::ScratchDir elsewhere;
    struct Row { std::map<std::string, std::string> strings; std::string executable, shortText, longText; bool icon; };
    const Row rows[] = {
        {{}, STAMPORA_BUNDLE "/bin/stampora", "Version 3.0.6", "Version 3.0.6, Build 409, on 22 Jan 2009", true},
        {{{"ifkAboutBox.kVersion", "Versione"}, {"ifkAboutBox.kOn", "del"}}, elsewhere.File("bin/x"),
         "Versione 3.0.6", "Versione 3.0.6, Build 409, del 22 Jan 2009", false},
    };
    for (const Row& row : rows) {
        fw::System::SetLocalizedStrings(row.strings);
        fw::SetExecutableFileForTests(row.executable);
        testsupport::DebugLogCapture log;
        auto box = ifkAboutBox::Instance();   // short at first: in the reference picture, and in the new box below
        for (const std::string& expected : {row.longText, row.shortText, row.longText}) {
            EXPECT_FALSE(box->appVer_MouseDown(3, 3));
            EXPECT_EQ(VersionLine(*box), expected);
            EXPECT_EQ(ifkAboutBox::Instance(), box) << "one box while it is open, left as it is";
        }
        box->appIcon()->DeliverPaint();
        const auto pixels = box->appIcon()->BackingPicture();
        // The icon's landscape fills its middle; its transparent corner shows the window's background.
        const QRgb background = box->Widget()->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
        EXPECT_EQ(std::pair(RgbAt(pixels, 32, 32) != background, RgbAt(pixels, 1, 1)), std::pair(row.icon, background))
            << row.executable;
        box->Close();
        auto again = ifkAboutBox::Instance();
        EXPECT_NE(again, box);
        EXPECT_EQ(VersionLine(*again), row.shortText);
        again->Close();
        EXPECT_TRUE(log.Lines().empty()) << row.executable;
    }
}

// The box has no buttons and no menu bar of its own: Escape and the Close key close it,
// other keys leave it open.
TEST_F(AboutBoxTest, EscapeAndTheCloseKeyCloseItOtherKeysDoNot) {
    struct Row { Qt::Key key; Qt::KeyboardModifiers modifiers; bool closes; };
    const Row rows[] = {{Qt::Key_A, {}, false}, {Qt::Key_Return, {}, false}, {Qt::Key_W, {}, false},
                        {Qt::Key_Escape, {}, true}, {Qt::Key_W, Qt::ControlModifier, true}};
    for (const Row& row : rows) {
        auto box = ifkAboutBox::Instance();
        box->Show();
        QTest::keyClick(box->Widget(), row.key, row.modifiers);
        EXPECT_EQ(!box->IsOpen(), row.closes) << row.key;
        EXPECT_EQ(box->Widget()->isVisible(), !row.closes) << row.key;
        if (box->IsOpen()) box->Close();
    }
}
