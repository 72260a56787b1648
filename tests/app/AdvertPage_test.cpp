#include "tests/app/StamporaFixture.h"

#include "tests/common/TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBrowser>
#include <QUrl>

namespace {

class AdvertTest : public StamporaTest {
protected:
    int Page() const { return window->PagePanel1()->Value(); }
    // Lets a requested quit run; it is deferred through the event loop.
    static void Settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    void ToAdvertPage() {
        ASSERT_FALSE(window->Close());
        Settle();
        ASSERT_EQ(Page(), 1);
    }
    // The composer's controls hide, the advert page's show.
    bool AdvertShowing() const {
        return window->HTMLViewer1()->Widget()->isVisible() && window->CancelButton()->Widget()->isVisible() &&
               !window->DisplayArea()->Widget()->isVisible() && !window->SaveButton()->Widget()->isVisible();
    }
};

} // namespace

// --- closing and quitting

TEST_F(AdvertTest, FirstCloseShowsTheAdvertPageSecondCloseQuits) {
    EXPECT_FALSE(window->Close());
    Settle();
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(AdvertShowing());
    EXPECT_TRUE(window->IsOpen());
    EXPECT_TRUE(window->Widget()->isVisible());
    EXPECT_FALSE(fw::Runtime::HasQuit());

    EXPECT_TRUE(window->Close());
    Settle();
    EXPECT_FALSE(window->IsOpen());
    EXPECT_TRUE(fw::Runtime::HasQuit());
}

TEST_F(AdvertTest, AdvertPageLoadsTheBundlesIndexPage) {
    ToAdvertPage();
    const std::string url = window->HTMLViewer1()->CurrentURL();
    EXPECT_EQ(QUrl(QString::fromStdString(url)).toLocalFile().toStdString(),
              std::string(STAMPORA_BUNDLE) + "/Resources/index.html");
}

TEST_F(AdvertTest, FileQuitOnTheComposerShowsTheAdvertAndKeepsRunning) {
    EXPECT_TRUE(window->RunMenuItem(window->FileQuit()));
    Settle();
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(window->IsOpen());
    EXPECT_FALSE(fw::Runtime::HasQuit());
    EXPECT_FALSE(fw::Runtime::Quitting());

    window->RunMenuItem(window->FileQuit());
    Settle();
    EXPECT_FALSE(window->IsOpen());
    EXPECT_TRUE(fw::Runtime::HasQuit());
}

TEST_F(AdvertTest, FileCloseOnTheComposerShowsTheAdvertAndLeavesTheWindowOpen) {
    EXPECT_TRUE(window->RunMenuItem(window->FileClose()));
    Settle();
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(window->IsOpen());
    EXPECT_FALSE(fw::Runtime::HasQuit());

    EXPECT_TRUE(window->RunMenuItem(window->FileClose()));
    Settle();
    EXPECT_FALSE(window->IsOpen());
    EXPECT_TRUE(fw::Runtime::HasQuit());
}

TEST_F(AdvertTest, CloseBoxActsLikeClose) {
    EXPECT_FALSE(window->Widget()->close());
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(window->Widget()->close());
    Settle();
    EXPECT_TRUE(fw::Runtime::HasQuit());
}

TEST_F(AdvertTest, QuitRequestedAgainDuringTheQuitNeitherLoopsNorStops) {
    ToAdvertPage();
    fw::Runtime::Quit();
    fw::Runtime::Quit();
    EXPECT_TRUE(fw::Runtime::Quitting());
    Settle();
    EXPECT_TRUE(fw::Runtime::HasQuit());
    EXPECT_FALSE(window->IsOpen());
    EXPECT_FALSE(fw::Runtime::Quitting());
    // The advert page's CancelClose asked for a quit once more while closing; that
    // must not leave a second quit pending.
    Settle();
    EXPECT_TRUE(fw::Runtime::HasQuit());
}

TEST_F(AdvertTest, NothingTurnsTheWindowBackToTheComposer) {
    ToAdvertPage();
    window->_EditScaleToFit_Action();
    window->_EditPostMark_Action();
    window->_FileImport_Action();
    window->HTMLViewer1()->FollowLink("http://example.org/");
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(AdvertShowing());
}

// --- the three buttons

struct ButtonCase {
    const char* button;
    const char* url;   // empty: no page is opened
};

class AdvertButtons : public AdvertTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(AdvertButtons, ButtonOpensItsPageThenQuits) {
    const ButtonCase c = GetParam();
    ToAdvertPage();
    window->Find<fw::PushButton>(c.button)->Push();
    Settle();
    if (*c.url) EXPECT_EQ(ui->urls, std::vector<std::string>{c.url});
    else EXPECT_TRUE(ui->urls.empty());
    EXPECT_TRUE(fw::Runtime::HasQuit());
    EXPECT_FALSE(window->IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Advert, AdvertButtons,
    ::testing::Values(ButtonCase{"MorInfoButton", "http://www.pixalune.com/"},
                      ButtonCase{"DownloadNowButton", "http://www.pixalune.com/pixalunephotos/PixalunePhotos.dmg"},
                      ButtonCase{"CancelButton", ""}),
    [](const auto& info) { return std::string(info.param.button); });

// --- links in the page

struct LinkCase {
    const char* name;
    const char* url;
};

class BrowserLinks : public AdvertTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(BrowserLinks, LinkBeginningWithHttpOpensInTheBrowserAndThePageStays) {
    ToAdvertPage();
    const std::string shown = window->HTMLViewer1()->CurrentURL();
    window->HTMLViewer1()->FollowLink(GetParam().url);
    EXPECT_EQ(ui->urls, std::vector<std::string>{GetParam().url});
    EXPECT_EQ(window->HTMLViewer1()->CurrentURL(), shown);
    EXPECT_EQ(Page(), 1);
    EXPECT_FALSE(fw::Runtime::Quitting());
}

INSTANTIATE_TEST_SUITE_P(Advert, BrowserLinks,
                         ::testing::Values(LinkCase{"Http", "http://www.pixalune.com/"},
                                           LinkCase{"Https", "https://www.pixalune.com/secure"},
                                           LinkCase{"UpperCaseScheme", "HTTP://www.pixalune.com/"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdvertTest, LinkToALocalFileLoadsInTheViewer) {
    ToAdvertPage();
    testsupport::ScratchDir dir;
    const std::string page = dir.Write("other.html", "<html><body><p>Another page</p></body></html>");
    const std::string url = QUrl::fromLocalFile(QString::fromStdString(page)).toString().toStdString();
    EXPECT_FALSE(window->HTMLViewer1_CancelLoad(url));
    window->HTMLViewer1()->FollowLink(url);
    EXPECT_TRUE(ui->urls.empty());
    EXPECT_EQ(window->HTMLViewer1()->CurrentURL(), url);
    auto* browser = qobject_cast<QTextBrowser*>(window->HTMLViewer1()->Widget());
    ASSERT_TRUE(browser);
    EXPECT_TRUE(browser->toPlainText().contains("Another page"));
}

TEST_F(AdvertTest, ShortOrOtherSchemeLinksAreNotSentToTheBrowser) {
    for (const char* url : {"", "htt", "ftp://example.org/", "mailto:ana@example.org", "file:///tmp/x"})
        EXPECT_FALSE(window->HTMLViewer1_CancelLoad(url)) << url;
    EXPECT_TRUE(ui->urls.empty());
}

// --- edit commands on the page

TEST_F(AdvertTest, EditCommandsActOnThePageWhileTheViewerHasTheFocus) {
    ToAdvertPage();
    auto viewer = window->HTMLViewer1();
    viewer->SetFocus();
    ASSERT_TRUE(viewer->HasFocus());
    QImage picture(30, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);

    // Paste is the viewer's, and the read-only page takes nothing: the card keeps no photo.
    EXPECT_TRUE(window->HandleMenuCommand("EditPaste"));
    EXPECT_FALSE(window->thePicture);

    // Select All then Copy copies the page's text, not the card.
    EXPECT_TRUE(window->HandleMenuCommand("EditSelectAll"));
    EXPECT_TRUE(window->HandleMenuCommand("EditCopy"));
    EXPECT_NE(QGuiApplication::clipboard()->text().indexOf("Pixalune Photos"), -1);
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasImage());
}
