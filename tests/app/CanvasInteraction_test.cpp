#include "tests/app/StamporaFixture.h"

#include "tests/app/CardTestSupport.h"

#include "framework/DragItem.h"
#include "interfacekit/ifkColorWell.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

using cardtest::Item;
using cardtest::Near;
using cardtest::Pixels;

namespace {

constexpr const char* kSevenTypes =
    "image/jpeg;image/png;image/tiff;image/pict;image/gif;image/x-bmp;image/jp2;";

class CanvasTest : public StamporaTest {
protected:
    fw::Canvas& Canvas() { return *window->DisplayArea(); }
    QWidget* CanvasWidget() { return window->DisplayArea()->Widget(); }

    // Real mouse events, sent to the canvas widget the way Qt delivers them: the
    // pressed widget keeps getting moves and the release wherever the pointer goes.
    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButtons held) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(p), CanvasWidget()->mapToGlobal(QPointF(p)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(CanvasWidget(), &event);
    }
    void Press(QPoint p) { Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton); }
    void MoveHeld(QPoint p) { Mouse(QEvent::MouseMove, p, Qt::LeftButton); }
    void Release(QPoint p) { Mouse(QEvent::MouseButtonRelease, p, Qt::NoButton); }

    Qt::CursorShape CursorShape() { return CanvasWidget()->cursor().shape(); }

    // A photo of a known size, bypassing the cover scaling of a new photo so that
    // both pan axes have room.
    void UsePhoto(int width, int height, double x = 0, double y = 0) {
        window->thePicture = std::make_shared<fw::Picture>(cardtest::ColumnRamp(width, height));
        window->imageOffset = fw::Pair::Make(x, y);
    }
    std::pair<int, int> Offset() const {
        return {window->imageOffset->LeftInt(), window->imageOffset->RightInt()};
    }
    void Drop(const QMimeData& data) {
        auto item = fw::DragItem::FromMimeData(data, Canvas().AcceptedFileTypes(), Canvas().AcceptsPictures());
        Canvas().DeliverDrop(item);
    }
    QRgb PhotoCentre() const {
        const QImage photo = Pixels(window->thePicture);
        return photo.pixel(photo.width() / 2, photo.height() / 2);
    }
    // After a re-render the canvas shows exactly the card Generate makes now.
    bool CanvasShowsTheCard() {
        return Pixels(Canvas().BackingPicture()) == Pixels(window->Generate());
    }

    testsupport::ScratchDir files_;
};

} // namespace

// --- opening: drops and the cursor

TEST_F(CanvasTest, OpenedCanvasAcceptsTheSevenTypesAndPicturesWithAnOpenHand) {
    EXPECT_EQ(Canvas().AcceptedFileTypes(), kSevenTypes);
    EXPECT_TRUE(Canvas().AcceptsPictures());
    EXPECT_TRUE(CanvasWidget()->acceptDrops());
    EXPECT_EQ(CursorShape(), Qt::OpenHandCursor);
}

// --- a click on the empty card

TEST_F(CanvasTest, ClickOnEmptyCardOpensAnImageSheetAndReturnsFalse) {
    EXPECT_FALSE(Canvas().DeliverMouseDown(30, 40));
    ASSERT_EQ(ui->dialogs.size(), 1u);
    EXPECT_EQ(ui->dialogs[0].kind, "open");
    EXPECT_TRUE(ui->dialogs[0].sheet);
    EXPECT_EQ(ui->dialogs[0].filter, kSevenTypes);
    EXPECT_TRUE(ui->dialogs[0].initialDirectory.empty());
    EXPECT_TRUE(ui->dialogs[0].suggestedName.empty());
    EXPECT_TRUE(Canvas().HasFocus());
    EXPECT_FALSE(Canvas().Captured());
}

TEST_F(CanvasTest, ChosenJpegBecomesThePhotoAndTheHeldButtonDoesNotPan) {
    // 1000 x 316 keeps its size and is centred at x = 290, so a pan would show.
    ui->openAnswers.push_back(
        Item(cardtest::WriteJpeg(files_, "wide.jpg", cardtest::Solid(1000, 316, qRgb(200, 30, 30)))));
    Press({100, 100});
    ASSERT_TRUE(window->thePicture);
    EXPECT_EQ(window->thePicture->Width(), 1000);
    EXPECT_EQ(window->thePicture->Height(), 316);
    EXPECT_TRUE(Near(PhotoCentre(), qRgb(200, 30, 30)));
    EXPECT_EQ(Offset(), std::make_pair(290, 0));

    MoveHeld({40, 100});
    Release({40, 100});
    EXPECT_EQ(Offset(), std::make_pair(290, 0));
    EXPECT_EQ(ui->dialogs.size(), 1u);
    EXPECT_EQ(CursorShape(), Qt::OpenHandCursor);
}

TEST_F(CanvasTest, CancelledOpenDialogLeavesTheEmptyCard) {
    Press({100, 100});
    Release({100, 100});
    EXPECT_EQ(ui->dialogs.size(), 1u);
    EXPECT_FALSE(window->thePicture);
    EXPECT_EQ(Offset(), std::make_pair(0, 0));
}

TEST_F(CanvasTest, ChosenFileThatIsNotAPictureLeavesThePlaceholder) {
    ui->openAnswers.push_back(Item(files_.Write("letter.jpg", "Dear Ana, this is no picture.")));
    EXPECT_FALSE(Canvas().DeliverMouseDown(10, 10));
    EXPECT_FALSE(window->thePicture);
    EXPECT_TRUE(CanvasShowsTheCard());
}

// --- panning with the mouse

TEST_F(CanvasTest, ClickOnPhotoReturnsTrueWithClosedHandUntilRelease) {
    UsePhoto(800, 600, 100, 100);
    EXPECT_TRUE(Canvas().DeliverMouseDown(200, 150));
    EXPECT_TRUE(ui->dialogs.empty());
    EXPECT_EQ(CursorShape(), Qt::ClosedHandCursor);
    ASSERT_TRUE(window->lastMouse);
    EXPECT_EQ(window->lastMouse->LeftInt(), 200);
    EXPECT_EQ(window->lastMouse->RightInt(), 150);
    Canvas().DeliverMouseDrag(190, 150);
    EXPECT_EQ(CursorShape(), Qt::ClosedHandCursor);
    Canvas().DeliverMouseUp(190, 150);
    EXPECT_EQ(CursorShape(), Qt::OpenHandCursor);
}

TEST_F(CanvasTest, PhotoFollowsThePointer) {
    UsePhoto(800, 600, 100, 100);
    Press({200, 150});
    MoveHeld({230, 140});   // 30 right, 10 up
    EXPECT_EQ(Offset(), std::make_pair(70, 110));
    MoveHeld({220, 160});   // relative to the last step, not to the press
    EXPECT_EQ(Offset(), std::make_pair(80, 90));
    Release({220, 160});
    MoveHeld({0, 0});       // no button held any more: no pan
    EXPECT_EQ(Offset(), std::make_pair(80, 90));
    EXPECT_TRUE(CanvasShowsTheCard());
}

struct PanCase {
    const char* name;
    int photoWidth, photoHeight;
    QPoint to;
    int x, y;
};

class PanRange : public CanvasTest, public ::testing::WithParamInterface<PanCase> {};

TEST_P(PanRange, PanStaysInsideThePhotoWhereverThePointerGoes) {
    const PanCase c = GetParam();
    UsePhoto(c.photoWidth, c.photoHeight, 0, 0);
    Press({300, 150});
    MoveHeld(c.to);
    EXPECT_EQ(Offset(), std::make_pair(c.x, c.y));
    Release(c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, PanRange,
    ::testing::Values(
        // 800 x 600 pans x in 0..380 and y in 0..284 (the canvas is 316 high).
        PanCase{"FarLeftAndAboveTheCanvas", 800, 600, {-5000, -5000}, 380, 284},
        PanCase{"FarRightAndBelowTheCanvas", 800, 600, {5000, 5000}, 0, 0},
        PanCase{"OutsideOnTheLeftOnly", 800, 600, {-100, 150}, 380, 0},
        PanCase{"ExactlyAsWideAsThePhotoArea", 420, 600, {-5000, 100}, 0, 50},
        // Narrower or lower than the card: the negative upper bound gives 0.
        PanCase{"SmallerThanThePhotoArea", 300, 200, {-5000, -5000}, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CanvasTest, DragWithoutPhotoChangesNothing) {
    window->imageOffset = fw::Pair::Make(5, 5);
    window->lastMouse = fw::Pair::Make(0, 0);
    window->DisplayArea_MouseDrag(100, 100);
    EXPECT_EQ(Offset(), std::make_pair(5, 5));
}

// --- arrow keys

struct KeyCase {
    const char* name;
    int photoWidth, photoHeight;   // 0: no photo
    int x, y;                      // offset before
    char code;
    int expectX, expectY;
};

class ArrowKeys : public CanvasTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ArrowKeys, KeyMovesOneStepInsideOneSidedBoundsReturnsFalseAndRerenders) {
    const KeyCase c = GetParam();
    if (c.photoWidth > 0) UsePhoto(c.photoWidth, c.photoHeight, c.x, c.y);
    else window->imageOffset = fw::Pair::Make(c.x, c.y);
    const QImage before = Pixels(window->Generate());
    cardtest::Scribble(Canvas());

    EXPECT_FALSE(Canvas().DeliverKeyDown(std::string(1, c.code)));
    EXPECT_EQ(Offset(), std::make_pair(c.expectX, c.expectY));
    EXPECT_TRUE(CanvasShowsTheCard());
    if (c.photoWidth == 0) {
        EXPECT_EQ(Pixels(Canvas().BackingPicture()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, ArrowKeys,
    ::testing::Values(
        // 800 x 600: x in 0..380, y in 0..284.
        KeyCase{"LeftFromZero", 800, 600, 0, 7, 28, 1, 7},
        KeyCase{"LeftAtUpperBound", 800, 600, 380, 7, 28, 380, 7},
        KeyCase{"RightAtUpperBound", 800, 600, 380, 7, 29, 379, 7},
        KeyCase{"RightAtZero", 800, 600, 0, 7, 29, 0, 7},
        KeyCase{"UpFromZero", 800, 600, 7, 0, 30, 7, 1},
        KeyCase{"UpAtUpperBound", 800, 600, 7, 284, 30, 7, 284},
        KeyCase{"DownAtUpperBound", 800, 600, 7, 284, 31, 7, 283},
        KeyCase{"DownAtZero", 800, 600, 7, 0, 31, 7, 0},
        KeyCase{"LetterKeepsOffset", 800, 600, 9, 9, 'a', 9, 9},
        KeyCase{"ReturnKeepsOffset", 800, 600, 9, 9, 13, 9, 9},
        // A photo exactly as wide as the photo area cannot move sideways.
        KeyCase{"LeftOnPhotoAreaWidth", 420, 600, 0, 3, 28, 0, 3},
        KeyCase{"RightOnPhotoAreaWidth", 420, 600, 0, 3, 29, 0, 3},
        // Without a photo the increasing keys have no bound and change nothing;
        // the decreasing ones still lower toward 0.
        KeyCase{"LeftWithoutPhoto", 0, 0, 5, 5, 28, 5, 5},
        KeyCase{"UpWithoutPhoto", 0, 0, 5, 5, 30, 5, 5},
        KeyCase{"RightWithoutPhoto", 0, 0, 5, 5, 29, 4, 5},
        KeyCase{"DownWithoutPhoto", 0, 0, 5, 5, 31, 5, 4},
        KeyCase{"RightWithoutPhotoAtZero", 0, 0, 0, 0, 29, 0, 0},
        KeyCase{"LetterWithoutPhoto", 0, 0, 0, 0, 'q', 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CanvasTest, HalfPixelCentringOffsetIsTruncatedBeforeTheStep) {
    UsePhoto(800, 600, 10.5, 20.5);
    Canvas().DeliverKeyDown(std::string(1, char(28)));
    EXPECT_EQ(window->imageOffset->Left(), 11.0);
    EXPECT_EQ(window->imageOffset->RightInt(), 20);
}

TEST_F(CanvasTest, LeftArrowRepeatedStopsAtTheRightEdgeWhateverTheHeight) {
    for (int height : {316, 1000}) {
        UsePhoto(500, height, 0, 0);
        for (int i = 0; i < 150; ++i) Canvas().DeliverKeyDown(std::string(1, char(28)));
        EXPECT_EQ(Offset().first, 80) << "height " << height;
    }
}

TEST_F(CanvasTest, QtArrowKeysArriveAsTheirCodes) {
    UsePhoto(800, 600, 50, 50);
    CanvasWidget()->setFocus();
    QTest::keyClick(CanvasWidget(), Qt::Key_Left);
    EXPECT_EQ(Offset(), std::make_pair(51, 50));
    QTest::keyClick(CanvasWidget(), Qt::Key_Right);
    QTest::keyClick(CanvasWidget(), Qt::Key_Right);
    EXPECT_EQ(Offset(), std::make_pair(49, 50));
    QTest::keyClick(CanvasWidget(), Qt::Key_Up);
    EXPECT_EQ(Offset(), std::make_pair(49, 51));
    QTest::keyClick(CanvasWidget(), Qt::Key_Down);
    QTest::keyClick(CanvasWidget(), Qt::Key_Down);
    EXPECT_EQ(Offset(), std::make_pair(49, 49));
}

// --- fit mode

TEST_F(CanvasTest, InFitModeKeysAndDragsMoveTheOffsetUnseenUntilFitIsOff) {
    UsePhoto(800, 600, 10, 20);
    window->_EditScaleToFit_Action();
    ASSERT_TRUE(window->ScaleToFit);
    const QImage fitted = Pixels(window->Generate());

    Canvas().DeliverKeyDown(std::string(1, char(28)));
    EXPECT_EQ(Offset(), std::make_pair(11, 20));
    EXPECT_EQ(Pixels(Canvas().BackingPicture()), fitted);

    Press({100, 100});
    MoveHeld({95, 90});
    Release({95, 90});
    EXPECT_EQ(Offset(), std::make_pair(16, 30));
    EXPECT_EQ(Pixels(Canvas().BackingPicture()), fitted);

    window->_EditScaleToFit_Action();
    const QImage shown = Pixels(Canvas().BackingPicture());
    const QImage photo = Pixels(window->thePicture);
    for (QPoint p : {QPoint(0, 0), QPoint(200, 100), QPoint(419, 315)})
        EXPECT_EQ(shown.pixel(p), photo.pixel(p + QPoint(16, 30))) << p.x() << "," << p.y();
}

// --- drops

TEST_F(CanvasTest, ThreeFileDropTakesTheFirst) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(
                      cardtest::WriteJpeg(files_, "red.jpg", cardtest::Solid(840, 632, qRgb(220, 20, 20))))),
                  QUrl::fromLocalFile(QString::fromStdString(cardtest::WriteJpeg(
                      files_, "green.jpg", cardtest::Solid(840, 632, qRgb(20, 220, 20))))),
                  QUrl::fromLocalFile(QString::fromStdString(cardtest::WriteJpeg(
                      files_, "blue.jpg", cardtest::Solid(840, 632, qRgb(20, 20, 220)))))});
    Drop(data);
    ASSERT_TRUE(window->thePicture);
    EXPECT_TRUE(Near(PhotoCentre(), qRgb(220, 20, 20)));
    EXPECT_EQ(window->thePicture->Width(), 420);
    EXPECT_EQ(window->thePicture->Height(), 316);
}

TEST_F(CanvasTest, ItemWithFileAndPictureIsTakenAsTheFile) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(
        cardtest::WriteJpeg(files_, "green.jpg", cardtest::Solid(840, 632, qRgb(20, 220, 20)))))});
    data.setImageData(cardtest::Solid(840, 632, qRgb(220, 20, 20)));
    Drop(data);
    ASSERT_TRUE(window->thePicture);
    EXPECT_TRUE(Near(PhotoCentre(), qRgb(20, 220, 20)));
}

TEST_F(CanvasTest, DroppedPictureBecomesThePhoto) {
    QMimeData data;
    data.setImageData(cardtest::Solid(1000, 316, qRgb(20, 20, 220)));
    Drop(data);
    ASSERT_TRUE(window->thePicture);
    EXPECT_EQ(PhotoCentre(), qRgb(20, 20, 220));
    EXPECT_EQ(Offset(), std::make_pair(290, 0));
    EXPECT_TRUE(CanvasShowsTheCard());
}

TEST_F(CanvasTest, RealDropEventBringsTheFileIn) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(
        cardtest::WriteJpeg(files_, "red.jpg", cardtest::Solid(840, 632, qRgb(220, 20, 20)))))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(CanvasWidget(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(CanvasWidget(), &drop);
    ASSERT_TRUE(window->thePicture);
    EXPECT_TRUE(Near(PhotoCentre(), qRgb(220, 20, 20)));
}

TEST_F(CanvasTest, DroppedFileThatIsNotAPictureLeavesThePlaceholder) {
    window->AddImage(std::make_shared<fw::Picture>(cardtest::Solid(840, 632, qRgb(1, 2, 3))));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(files_.Write("fake.png", "not a png at all")))});
    Drop(data);
    EXPECT_FALSE(window->thePicture);
    EXPECT_TRUE(CanvasShowsTheCard());
}

TEST_F(CanvasTest, DropOfAnUnacceptedTypeIsIgnored) {
    window->AddImage(std::make_shared<fw::Picture>(cardtest::Solid(840, 632, qRgb(1, 2, 3))));
    auto photo = window->thePicture;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(files_.Write("notes.txt", "hello")))});
    data.setText("hello");
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(CanvasWidget(), &drop);
    EXPECT_EQ(window->thePicture, photo);
}

// --- re-rendering handlers

TEST_F(CanvasTest, CaptionEditAndColourPickRerenderTheCard) {
    cardtest::Scribble(Canvas());
    QTest::keyClicks(window->textField()->Widget(), "Hi");
    EXPECT_EQ(window->textField()->Text(), "Hi");
    EXPECT_TRUE(CanvasShowsTheCard());

    cardtest::Scribble(Canvas());
    auto well = window->ifkColorWell1();
    well->SetcolorValue(0xCC0000);
    ASSERT_TRUE(well->Changed);
    well->Changed();
    EXPECT_TRUE(CanvasShowsTheCard());
}

TEST_F(CanvasTest, EachCaptionKeystrokeRendersOnceAndItsPaintShowsThatRender) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Widget()));
    QApplication::processEvents();
    const uint64_t before = window->RenderCount();
    for (const char* key : {"a", "b", "c"}) {
        QTest::keyClicks(window->textField()->Widget(), key);
        CanvasWidget()->repaint();
    }
    EXPECT_EQ(window->RenderCount() - before, 3u);
    EXPECT_TRUE(CanvasShowsTheCard());
}

TEST_F(CanvasTest, PaintRendersTheCardAnew) {
    cardtest::Scribble(Canvas());
    Canvas().DeliverPaint();
    EXPECT_TRUE(CanvasShowsTheCard());
}
