#include "tests/app/StamporaFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBrowser>
#include <QUrl>

#include <functional>

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

TEST_F(AdvertTest, EveryCloseRouteShowsTheAdvertPageFirstAndQuitsTheSecondTime) {
    struct Route { const char* name; std::function<bool()> close; bool first, second; };
    const Route routes[] = {
        {"Close", [&] { return window->Close(); }, false, true},
        {"File > Quit", [&] { return window->RunMenuItem(window->FileQuit()); }, true, true},
        {"File > Close", [&] { return window->RunMenuItem(window->FileClose()); }, true, true},
        {"the close box", [&] { return window->Widget()->close(); }, false, true}};
    for (const Route& route : routes) {
        TearDown();
        SetUp();
        EXPECT_EQ(route.close(), route.first) << route.name;
        Settle();
        EXPECT_EQ(Page(), 1) << route.name;
        EXPECT_TRUE(AdvertShowing()) << route.name;
        EXPECT_TRUE(window->IsOpen() && window->Widget()->isVisible()) << route.name;
        EXPECT_FALSE(fw::Runtime::HasQuit() || fw::Runtime::Quitting()) << route.name;

        EXPECT_EQ(route.close(), route.second) << route.name;
        Settle();
        EXPECT_FALSE(window->IsOpen()) << route.name;
        EXPECT_TRUE(fw::Runtime::HasQuit()) << route.name;
    }
}

TEST_F(AdvertTest, AdvertPageLoadsTheBundlesIndexPage) {
    ToAdvertPage();
    const std::string url = window->HTMLViewer1()->CurrentURL();
    EXPECT_EQ(QUrl(QString::fromStdString(url)).toLocalFile().toStdString(),
              std::string(STAMPORA_BUNDLE) + "/Resources/index.html");
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

TEST_F(AdvertTest, EachButtonOpensItsPageThenQuits) {
    const std::pair<const char*, const char*> buttons[] = {
        {"MorInfoButton", "http://www.pixalune.com/"},
        {"DownloadNowButton", "http://www.pixalune.com/pixalunephotos/PixalunePhotos.dmg"},
        {"CancelButton", nullptr}};
    for (const auto& [button, url] : buttons) {
        TearDown();
        SetUp();
        ToAdvertPage();
        window->Find<fw::PushButton>(button)->Push();
        Settle();
        EXPECT_EQ(ui->urls, url ? std::vector<std::string>{url} : std::vector<std::string>{}) << button;
        EXPECT_TRUE(fw::Runtime::HasQuit()) << button;
        EXPECT_FALSE(window->IsOpen()) << button;
    }
}

// --- links in the page

TEST_F(AdvertTest, OnlyLinksBeginningWithHttpGoToTheBrowser) {
    for (const char* url : {"http://www.pixalune.com/", "https://www.pixalune.com/secure", "HTTP://www.pixalune.com/"}) {
        ui->urls.clear();
        EXPECT_TRUE(window->HTMLViewer1_CancelLoad(url)) << url;
        EXPECT_EQ(ui->urls, std::vector<std::string>{url});
    }
    ui->urls.clear();
    for (const char* url : {"", "htt", "ftp://example.org/", "mailto:ana@example.org", "file:///tmp/x"})
        EXPECT_FALSE(window->HTMLViewer1_CancelLoad(url)) << url;
    EXPECT_TRUE(ui->urls.empty());
}

TEST_F(AdvertTest, AFollowedLinkToTheWebKeepsThePageAndOneToALocalFileLoadsInTheViewer) {
    ToAdvertPage();
    const std::string shown = window->HTMLViewer1()->CurrentURL();
    window->HTMLViewer1()->FollowLink("http://www.pixalune.com/");
    EXPECT_EQ(ui->urls, std::vector<std::string>{"http://www.pixalune.com/"});
    EXPECT_EQ(window->HTMLViewer1()->CurrentURL(), shown);
    EXPECT_EQ(Page(), 1);
    EXPECT_FALSE(fw::Runtime::Quitting());

    const std::string page = files_.Write("other.html", "<html><body><p>Another page</p></body></html>");
    const std::string url = QUrl::fromLocalFile(QString::fromStdString(page)).toString().toStdString();
    window->HTMLViewer1()->FollowLink(url);
    EXPECT_EQ(ui->urls.size(), 1u);
    EXPECT_EQ(window->HTMLViewer1()->CurrentURL(), url);
    auto* browser = qobject_cast<QTextBrowser*>(window->HTMLViewer1()->Widget());
    ASSERT_TRUE(browser);
    EXPECT_TRUE(browser->toPlainText().contains("Another page"));
}

// --- edit commands on the page

TEST_F(AdvertTest, EditCommandsActOnThePageWhileTheViewerHasTheFocus) {
    ToAdvertPage();
    auto viewer = window->HTMLViewer1();
    viewer->SetFocus();
    ASSERT_TRUE(viewer->HasFocus());
    QGuiApplication::clipboard()->setImage(cardtest::Solid(30, 30, qRgb(255, 0, 0)));

    // Paste is the viewer's, and the read-only page takes nothing: the card keeps no photo.
    EXPECT_TRUE(window->HandleMenuCommand("EditPaste"));
    EXPECT_FALSE(window->thePicture);

    // Select All then Copy copies the page's text, not the card.
    EXPECT_TRUE(window->HandleMenuCommand("EditSelectAll"));
    EXPECT_TRUE(window->HandleMenuCommand("EditCopy"));
    EXPECT_NE(QGuiApplication::clipboard()->text().indexOf("Pixalune Photos"), -1);
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasImage());
}
