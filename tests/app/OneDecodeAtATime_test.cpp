#include "StamporaFixture.h"

#include "framework/core/RequestQueue.h"
#include "framework/core/TerminationSignal.h"
#include "framework/graphics/DecodeHelper.h"

#include <QBuffer>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr QRgb kRed = qRgb(220, 20, 20), kGreen = qRgb(20, 200, 20), kBlue = qRgb(20, 20, 220);

// A helper that takes a while and logs each run's start and end, so that a test can
// tell how many ran and whether two overlapped; a file whose name holds "fails"
// fails late, as a helper given up at its deadline does.
class SlowHelper {
public:
    explicit SlowHelper(const testsupport::ScratchDir& dir)
        : log_(dir.File("helper.log")), previous_(fw::DecodeHelper::Program()) {
        const std::string script = dir.Write(
            "slow-decode", "#!/bin/sh\necho s >> '" + log_ + "'\nsleep 0.4\n"
                           "case \"$4\" in *fails*) echo e >> '" + log_ + "'; exit 1;; esac\n'" STAMPORA_BUNDLE
                           "/bin/stampora-decode' \"$@\"\nstatus=$?\necho e >> '" + log_ + "'\nexit $status\n");
        fs::permissions(script, fs::perms::owner_exec, fs::perm_options::add);
        fw::DecodeHelper::SetProgram(script);
    }
    // The helper the test program was set up with, for the tests after this one.
    ~SlowHelper() { fw::DecodeHelper::SetProgram(previous_); }
    // How many runs there were, and the most at once.
    std::pair<int, int> Runs() const {
        int runs = 0, alive = 0, most = 0;
        for (const char c : ReadFile(log_)) {
            if (c == 's') ++runs, most = std::max(most, ++alive);
            if (c == 'e') --alive;
        }
        return {runs, most};
    }

private:
    std::string log_, previous_;
};

QByteArray Encoded(QRgb c, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    cardtest::Solid(600, 400, c).save(&buffer, format);
    return bytes;
}

// A picture as another program offers it: encoded bytes, which only the helper decodes;
// some programs offer a JPEG of it as well.
QMimeData* ForeignPicture(QRgb c, QRgb asJpeg = 0) {
    auto* data = new QMimeData;
    data->setData("image/png", Encoded(c, "PNG"));
    if (asJpeg) data->setData("image/jpeg", Encoded(asJpeg, "JPEG"));
    data->setImageData(cardtest::Solid(1, 1, c));
    return data;
}

// Ends the program as a termination signal does, through the runtime's signal pipe, but
// with no signal caught: that would leave the whole test process marked as ending.
void EndAsBySignal() {
    fw::Runtime::EndOnTerminationSignals();
    const std::string pipe = "/proc/self/fd/" + std::to_string(fw::TerminationSignal::Descriptor());
    const int end = ::open(pipe.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(end, 0);
    EXPECT_EQ(::write(end, "x", 1), 1);
    ::close(end);
}

} // namespace

class OneDecodeAtATimeTest : public StamporaTest {
protected:
    QRgb PhotoCentre() { return Card().pixel(210, 158); }
    std::string Photo(const std::string& name, QRgb c) {
        return files_.WriteJpeg(name, cardtest::Solid(600, 400, c));
    }
    void Drop(QMimeData& data) {
        auto& canvas = *window->DisplayArea();
        canvas.DeliverDrop(fw::DragItem::FromMimeData(data, canvas.AcceptedFileTypes(), canvas.AcceptsPictures()));
    }
    // As the runtime hands over a later start's documents: all of them, then served.
    void Open(const std::vector<std::string>& paths) {
        {
            const fw::RequestQueue::Hold batch;
            for (const auto& path : paths) app_.Event_OpenDocument(Item(path));
        }
        fw::RequestQueue::Serve();
    }
    App app_;
};

// While a photo decodes, what arrives waits and the newest photo request wins: the card
// ends on it, with one helper at a time and no decode for the ones superseded. The stamp
// is a kind of its own.
TEST_F(OneDecodeAtATimeTest, WhatArrivesDuringADecodeWaitsAndTheNewestPhotoWins) {
    SlowHelper helper(files_);
    const std::string red = Photo("red.jpg", kRed), green = Photo("green.jpg", kGreen), blue = Photo("blue.jpg", kBlue),
                      fails = Photo("fails.jpg", kBlue);
    QMimeData blueFile;
    blueFile.setUrls({QUrl::fromLocalFile(QString::fromStdString(blue))});
    const std::unique_ptr<QMimeData> bluePicture(ForeignPicture(kBlue));
    struct Row {
        const char* what;
        std::string first;                   // the photo whose decode the others arrive during
        std::function<void()> meanwhile;
        QRgb centre;                         // 0: the placeholder
        int decodes;
        bool stampChanges = false;
    };
    const Row rows[] = {
        {"three opened documents at once", red, [&] { Open({green, red, blue}); }, kBlue, 2},
        {"three opened documents one by one", red, [&] { Open({green}), Open({red}), Open({blue}); }, kBlue, 2},
        {"a dropped file", red, [&] { Drop(blueFile); }, kBlue, 2},
        {"a dropped picture, then a document", red, [&] { Drop(*bluePicture), Open({green}); }, kGreen, 2},
        {"a document, then a dropped picture", red, [&] { Open({green}), Drop(*bluePicture); }, kBlue, 2},
        {"a pasted picture", red, [&] {
             QApplication::clipboard()->setMimeData(ForeignPicture(kGreen));
             QApplication::processEvents();
             EXPECT_TRUE(window->_EditPaste_Action());
         }, kGreen, 2},
        // The PNG is lossless, so it is the one taken whatever else is offered.
        {"a pasted picture offered as PNG and JPEG", red, [&] {
             QApplication::clipboard()->setMimeData(ForeignPicture(kGreen, kBlue));
             QApplication::processEvents();
             EXPECT_TRUE(window->_EditPaste_Action());
         }, kGreen, 2},
        {"a stamp chosen", red, [&] {
             ui->openAnswers.push_back(Item(blue));
             window->_EditChooseStampImage_Action();
         }, kRed, 2, true},
        {"a document, then a stamp chosen", red, [&] {
             Open({green});
             ui->openAnswers.push_back(Item(blue));
             window->_EditChooseStampImage_Action();
         }, kGreen, 3, true},
        // A helper given up must not clear what a later request set.
        {"a document while the first one's helper fails", fails, [&] { Open({green}); }, kGreen, 2},
        // Last: the program has ended, and what waited must not start.
        {"a document, then the program ended", red, [&] { Open({green}), EndAsBySignal(); }, kRed, 1},
    };
    for (const Row& row : rows) {
        window->AddImage({});
        const auto stamp = window->Stamp;
        fs::remove(files_.File("helper.log"));
        bool arrived = false;
        QTimer::singleShot(100, [&] { row.meanwhile(), arrived = true; });
        Open({row.first});
        EXPECT_TRUE(arrived) << row.what;
        EXPECT_EQ(fw::RequestQueue::Waiting(), 0u) << row.what;
        ASSERT_EQ(window->thePicture != nullptr, row.centre != 0) << row.what;
        if (row.centre) { EXPECT_TRUE(Near(PhotoCentre(), row.centre)) << row.what; }
        EXPECT_EQ(window->Stamp != stamp, row.stampChanges) << row.what;
        EXPECT_EQ(helper.Runs(), std::make_pair(row.decodes, 1)) << row.what;
        EXPECT_TRUE(ShowsTheCard()) << row.what;
    }
    // The ending told Qt's event loops to end at once; a loop run to its own end takes
    // that back, or a later test's dialog would close as it opened.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// A decode outside any request (a repaint needing more of a picture) holds requests
// back until it ends, and a decode inside its wait lets no event in.
TEST_F(OneDecodeAtATimeTest, ADecodeOutsideARequestHoldsRequestsAndOneWithinItLetsNothingIn) {
    SlowHelper helper(files_);
    const std::string green = Photo("green.jpg", kGreen);
    const QByteArray red = Encoded(kRed, "PNG");
    auto letIn = std::make_shared<bool>(false);
    bool nested = false;
    QTimer::singleShot(100, [&] {
        Open({green});
        EXPECT_EQ(fw::RequestQueue::Waiting(), 1u);
        QTimer::singleShot(0, [letIn] { *letIn = true; });
        EXPECT_TRUE(fw::DecodeHelper::OpenBytes(red, {}));
        EXPECT_FALSE(*letIn);
        nested = true;
    });
    EXPECT_TRUE(fw::DecodeHelper::OpenBytes(red, {}));
    ASSERT_TRUE(nested);
    EXPECT_EQ(fw::RequestQueue::Waiting(), 1u);
    EXPECT_EQ(window->thePicture, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(fw::RequestQueue::Waiting(), 0u);
    EXPECT_TRUE(Near(PhotoCentre(), kGreen));
}
