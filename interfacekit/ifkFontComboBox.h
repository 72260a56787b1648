#pragma once

#include "framework/ui/ComboBox.h"

// The font field: an editable combo box listing every installed font after the
// rows of its design, completing typed names, whose arrow opens the font pop-up
// list instead of the combo box's own drop-down, also from the keyboard. Its users get
// MouseDown and KeyDown first; Change and TextChanged reach them as the combo box
// raises them.
class ifkFontComboBox : public fw::ComboBox {
public:
    // True while a pop-up list opened by this box is on screen.
    bool MenuOpen = false;

    void Event_Open() override;
    bool Event_MouseDown(int X, int Y) override;
    bool Event_KeyDown(const std::string& key) override;
    bool Event_DropDown() override;

    // Clicks to the right of this many pixels before the box's right edge hit the arrow.
    static constexpr int kArrowWidth = 23;

private:
    // Runs the font list with its top-left corner at the screen position given and
    // takes its answer as the text.
    void PopUpList(int left, int top);
};
