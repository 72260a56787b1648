#include "interfacekit/ifkButton.h"

#include "framework/core/NumberRules.h"
#include "framework/ui/Window.h"
#include "interfacekit/InterfaceKitSupport.h"

void ifkButton::SetIntegerValue(int32_t value) {
    if (value >= 0) mValue = value;
    update();
}

void ifkButton::Seticon(const fw::PictureRef& picture) {
    micon = picture;
    update();
}

void ifkButton::SetCaption(const std::string& caption) {
    mCaption = caption;
    update();
}

void ifkButton::SetTextAlignment(int32_t alignment) {
    mTextAlignment = alignment;
    update();
}

void ifkButton::SetTextFont(const std::string& font) {
    TextFont = font;
    update();
}

void ifkButton::SetTextSize(int32_t size) {
    TextSize = size;
    update();
}

void ifkButton::SetType(int32_t type) {
    mType = type;
    update();
}

void ifkButton::SetSize(int32_t size) {
    mSize = size;
    Event_Resized();
    update();
}

void ifkButton::SetStyle(int32_t style) {
    mStyle = style;
    update();
}

void ifkButton::update(bool /*flag*/) { Invalidate(true); }

void ifkButton::UpdateWindowNow() {
    if (fw::Window* window = GetWindow()) window->UpdateNow();
}

void ifkButton::OpenCanvas() {
    EraseBackground = false;
    AcceptFocus = true;
    // The button draws its own focus adornment.
    UseFocusRing = false;
    if (widget_) widget_->setFocusPolicy(Qt::StrongFocus);
}

void ifkButton::Event_Open() {
    OpenCanvas();
    if (Open) Open();
}

void ifkButton::Event_GotFocus() {
    hasFocus = true;
    if (GotFocus) GotFocus();
    update();
}

void ifkButton::Event_LostFocus() {
    hasFocus = false;
    if (lostFocus) lostFocus();
    update();
}

void ifkButton::Event_MouseEnter() {
    mouseStatus = Over;
    update();
    if (MouseEnter) MouseEnter();
}

void ifkButton::Event_MouseExit() {
    mouseStatus = Idle;
    update();
    if (MouseExit) MouseExit();
}

bool ifkButton::Event_MouseDown(int x, int y) {
    if (MouseDown && MouseDown(x, y)) {
        customControl = true;
        return true;
    }
    customControl = false;
    mouseStatus = Pressed;
    update();
    if (!Menu) return true;

    const fw::MemoryBlock corner = InterfaceKitSupport::getScreenXY(this);
    // Without a MenuAction handler nobody would hear the choice, so no menu shows.
    if (MenuAction) {
        const fw::MenuItemRef item =
            Menu->PopUp(fw::ToInt32(corner.SingleValue(0)), fw::ToInt32(corner.SingleValue(4)));
        MenuAction(item);
    }
    mouseStatus = Idle;
    update();
    return false;
}

void ifkButton::Event_MouseDrag(int x, int y) {
    if (customControl) {
        if (MouseDrag) MouseDrag(x, y);
        return;
    }
    const int32_t before = mouseStatus;
    mouseStatus = Inside(x, y) ? Pressed : Idle;
    if (mouseStatus != before) update();
}

void ifkButton::Event_MouseUp(int x, int y) {
    if (customControl) {
        if (MouseUP) MouseUP(x, y);
        return;
    }
    if (Inside(x, y)) {
        if (mType == 1) SetValue(!Value());
        else if (mType == 2) SetValue(true);
        Event_Action();
        mouseStatus = Over;
    } else {
        mouseStatus = Idle;
    }
    update();
}

bool ifkButton::Event_KeyDown(const std::string& key) {
    if (key == " ") {
        // The space bar is a click without the Type rule: it never changes Value.
        mouseStatus = Pressed;
        Refresh(true);
        UpdateWindowNow();
        Event_Action();
        mouseStatus = Idle;
        update();
    }
    // Every key goes on to the window, the blank included.
    return false;
}

bool ifkButton::Event_ConstructContextualMenu(const fw::MenuItemRef& /*base*/, int x, int y) {
    if (MouseDown && MouseDown(x, y)) {
        customControl = true;
    } else {
        customControl = false;
        mouseStatus = ContextPressed;
        update();
    }
    return true;
}

void ifkButton::Event_Paint(fw::Graphics& /*g*/) { drawButton(); }

void ifkButton::Push() {
    mouseStatus = Pressed;
    update();
    UpdateWindowNow();
    Event_Action();
    mouseStatus = Idle;
    update();
    UpdateWindowNow();
}
