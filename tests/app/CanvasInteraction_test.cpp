#include "tests/app/StamporaFixture.h"

#include "framework/ui/DragItem.h"

#include <QLineEdit>
#include <QMouseEvent>

namespace {

constexpr const char* kSevenTypes = "image/jpeg;image/png;image/tiff;image/pict;image/gif;image/x-bmp;image/jp2;";

class CanvasTest : public StamporaTest {
protected:
    fw::Canvas& Canvas() { return *window->DisplayArea(); }
    QWidget* CanvasWidget() { return window->DisplayArea()->Widget(); }

    // Real mouse events, sent to the canvas widget the way Qt delivers them: the
    // pressed widget keeps getting moves and the release wherever the pointer goes.
    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButtons held) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(p), CanvasWidget()->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
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
    std::pair<int, int> Offset() const { return {window->imageOffset->LeftInt(), window->imageOffset->RightInt()}; }
    QRgb PhotoCentre() const {
        const QImage photo = Pixels(window->thePicture);
        return photo.pixel(photo.width() / 2, photo.height() / 2);
    }
};

} // namespace

// --- a click on the empty card

TEST_F(CanvasTest, ClickOnEmptyCardTakesTheChosenPhotoReturnsFalseAndTheHeldButtonDoesNotPan) {
    EXPECT_EQ(Canvas().AcceptedFileTypes(), kSevenTypes);
    EXPECT_EQ(CursorShape(), Qt::OpenHandCursor);
    // 1000 x 316 keeps its size and is centred at x = 290, so a pan would show.
    ui->openAnswers.push_back(Item(files_.WriteJpeg("wide.jpg", cardtest::Solid(1000, 316, qRgb(200, 30, 30)))));
    EXPECT_FALSE(Canvas().DeliverMouseDown(100, 100));
    ASSERT_EQ(ui->dialogs.size(), 1u);   // the dialog itself is in the cancelled-dialogs table
    EXPECT_TRUE(Canvas().HasFocus());
    EXPECT_FALSE(Canvas().Captured());
    ASSERT_TRUE(window->thePicture);
    EXPECT_TRUE(Near(PhotoCentre(), qRgb(200, 30, 30)));
    EXPECT_EQ(Offset(), std::make_pair(290, 0));
    MoveHeld({40, 100});
    Release({40, 100});
    EXPECT_EQ(Offset(), std::make_pair(290, 0));
    EXPECT_EQ(ui->dialogs.size(), 1u);
    EXPECT_EQ(CursorShape(), Qt::OpenHandCursor);
}

// --- panning with the mouse

TEST_F(CanvasTest, PhotoFollowsThePointerWithAClosedHandUntilRelease) {
    UsePhoto(800, 600, 100, 100);
    Press({200, 150});
    EXPECT_TRUE(ui->dialogs.empty());
    EXPECT_EQ(CursorShape(), Qt::ClosedHandCursor);
    MoveHeld({230, 140});   // 30 right, 10 up
    EXPECT_EQ(Offset(), std::make_pair(70, 110));
    MoveHeld({220, 160});   // relative to the last step, not to the press
    EXPECT_EQ(Offset(), std::make_pair(80, 90));
    EXPECT_EQ(CursorShape(), Qt::ClosedHandCursor);
    Release({220, 160});
    EXPECT_EQ(CursorShape(), Qt::OpenHandCursor);
    MoveHeld({0, 0});       // no button held any more: no pan
    EXPECT_EQ(Offset(), std::make_pair(80, 90));
    EXPECT_TRUE(ShowsTheCard());
    EXPECT_TRUE(Canvas().DeliverMouseDown(200, 150));
    // Without a photo a drag changes nothing.
    window->thePicture = nullptr;
    window->DisplayArea_MouseDrag(100, 100);
    EXPECT_EQ(Offset(), std::make_pair(80, 90));
}

TEST_F(CanvasTest, PanStaysInsideThePhotoWhereverThePointerGoes) {
    struct Row { const char* name; int photoWidth, photoHeight; QPoint to; int x, y; };
    const Row rows[] = {
        // 800 x 600 pans x in 0..380 and y in 0..284 (the canvas is 316 high).
        {"far left and above", 800, 600, {-5000, -5000}, 380, 284},
        {"far right and below", 800, 600, {5000, 5000}, 0, 0},
        {"outside on the left only", 800, 600, {-100, 150}, 380, 0},
        {"exactly as wide as the photo area", 420, 600, {-5000, 100}, 0, 50},
        // Narrower or lower than the card: the negative upper bound gives 0.
        {"smaller than the photo area", 300, 200, {-5000, -5000}, 0, 0}};
    for (const Row& row : rows) {
        UsePhoto(row.photoWidth, row.photoHeight, 0, 0);
        Press({300, 150});
        MoveHeld(row.to);
        EXPECT_EQ(Offset(), std::make_pair(row.x, row.y)) << row.name;
        Release(row.to);
    }
}

// --- arrow keys

TEST_F(CanvasTest, KeyMovesOneStepInsideOneSidedBoundsReturnsFalseAndRerenders) {
    // Key codes 28 to 31: left, right, up, down.
    struct Row { int photoWidth, photoHeight; double x, y; char code; double expectX, expectY; };
    const Row rows[] = {
        // 800 x 600: x in 0..380, y in 0..284; each key stops at its own bound only.
        {800, 600, 0, 7, 28, 1, 7}, {800, 600, 380, 7, 28, 380, 7}, {800, 600, 380, 7, 29, 379, 7}, {800, 600, 0, 7, 29, 0, 7},
        {800, 600, 7, 0, 30, 7, 1}, {800, 600, 7, 284, 30, 7, 284}, {800, 600, 7, 284, 31, 7, 283}, {800, 600, 7, 0, 31, 7, 0},
        {800, 600, 9, 9, 'a', 9, 9}, {800, 600, 9, 9, 13, 9, 9},
        // The half-pixel offset of a centred photo is truncated before the step.
        {800, 600, 10.5, 20.5, 28, 11, 20},
        // The bound is the width beyond the photo area, whatever the height.
        {500, 316, 80, 0, 28, 80, 0}, {500, 1000, 80, 0, 28, 80, 0},
        // A photo exactly as wide as the photo area cannot move sideways.
        {420, 600, 0, 3, 28, 0, 3}, {420, 600, 0, 3, 29, 0, 3},
        // Without a photo the increasing keys have no bound and change nothing;
        // the decreasing ones still lower toward 0.
        {0, 0, 5, 5, 28, 5, 5}, {0, 0, 5, 5, 30, 5, 5}, {0, 0, 5, 5, 29, 4, 5}, {0, 0, 5, 5, 31, 5, 4},
        {0, 0, 0, 0, 29, 0, 0}, {0, 0, 0, 0, 'q', 0, 0}};
    for (const Row& row : rows) {
        window->thePicture = nullptr;
        if (row.photoWidth > 0) UsePhoto(row.photoWidth, row.photoHeight, row.x, row.y);
        else window->imageOffset = fw::Pair::Make(row.x, row.y);
        Scribble();
        const std::string at = std::to_string(row.photoWidth) + " wide, at " + std::to_string(row.x) + "," +
                               std::to_string(row.y) + ", key " + std::to_string(row.code);
        EXPECT_FALSE(Canvas().DeliverKeyDown(std::string(1, row.code))) << at;
        EXPECT_DOUBLE_EQ(window->imageOffset->Left(), row.expectX) << at;
        EXPECT_DOUBLE_EQ(window->imageOffset->Right(), row.expectY) << at;
        EXPECT_TRUE(ShowsTheCard()) << at;
    }
}

// --- fit mode

TEST_F(CanvasTest, InFitModeKeysAndDragsMoveTheOffsetUnseenUntilFitIsOff) {
    UsePhoto(800, 600, 10, 20);
    window->_EditScaleToFit_Action();
    ASSERT_TRUE(window->ScaleToFit);
    const QImage fitted = Card();
    Canvas().DeliverKeyDown(std::string(1, char(28)));
    EXPECT_EQ(Offset(), std::make_pair(11, 20));
    EXPECT_EQ(Shown(), fitted);
    Press({100, 100});
    MoveHeld({95, 90});
    Release({95, 90});
    EXPECT_EQ(Offset(), std::make_pair(16, 30));
    EXPECT_EQ(Shown(), fitted);

    window->_EditScaleToFit_Action();
    const QImage shown = Shown(), photo = Pixels(window->thePicture);
    for (QPoint p : {QPoint(0, 0), QPoint(200, 100), QPoint(419, 315)})
        EXPECT_EQ(shown.pixel(p), photo.pixel(p + QPoint(16, 30))) << p.x() << "," << p.y();
}

// --- drops

TEST_F(CanvasTest, DropsTakeTheFirstPictureFileOrElseThePicture) {
    const QRgb red = qRgb(220, 20, 20), green = qRgb(20, 220, 20), blue = qRgb(20, 20, 220);
    constexpr QRgb kPlaceholder = 0, kIgnored = 1;   // no photo qRgb makes: its alpha is opaque
    // JPEG files dropped in this order, a file that is no picture, a dropped picture (0: none),
    // whether it comes as real Qt drag events, and the photo's centre afterwards.
    struct Row { const char* name; std::vector<QRgb> jpegs; const char* other; QRgb picture; bool event; QRgb centre; };
    const Row rows[] = {{"three files: the first", {red, green, blue}, nullptr, 0, false, red},
                        {"file and picture: the file", {green}, nullptr, red, false, green},
                        {"a picture alone", {}, nullptr, blue, false, blue},
                        {"a real drop event", {red}, nullptr, 0, true, red},
                        {"a file that is no picture", {}, "fake.png", 0, false, kPlaceholder},
                        {"an unaccepted type", {}, "notes.txt", 0, true, kIgnored}};
    for (const Row& row : rows) {
        window->AddImage(std::make_shared<fw::Picture>(cardtest::Solid(840, 632, qRgb(1, 2, 3))));
        const auto before = window->thePicture;
        QMimeData data;
        QList<QUrl> urls;
        for (QRgb c : row.jpegs)
            urls << QUrl::fromLocalFile(QString::fromStdString(
                files_.WriteJpeg(std::to_string(urls.size()) + ".jpg", cardtest::Solid(840, 632, c))));
        if (row.other) urls << QUrl::fromLocalFile(QString::fromStdString(files_.Write(row.other, "no picture")));
        data.setUrls(urls);
        if (row.picture) data.setImageData(cardtest::Solid(1000, 316, row.picture));
        if (row.centre == kIgnored) data.setText("hello");
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        if (row.event) { QApplication::sendEvent(CanvasWidget(), &enter); QApplication::sendEvent(CanvasWidget(), &drop); }
        else Canvas().DeliverDrop(fw::DragItem::FromMimeData(data, Canvas().AcceptedFileTypes(), Canvas().AcceptsPictures()));
        EXPECT_EQ(!row.event || enter.isAccepted(), row.centre != kIgnored) << row.name;
        if (row.centre == kIgnored) { EXPECT_EQ(window->thePicture, before) << row.name; continue; }
        ASSERT_EQ(window->thePicture != nullptr, row.centre != kPlaceholder) << row.name;
        if (window->thePicture) { EXPECT_TRUE(Near(PhotoCentre(), row.centre)) << row.name; }
        EXPECT_TRUE(ShowsTheCard()) << row.name;
    }
}

// --- re-rendering handlers

TEST_F(CanvasTest, EachCaptionKeystrokeSizeColourPickAndPaintRendersTheCardOnce) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Widget()));
    QApplication::processEvents();
    const uint64_t before = window->RenderCount();
    for (const char* key : {"a", "b", "c"}) {
        QTest::keyClicks(window->textField()->Widget(), key);
        CanvasWidget()->repaint();
    }
    EXPECT_EQ(window->RenderCount() - before, 3u);
    EXPECT_EQ(window->textField()->Text(), "abc");
    EXPECT_TRUE(ShowsTheCard());
    Scribble();
    auto* sizeEdit = static_cast<QComboBox*>(window->textSizeField()->Widget())->lineEdit();
    sizeEdit->selectAll();
    QTest::keyClicks(sizeEdit, "72");
    EXPECT_TRUE(ShowsTheCard());
    Scribble();
    auto well = window->ifkColorWell1();
    well->SetcolorValue(0xCC0000);
    ASSERT_TRUE(well->Changed);
    well->Changed();
    EXPECT_TRUE(ShowsTheCard());
    Scribble();
    Canvas().DeliverPaint();
    EXPECT_TRUE(ShowsTheCard());
}
