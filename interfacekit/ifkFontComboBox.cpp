#include "interfacekit/ifkFontComboBox.h"

#include "framework/core/System.h"
#include "framework/graphics/Screen.h"
#include "interfacekit/ifkFontComboBoxMenu.h"

#include <QString>

void ifkFontComboBox::Event_Open() {
    SetAutoComplete(true);
    for (int i = 0; i < fw::FontCount(); ++i) AddRow(fw::Font(i));
}

bool ifkFontComboBox::Event_MouseDown(int X, int Y) {
    if (MouseDown && MouseDown(X, Y)) return true;
    if (X > Width - kArrowWidth && !MenuOpen) {
        MenuOpen = true;
        // Cleared on every way out, so that one failed pop-up does not disable the box.
        struct Reopenable {
            bool& open;
            ~Reopenable() { open = false; }
        } reopenable{MenuOpen};
        const int left = fw::System::MouseX() - X;
        const int top = fw::System::MouseY() - Y + Height;
        SetText(ifkFontComboBoxMenu::Instance()->Popup(left, top, Width, Text()));
        return true;
    }
    return false;
}

bool ifkFontComboBox::Event_KeyDown(const std::string& key) {
    if (KeyDown && KeyDown(key)) return true;
    const int row = ListIndex();
    if (key == "\r" && row >= 0 && row < ListCount()) {
        SetText(List(row));
        SetSelStart(0);
        SetSelLength(static_cast<int>(QString::fromStdString(Text()).size()));
    }
    return false;
}
