#include "interfacekit/ifkFontComboBox.h"

#include "framework/core/Exceptions.h"
#include "framework/core/System.h"
#include "framework/graphics/Screen.h"
#include "framework/ui/Window.h"
#include "interfacekit/ifkFontComboBoxMenu.h"

#include <QString>

void ifkFontComboBox::Event_Open() {
    SetAutoComplete(true);
    for (int i = 0; i < fw::FontCount(); ++i) AddRow(fw::Font(i));
}

bool ifkFontComboBox::Event_MouseDown(int X, int Y) {
    if (MouseDown && MouseDown(X, Y)) return true;
    if (X > Width - kArrowWidth && !MenuOpen) {
        PopUpList(fw::System::MouseX() - X, fw::System::MouseY() - Y + Height);
        return true;
    }
    return false;
}

bool ifkFontComboBox::Event_KeyDown(const std::string& key) {
    if (KeyDown && KeyDown(key)) return true;
    // ListIndex counts a row only while the text still names it, so a typed name is
    // never replaced by the row chosen before.
    const int row = ListIndex();
    if (key == "\r" && row >= 0 && row < ListCount()) {
        SetText(List(row));
        SetSelStart(0);
        SetSelLength(static_cast<int>(QString::fromStdString(Text()).size()));
    }
    return false;
}

bool ifkFontComboBox::Event_DropDown() {
    // The keyboard's way down (Alt+Down, F4) opens the same list at the same place
    // as the arrow: under the box, from its left edge.
    const auto& window = fw::Deref(GetWindow(), "Window");
    if (!MenuOpen) PopUpList(window.Left() + Left, window.Top() + Top + Height);
    return true;
}

void ifkFontComboBox::PopUpList(int left, int top) {
    MenuOpen = true;
    // Cleared on every way out, so that one failed pop-up does not disable the box.
    struct Reopenable {
        bool& open;
        ~Reopenable() { open = false; }
    } reopenable{MenuOpen};
    SetText(ifkFontComboBoxMenu::Instance()->Popup(left, top, Width, Text()));
}
