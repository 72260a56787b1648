#pragma once

#include "framework/graphics/Picture.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/MenuItem.h"

#include <cstdint>
#include <functional>
#include <string>

// The interface kit's custom-drawn push button: a platform theme button in one of
// 18 looks (Style) and three fixed sizes or the control's own height (Size), with
// a caption and an optional icon. It tracks the mouse itself, keeps an off, on or
// mixed value that a click may toggle or set (Type), answers the space bar and can
// pop up a menu on mouse-down.
//
// Its users see the canvas's events only as the button's own: GotFocus,
// MouseDown, MouseDrag, MouseEnter, MouseExit and Paint keep the canvas's slots
// and names; lostFocus, MouseUP, Action, Resized and MenuAction are its own;
// KeyDown is never raised. The mouse handling decides mouseStatus; drawButton only
// reads it.
class ifkButton : public fw::Canvas {
public:
    enum MouseStatus : int32_t { Idle = 0, Pressed = 1, ContextPressed = 2, Over = 3 };

    // --- plain properties: stored, no redraw
    bool Default = false;     // draw the default adornment; Return is not handled here
    int32_t iconPlacement = 0; // 1 icon above the caption, anything else left of it
    bool UnderLine = false;   // with Bold and Italic of the control: the caption's style
    fw::MenuItemRef Menu;      // popped up at the button's top-left corner on mouse-down

    // --- computed properties: setting redraws unless said otherwise
    int32_t IntegerValue() const { return mValue; }
    // A negative value is ignored, but the button still redraws.
    void SetIntegerValue(int32_t value);
    // Mixed (2) reads true. Setting stores 1 or 0 and does not redraw.
    bool Value() const { return mValue != 0; }
    void SetValue(bool value) { mValue = value ? 1 : 0; }
    const fw::PictureRef& icon() const { return micon; }
    void Seticon(const fw::PictureRef& picture);
    const std::string& Caption() const { return mCaption; }
    void SetCaption(const std::string& caption);
    int32_t TextAlignment() const { return mTextAlignment; }
    void SetTextAlignment(int32_t alignment);
    // The caption's font and size are the control's TextFont and TextSize.
    void SetTextFont(const std::string& font);
    void SetTextSize(int32_t size);
    // What a click released inside does to the value: 0 nothing, 1 toggles, 2 sets on.
    int32_t Type() const { return mType; }
    void SetType(int32_t type);
    // 0 the control's height, 1 normal, 2 small, 3 mini; setting raises Resized.
    int32_t Size() const { return mSize; }
    void SetSize(int32_t size);
    int32_t Style() const { return mStyle; }
    void SetStyle(int32_t style);

    // --- events of the button itself
    std::function<void()> Action;
    std::function<void()> lostFocus;
    std::function<void(int, int)> MouseUP;
    std::function<void()> Resized;
    std::function<void(const fw::MenuItemRef&)> MenuAction;

    // A click made by the program: pressed look, Action, normal look; Value stays.
    void Push();

    // --- the canvas's events as the button handles them
    void Event_Open() override;
    void Event_GotFocus() override;
    void Event_LostFocus() override;
    void Event_MouseEnter() override;
    void Event_MouseExit() override;
    bool Event_MouseDown(int x, int y) override;
    void Event_MouseDrag(int x, int y) override;
    void Event_MouseUp(int x, int y) override;
    bool Event_KeyDown(const std::string& key) override;
    bool Event_ConstructContextualMenu(const fw::MenuItemRef& base, int x, int y) override;
    void Event_Paint(fw::Graphics& g) override;

    // The button's own events as a subclass receives them; by default they raise
    // the handler slots.
    virtual void Event_Action() {
        if (Action) Action();
    }
    virtual void Event_Resized() {
        if (Resized) Resized();
    }

protected:
    // The canvas settings of the Open handling, before the button's Open is raised.
    void OpenCanvas();
    // The height of the theme button for Style and Size; the control's when the
    // platform gives none.
    virtual int32_t getDrawHeight();
    virtual void drawButton();
    // Asks for a deferred repaint with the background erased; the flag is unused.
    virtual void update(bool flag = true);

    fw::PictureRef intBuffer;

private:
    bool Inside(int x, int y) const { return x > 0 && x < Width && y > 0 && y < Height; }
    void UpdateWindowNow();

    int32_t mKind = 0;
    int32_t mouseStatus = Idle;
    int32_t mValue = 0;
    bool hasFocus = false;
    std::string mCaption;
    int32_t mTextAlignment = 0;
    fw::PictureRef micon;
    bool customControl = false;
    int32_t mType = 0;
    int32_t mStyle = 0;
    int32_t mSize = 0;
};
