#include "framework/ui/Canvas.h"

#include "framework/core/Runtime.h"
#include "framework/ui/ContainerControl.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace fw {

namespace {

constexpr int kFocusRingWidth = 2;

class CanvasWidget : public QWidget {
public:
    CanvasWidget(Canvas* owner, QWidget* parent) : QWidget(parent), owner_(owner) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        owner_->DeliverPaint(event->region() == QRegion(rect()));
        QPainter painter(this);
        painter.drawImage(0, 0, owner_->BackingPicture()->Image());
        // The ring goes on the screen only, never into the picture the program drew.
        // A plain band along the edges: a style's focus frame may tint all it encloses.
        if (owner_->UseFocusRing && hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), kFocusRingWidth));
            painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const QPoint p = event->position().toPoint();
        owner_->DeliverMouseDown(p.x(), p.y());
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        if (event->buttons() & Qt::LeftButton) owner_->DeliverMouseDrag(p.x(), p.y());
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const QPoint p = event->position().toPoint();
        owner_->DeliverMouseUp(p.x(), p.y());
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        owner_->DeliverContextualClick(event->pos().x(), event->pos().y(), event->globalPos());
    }
    void enterEvent(QEnterEvent*) override { owner_->DeliverMouseOver(true); }
    void leaveEvent(QEvent*) override { owner_->DeliverMouseOver(false); }
    // A canvas may draw itself in an active or inactive look, as native controls do;
    // Qt repaints only where the palette differs, so ask for it here.
    bool event(QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::WindowActivate || type == QEvent::WindowDeactivate || type == QEvent::EnabledChange)
            update();
        return QWidget::event(event);
    }
    void focusInEvent(QFocusEvent*) override {
        if (owner_->UseFocusRing) update();
        owner_->DeliverFocus(true);
    }
    void focusOutEvent(QFocusEvent*) override {
        if (owner_->UseFocusRing) update();
        owner_->DeliverFocus(false);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const std::string key = KeyTextFor(event->key(), event->text().toStdString());
        if (key.empty() || !owner_->DeliverKeyDown(key)) event->ignore();
    }

    void dragEnterEvent(QDragEnterEvent* event) override {
        if (DragItem::Accepts(*event->mimeData(), owner_->AcceptedFileTypes(), owner_->AcceptsPictures()))
            event->acceptProposedAction();
    }

    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }

    void dropEvent(QDropEvent* event) override {
        auto item = DragItem::FromMimeData(*event->mimeData(), owner_->AcceptedFileTypes(),
                                           owner_->AcceptsPictures());
        if (!item) return;
        event->acceptProposedAction();
        owner_->DeliverDrop(item);
    }

private:
    Canvas* owner_;
};

Qt::CursorShape ShapeOf(MouseCursor cursor) {
    switch (cursor) {
    case MouseCursor::HandOpen: return Qt::OpenHandCursor;
    case MouseCursor::HandClosed: return Qt::ClosedHandCursor;
    case MouseCursor::Arrow: break;
    }
    return Qt::ArrowCursor;
}

} // namespace

std::string KeyTextFor(int qtKey, const std::string& text) {
    switch (qtKey) {
    case Qt::Key_Left: return std::string(1, kKeyLeft);
    case Qt::Key_Right: return std::string(1, kKeyRight);
    case Qt::Key_Up: return std::string(1, kKeyUp);
    case Qt::Key_Down: return std::string(1, kKeyDown);
    case Qt::Key_Return:
    case Qt::Key_Enter: return std::string(1, kKeyReturn);
    case Qt::Key_Escape: return std::string(1, kKeyEscape);
    case Qt::Key_Tab: return std::string(1, kKeyTab);
    case Qt::Key_Backspace: return std::string(1, kKeyBackspace);
    case Qt::Key_Delete: return std::string(1, kKeyDelete);
    case Qt::Key_Home: return std::string(1, kKeyHome);
    case Qt::Key_End: return std::string(1, kKeyEnd);
    case Qt::Key_Help:
    case Qt::Key_Insert: return std::string(1, kKeyHelp);   // where the Help key sits
    case Qt::Key_PageUp: return std::string(1, kKeyPageUp);
    case Qt::Key_PageDown: return std::string(1, kKeyPageDown);
    default: break;
    }
    if (!text.empty()) return text;
    switch (qtKey) {
    case 0:
    case Qt::Key_unknown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock: return {};
    default: break;
    }
    const bool dead = qtKey >= Qt::Key_Dead_Grave && qtKey <= Qt::Key_Dead_Longsolidusoverlay;
    return dead ? std::string() : std::string(1, kKeyFunction);
}

PictureRef Canvas::BackingPicture() {
    const int w = Width > 0 ? Width : 1;
    const int h = Height > 0 ? Height : 1;
    if (!backing_ || backing_->Width() != w || backing_->Height() != h) {
        backing_ = std::make_shared<Picture>(w, h, 32);
        ++drawCount_;
        shownValid_ = false;
        backing_->GetGraphics().SetChangedCallback([this] {
            ++drawCount_;
            drawnOutsidePaint_ = drawnOutsidePaint_ || !painting_;
            if (drawingChanges_) {
                changedInBatch_ = true;
                return;
            }
            shownValid_ = false;
            if (!painting_) Invalidate();
        });
    }
    return backing_;
}

Graphics& Canvas::GetGraphics() { return BackingPicture()->GetGraphics(); }

void Canvas::SetMouseCursor(MouseCursor cursor) {
    cursor_ = cursor;
    if (widget_) widget_->setCursor(ShapeOf(cursor));
}

void Canvas::AcceptFileDrop(const std::string& typeNames) {
    fileFilter_ += typeNames;
    if (widget_) widget_->setAcceptDrops(true);
}

void Canvas::AcceptPictureDrop() {
    acceptPictures_ = true;
    if (widget_) widget_->setAcceptDrops(true);
}

void Canvas::Invalidate() {
    if (widget_) widget_->update();
}

void Canvas::Invalidate(bool eraseBackground) {
    erasePending_ = erasePending_ || eraseBackground;
    Invalidate();
}

namespace {

// The smallest rectangle holding every pixel that differs between two images of the
// same size and 32-bit format.
QRect ChangedRect(const QImage& before, const QImage& after) {
    const int w = after.width();
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    int top = -1, bottom = -1, left = w, right = -1;
    for (int y = 0; y < after.height(); ++y) {
        const auto* a = reinterpret_cast<const uint32_t*>(before.constScanLine(y));
        const auto* b = reinterpret_cast<const uint32_t*>(after.constScanLine(y));
        if (std::memcmp(a, b, rowBytes) == 0) continue;
        if (top < 0) top = y;
        bottom = y;
        int x = 0;
        while (x < left && a[x] == b[x]) ++x;
        left = std::min(left, x);
        x = w - 1;
        while (x > right && a[x] == b[x]) --x;
        right = std::max(right, x);
    }
    if (top < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

void Canvas::DrawChanges(const std::function<void()>& draw) {
    if (painting_ || !widget_) {
        draw();
        return;
    }
    PictureRef backing = BackingPicture();
    drawingChanges_ = true;
    changedInBatch_ = false;
    try {
        draw();
    } catch (...) {
        drawingChanges_ = false;
        if (changedInBatch_) {
            shownValid_ = false;
            Invalidate();
        }
        throw;
    }
    drawingChanges_ = false;
    if (!changedInBatch_) return;
    const QImage& now = backing_->Image();
    if (backing != backing_ || !shownValid_ || shown_.size() != now.size() || shown_.format() != now.format() ||
        now.depth() != 32) {
        shown_ = now.copy();
        shownValid_ = true;
        Invalidate();
        return;
    }
    const QRect changed = ChangedRect(shown_, now);
    if (changed.isEmpty()) return;
    for (int y = changed.top(); y <= changed.bottom(); ++y)
        std::memcpy(shown_.scanLine(y) + changed.left() * 4, now.constScanLine(y) + changed.left() * 4,
                    static_cast<size_t>(changed.width()) * 4);
    widget_->update(changed);
}

void Canvas::Refresh(bool eraseBackground) {
    erasePending_ = erasePending_ || eraseBackground;
    if (widget_) widget_->repaint();
}

bool Canvas::DeliverMouseDown(int x, int y) {
    captured_ = false;
    bool result = false;
    Runtime::Dispatch([&] { result = Event_MouseDown(x, y); });
    captured_ = result;
    return result;
}

void Canvas::DeliverMouseDrag(int x, int y) {
    if (captured_) Runtime::Dispatch([&] { Event_MouseDrag(x, y); });
}

void Canvas::DeliverMouseUp(int x, int y) {
    if (!captured_) return;
    captured_ = false;
    Runtime::Dispatch([&] { Event_MouseUp(x, y); });
}

bool Canvas::DeliverKeyDown(const std::string& key) {
    bool result = false;
    Runtime::Dispatch([&] { result = Event_KeyDown(key); });
    return result;
}

void Canvas::DeliverDrop(const DragItemRef& item) {
    if (DropObject) Runtime::Dispatch([&] { DropObject(item, 0); });
}

void Canvas::DeliverPaint(bool wholeCanvas) {
    const ControlPaintScope windowDrawsHere(*this, *BackingPicture());
    painting_ = true;
    // What was drawn outside Paint is what this paint is to show, so the background is
    // erased only for paints that nothing drew for.
    if (erasePending_ || (EraseBackground && !drawnOutsidePaint_)) {
        erasePending_ = false;
        const QColor background = widget_ ? widget_->palette().color(QPalette::Window) : QColor(Qt::white);
        BackingPicture()->Image().fill(background);
        ++drawCount_;
        shownValid_ = false;
    }
    drawnOutsidePaint_ = false;
    Runtime::Dispatch([&] { Event_Paint(GetGraphics()); });
    painting_ = false;
    // A paint that drew, the card's re-render included, would otherwise leave the next
    // change to repaint the whole canvas.
    if (wholeCanvas && !shownValid_ && backing_->Image().depth() == 32) {
        shown_ = backing_->Image().copy();
        shownValid_ = true;
    }
}

void Canvas::DeliverFocus(bool gained) {
    Runtime::Dispatch([&] { gained ? Event_GotFocus() : Event_LostFocus(); });
}

void Canvas::DeliverMouseOver(bool entered) {
    Runtime::Dispatch([&] { entered ? Event_MouseEnter() : Event_MouseExit(); });
}

void Canvas::DeliverContextualClick(int x, int y, QPoint screen) {
    auto base = std::make_shared<MenuItem>();
    bool show = false;
    Runtime::Dispatch([&] { show = Event_ConstructContextualMenu(base, x, y); });
    if (show && base->Count() > 0) Runtime::Dispatch([&] { base->PopUp(screen.x(), screen.y()); });
}

QWidget* Canvas::CreateWidget(QWidget* parent) { return new CanvasWidget(this, parent); }

void Canvas::ApplyDesign() {
    Control::ApplyDesign();
    widget_->setFocusPolicy(AcceptFocus ? Qt::StrongFocus : Qt::NoFocus);
    widget_->setCursor(ShapeOf(cursor_));
    widget_->setAcceptDrops(acceptPictures_ || !fileFilter_.empty());
}

} // namespace fw
