#include "framework/Application.h"
#include "framework/ExecutableFile.h"
#include "framework/System.h"
#include "interfacekit/ifkAboutBox.h"
#include "tests/interfacekit/KitFixture.h"

namespace {

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

TEST_F(AboutBoxTest, VersionLineAlternatesAndStartsShortInEachNewBox) {
    const std::string date = fw::Date(3315485418.0).AbbreviatedDate();
    struct Row { std::map<std::string, std::string> strings; std::string shortText, longText; };
    for (const Row& row : {Row{{}, "Version 3.0.6", "Version 3.0.6, Build 409, on " + date},
                           Row{{{"ifkAboutBox.kVersion", "Versione"}, {"ifkAboutBox.kOn", "del"}},
                               "Versione 3.0.6", "Versione 3.0.6, Build 409, del " + date}}) {
        fw::System::SetLocalizedStrings(row.strings);
        auto box = ifkAboutBox::Instance();
        EXPECT_EQ(VersionLine(*box), row.shortText);
        for (const std::string& expected : {row.longText, row.shortText, row.longText}) {
            EXPECT_FALSE(box->appVer_MouseDown(3, 3));
            EXPECT_EQ(VersionLine(*box), expected);
            EXPECT_EQ(ifkAboutBox::Instance(), box) << "one box while it is open, left as it is";
        }
        box->Close();
        auto again = ifkAboutBox::Instance();
        EXPECT_NE(again, box);
        EXPECT_EQ(VersionLine(*again), row.shortText);
        again->Close();
    }
}

TEST_F(AboutBoxTest, CanvasShowsTheApplicationsIconOrStaysBlankWithoutOne) {
    testsupport::ScratchDir elsewhere;   // a bundle that records no creator code
    for (const std::string& executable : {std::string(STAMPORA_BUNDLE "/bin/stampora"), elsewhere.File("bin/x")}) {
        fw::SetExecutableFileForTests(executable);
        testsupport::DebugLogCapture log;
        auto box = ifkAboutBox::Instance();
        auto canvas = box->appIcon();
        canvas->DeliverPaint();
        const auto pixels = canvas->BackingPicture();
        const bool iconKnown = executable.find(STAMPORA_BUNDLE) == 0;
        // The icon's landscape fills its middle; its transparent corner shows the canvas.
        EXPECT_EQ(std::pair(testsupport::RgbAt(pixels, 32, 32) != 0xFFFFFF, testsupport::RgbAt(pixels, 0, 0)), std::pair(iconKnown, 0xFFFFFFu))
            << executable;
        box->Close();
        EXPECT_TRUE(log.Lines().empty()) << executable;
    }
}
