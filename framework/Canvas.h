#pragma once

#include "framework/Control.h"
#include "framework/DragItem.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"

namespace fw {

enum class MouseCursor { Arrow, HandOpen, HandClosed };

// A surface the program draws on. Its Graphics draws into a backing picture that
// the paint event shows, so drawing outside a paint event works as well; drawing
// while Paint runs does not ask for another repaint.
// Mouse drags and the mouse-up arrive only after MouseDown returned true.
// Keys arrive as text; the arrow keys as the characters 28 to 31, Return as 13,
// Escape as 27.
class Canvas : public Control {
public:
    bool AcceptFocus = false;
    bool UseFocusRing = true;
    bool AcceptTabs = false;
    bool EraseBackground = true;

    Graphics& GetGraphics();
    PictureRef BackingPicture();
    void SetMouseCursor(MouseCursor cursor);
    MouseCursor CurrentMouseCursor() const { return cursor_; }
    void AcceptFileDrop(const std::string& typeNames);
    void AcceptPictureDrop();
    const std::string& AcceptedFileTypes() const { return fileFilter_; }
    bool AcceptsPictures() const { return acceptPictures_; }
    void Invalidate();

    std::function<void(Graphics&)> Paint;
    std::function<bool(int, int)> MouseDown;
    std::function<void(int, int)> MouseDrag;
    std::function<void(int, int)> MouseUp;
    std::function<bool(const std::string&)> KeyDown;
    std::function<void(const DragItemRef&, int)> DropObject;

    // Framework: the events as the widget delivers them.
    bool DeliverMouseDown(int x, int y);
    void DeliverMouseDrag(int x, int y);
    void DeliverMouseUp(int x, int y);
    bool DeliverKeyDown(const std::string& key);
    void DeliverDrop(const DragItemRef& item);
    void DeliverPaint();
    bool Painting() const { return painting_; }
    bool Captured() const { return captured_; }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;

private:
    PictureRef backing_;
    MouseCursor cursor_ = MouseCursor::Arrow;
    std::string fileFilter_;
    bool acceptPictures_ = false;
    bool painting_ = false;
    bool captured_ = false;
};

// The key text of a key press, as the canvas delivers it.
std::string KeyTextFor(int qtKey, const std::string& text);

} // namespace fw
