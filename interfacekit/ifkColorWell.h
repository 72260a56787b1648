#pragma once

// A minimal colour well: a swatch button that opens the colour picker and raises
// Changed after the user accepted a colour. The themed, custom-drawn well of the
// interface kit replaces it; until then it offers what the main window relies on.

#include "framework/Control.h"
#include "framework/Graphics.h"

#include <functional>
#include <string>

class ifkColorWell : public fw::Control {
public:
    // The button properties of the interface kit, kept for the window's design.
    bool AcceptFocus = false;
    bool AcceptTabs = false;
    bool EraseBackground = true;
    bool Default = false;
    int Type = 0;
    bool value = false;
    std::string Caption = "Untitled";
    int TextAlignment = 0;
    bool UnderLine = false;
    int iconPlacement = 0;

    // Setting it never raises Changed.
    fw::Color colorValue = 0x000000;
    void SetColorValue(fw::Color color);

    // Raised only after a colour was accepted in the picker.
    std::function<void()> Changed;

    // Opens the picker, as a click does.
    void Pick();

    static std::string kChooseColor();

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;
};
