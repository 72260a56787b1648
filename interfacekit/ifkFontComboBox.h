#pragma once

// A minimal font box: an editable combo box whose rows are the design's rows
// followed by the installed font families. The interface kit's font box with its
// pop-up list replaces it; until then it offers Text, Change and TextChanged.

#include "framework/ComboBox.h"

class ifkFontComboBox : public fw::ComboBox {
public:
    bool MenuOpen = false;

protected:
    void ApplyDesign() override;
};
