#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Picture.h"
#include "framework/ui/Control.h"
#include "framework/ui/DragItem.h"
#include "framework/ui/MenuItem.h"

#include <cstdint>

namespace fw {

enum class MouseCursor { Arrow, HandOpen, HandClosed };

// The key codes of the original platform, as the first character of a key's text.
constexpr char kKeyHome = 1;
constexpr char kKeyEnd = 4;
constexpr char kKeyHelp = 5;
constexpr char kKeyBackspace = 8;
constexpr char kKeyTab = 9;
constexpr char kKeyPageUp = 11;
constexpr char kKeyPageDown = 12;
constexpr char kKeyReturn = 13;
// The function keys, and any other key that types nothing.
constexpr char kKeyFunction = 16;
constexpr char kKeyEscape = 27;
constexpr char kKeyLeft = 28;
constexpr char kKeyRight = 29;
constexpr char kKeyUp = 30;
constexpr char kKeyDown = 31;
constexpr char kKeyDelete = 127;

// A surface the program draws on. Its Graphics draws into a backing picture that
// the paint event shows, so drawing outside a paint event works as well; drawing
// while Paint runs does not ask for another repaint.
// Mouse drags and the mouse-up arrive only after MouseDown returned true.
// Keys arrive as text; the arrow keys as the characters 28 to 31, Return as 13,
// Escape as 27. A subclass that handles an event itself overrides its Event_ method;
// the default raises the handler slot of the same name.
class Canvas : public Control {
public:
    bool AcceptFocus = false;
    // A ring on the screen while the canvas has the keyboard focus.
    bool UseFocusRing = true;
    // The window's background fills the canvas before each Paint.
    bool EraseBackground = true;
    // A design property stored as given but not applied: nothing here reads it.
    bool AcceptTabs = false;

    Graphics& GetGraphics();
    PictureRef BackingPicture();
    void SetMouseCursor(MouseCursor cursor);
    void AcceptFileDrop(const std::string& typeNames);
    void AcceptPictureDrop();
    const std::string& AcceptedFileTypes() const { return fileFilter_; }
    bool AcceptsPictures() const { return acceptPictures_; }
    void Invalidate();
    // A repaint at the next turn of the event loop (Invalidate) or at once (Refresh);
    // with eraseBackground the pixels are first cleared to the window's background.
    void Invalidate(bool eraseBackground);
    void Refresh(bool eraseBackground);
    // Runs `draw`, which draws into the backing picture, and then asks for a repaint
    // of only the pixels that differ from what the canvas last asked to show: a
    // caption keystroke changes a few glyphs of a whole card.
    void DrawChanges(const std::function<void()>& draw);

    std::function<void(Graphics&)> Paint;
    std::function<bool(int, int)> MouseDown;
    std::function<void(int, int)> MouseDrag;
    std::function<void(int, int)> MouseUp;
    std::function<bool(const std::string&)> KeyDown;
    std::function<void(const DragItemRef&, int)> DropObject;
    std::function<void()> GotFocus;
    std::function<void()> LostFocus;
    std::function<void()> MouseEnter;
    std::function<void()> MouseExit;
    // A contextual click: items added to the base menu pop up when it returns true.
    std::function<bool(const MenuItemRef& base, int x, int y)> ConstructContextualMenu;

    virtual bool Event_MouseDown(int x, int y) { return MouseDown && MouseDown(x, y); }
    virtual void Event_MouseDrag(int x, int y) {
        if (MouseDrag) MouseDrag(x, y);
    }
    virtual void Event_MouseUp(int x, int y) {
        if (MouseUp) MouseUp(x, y);
    }
    virtual bool Event_KeyDown(const std::string& key) { return KeyDown && KeyDown(key); }
    virtual void Event_Paint(Graphics& g) {
        if (Paint) Paint(g);
    }
    virtual void Event_GotFocus() {
        if (GotFocus) GotFocus();
    }
    virtual void Event_LostFocus() {
        if (LostFocus) LostFocus();
    }
    virtual void Event_MouseEnter() {
        if (MouseEnter) MouseEnter();
    }
    virtual void Event_MouseExit() {
        if (MouseExit) MouseExit();
    }
    virtual bool Event_ConstructContextualMenu(const MenuItemRef& base, int x, int y) {
        return ConstructContextualMenu && ConstructContextualMenu(base, x, y);
    }

    // Framework: the events as the widget delivers them.
    bool DeliverMouseDown(int x, int y);
    void DeliverMouseDrag(int x, int y);
    void DeliverMouseUp(int x, int y);
    bool DeliverKeyDown(const std::string& key);
    void DeliverDrop(const DragItemRef& item);
    // `wholeCanvas`: the paint shows every pixel of the canvas, so that what it shows
    // is known again afterwards.
    void DeliverPaint(bool wholeCanvas = false);
    void DeliverFocus(bool gained);
    void DeliverMouseOver(bool entered);
    // x, y in the control; the screen point is where a contextual menu pops up.
    void DeliverContextualClick(int x, int y, QPoint screen);
    bool Painting() const { return painting_; }
    // Counts the drawing operations into the backing picture (and its replacements),
    // so that a caller can tell whether anything drew over what it drew last.
    uint64_t DrawCount() const { return drawCount_; }
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
    bool erasePending_ = false;
    uint64_t drawCount_ = 0;
    // DrawChanges' state: the pixels as last asked to be shown (valid only while
    // nothing else drew since), and whether the draw in progress changed anything.
    QImage shown_;
    bool shownValid_ = false;
    bool drawingChanges_ = false;
    bool changedInBatch_ = false;
    bool drawnOutsidePaint_ = false;
};

// The key text of a key press, as the canvas delivers it; empty for what is no key
// of its own (a modifier, a lock or a dead key pressed alone).
std::string KeyTextFor(int qtKey, const std::string& text);

} // namespace fw
