#include "tests/app/StamporaFixture.h"

#include <QTextBlock>
#include <QTextBrowser>

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
    // Either the composer's controls show or the advert page's, never a mix.
    bool Shows(int page) const {
        return window->HTMLViewer1()->Widget()->isVisible() == (page == 1) &&
               window->CancelButton()->Widget()->isVisible() == (page == 1) &&
               window->DisplayArea()->Widget()->isVisible() == (page == 0) &&
               window->SaveButton()->Widget()->isVisible() == (page == 0) && Page() == page;
    }
};

} // namespace

// --- closing and quitting

TEST_F(AdvertTest, EveryCloseRouteShowsTheAdvertPageFirstAndEveryButtonThereOpensItsPageThenQuits) {
    auto push = [&](const char* button) { return [this, button] { window->Find<fw::PushButton>(button)->Push(); return true; }; };
    struct Route { const char* name; std::function<bool()> close; bool first; std::function<bool()> then; bool second; const char* url; };
    const Route routes[] = {
        {"Close", [&] { return window->Close(); }, false, nullptr, true, nullptr},
        {"File > Quit", [&] { return window->RunMenuItem(window->FileQuit()); }, true, nullptr, true, nullptr},
        {"File > Close", [&] { return window->RunMenuItem(window->FileClose()); }, true, nullptr, true, nullptr},
        {"the close box", [&] { return window->Widget()->close(); }, false, nullptr, true, nullptr},
        {"More Information", [&] { return window->Close(); }, false, push("MorInfoButton"), true, "http://www.pixalune.com/"},
        {"Download Now", [&] { return window->Close(); }, false, push("DownloadNowButton"), true,
         "http://www.pixalune.com/pixalunephotos/PixalunePhotos.dmg"},
        {"the page's Close", [&] { return window->Close(); }, false, push("CancelButton"), true, nullptr}};
    for (const Route& route : routes) {
        TearDown();
        SetUp();
        EXPECT_TRUE(Shows(0)) << route.name;
        EXPECT_EQ(route.close(), route.first) << route.name;
        Settle();
        EXPECT_TRUE(Shows(1)) << route.name;
        EXPECT_TRUE(window->IsOpen() && window->Widget()->isVisible()) << route.name;
        EXPECT_FALSE(fw::Runtime::HasQuit() || fw::Runtime::Quitting()) << route.name;

        EXPECT_EQ((route.then ? route.then : route.close)(), route.second) << route.name;
        Settle();
        EXPECT_EQ(ui->urls, route.url ? std::vector<std::string>{route.url} : std::vector<std::string>{}) << route.name;
        EXPECT_FALSE(window->IsOpen()) << route.name;
        EXPECT_TRUE(fw::Runtime::HasQuit() && !fw::Runtime::Quitting()) << route.name;
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

TEST_F(AdvertTest, TheBundlesIndexPageShowsAWebLinkKeepsItAndALocalOneLoadsInTheViewer) {
    ToAdvertPage();
    const std::string shown = window->HTMLViewer1()->CurrentURL();
    EXPECT_EQ(QUrl(QString::fromStdString(shown)).toLocalFile().toStdString(),
              std::string(STAMPORA_BUNDLE) + "/Resources/index.html");
    window->HTMLViewer1()->FollowLink("http://www.pixalune.com/");
    EXPECT_EQ(ui->urls, std::vector<std::string>{"http://www.pixalune.com/"});
    EXPECT_EQ(window->HTMLViewer1()->CurrentURL(), shown);
    EXPECT_FALSE(fw::Runtime::Quitting());

    const std::string page = files_.Write("other.html", "<html><body><p>Another page</p></body></html>");
    const std::string url = QUrl::fromLocalFile(QString::fromStdString(page)).toString().toStdString();
    window->HTMLViewer1()->FollowLink(url);
    EXPECT_EQ(ui->urls.size(), 1u);
    EXPECT_EQ(window->HTMLViewer1()->CurrentURL(), url);
    auto* browser = qobject_cast<QTextBrowser*>(window->HTMLViewer1()->Widget());
    ASSERT_TRUE(browser);
    EXPECT_TRUE(browser->toPlainText().contains("Another page"));
    EXPECT_TRUE(Shows(1));

    // A FIFO in a page's place is not waited on: it shows as an empty page.
    const std::string fifo = files_.File("fifo.html");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    window->HTMLViewer1()->FollowLink(QUrl::fromLocalFile(QString::fromStdString(fifo)).toString().toStdString());
    EXPECT_TRUE(browser->toPlainText().isEmpty()) << browser->toPlainText().toStdString();
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// A link that lost its scheme would be taken for a local file and blank the page when
// followed. Each link of the page as shipped is clicked where it shows.
TEST_F(AdvertTest, EveryLinkOfTheShippedPageIsAWebAddressAndAClickOpensItInTheBrowser) {
    ToAdvertPage();
    const std::string shown = window->HTMLViewer1()->CurrentURL();
    auto* browser = qobject_cast<QTextBrowser*>(window->HTMLViewer1()->Widget());
    ASSERT_TRUE(browser);
    struct Link { QString href; int middle; };
    std::vector<Link> links;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                links.push_back({it.fragment().charFormat().anchorHref(),
                                 it.fragment().position() + it.fragment().length() / 2});
    ASSERT_GE(links.size(), 4u);
    for (const Link& link : links) {
        SCOPED_TRACE(link.href.toStdString());
        const QUrl url(link.href);
        EXPECT_TRUE(url.isValid() && !url.isRelative() && !url.host().isEmpty() &&
                    (url.scheme() == "http" || url.scheme() == "https"));
        QTextCursor cursor(browser->document());
        cursor.setPosition(link.middle);
        browser->setTextCursor(cursor);
        browser->ensureCursorVisible();
        const QRect at = browser->cursorRect(cursor);
        ui->urls.clear();
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, QPoint(at.left() + 2, at.center().y()));
        EXPECT_EQ(ui->urls, std::vector<std::string>{link.href.toStdString()});
        EXPECT_EQ(window->HTMLViewer1()->CurrentURL(), shown);
        EXPECT_TRUE(browser->toPlainText().contains("Pixalune Photos"));
    }
}

// --- commands on the page

TEST_F(AdvertTest, EditCommandsActOnTheFocusedPageTheCardsOwnOnTheCardAndNoneTurnsThePageBack) {
    ToAdvertPage();
    window->HTMLViewer1()->SetFocus();
    QGuiApplication::clipboard()->setImage(cardtest::Solid(30, 30, qRgb(255, 0, 0)));
    // The read-only page takes no paste, so the card keeps no photo; Select All and
    // Copy copy the page's text, not the card.
    for (const char* command : {"EditPaste", "EditSelectAll", "EditCopy"})
        EXPECT_TRUE(window->HandleMenuCommand(command)) << command;
    EXPECT_FALSE(window->thePicture);
    EXPECT_NE(QGuiApplication::clipboard()->text().indexOf("Pixalune Photos"), -1);
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasImage());
    EXPECT_TRUE(window->RunMenuItem(window->EditPostMark()));
    EXPECT_FALSE(window->PostMarkApply);
    window->_EditScaleToFit_Action();
    window->_FileImport_Action();
    EXPECT_TRUE(Shows(1));
}
