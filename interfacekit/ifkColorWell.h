#pragma once

#include "framework/graphics/Graphics.h"
#include "interfacekit/ifkButton.h"

#include <functional>
#include <string>

// A swatch button: a caption-less themed button whose icon shows its colour. A
// click released inside, the space bar or Push opens the colour picker. The well
// takes the button's Open, Action and Resized itself, so its users get none of
// them.
class ifkColorWell : public ifkButton {
public:
    fw::Color colorValue() const { return mcolorValue; }
    // Rebuilds the swatch; never raises Changed.
    void SetcolorValue(fw::Color color);

    // Raised only after the user accepted a colour in the picker.
    std::function<void()> Changed;

    // Every well opens black, whatever colour its design gives.
    void Event_Open() override;
    void Event_Action() override;
    void Event_Resized() override;
    void recreateColorBlock();

    static std::string kChooseColor();

private:
    fw::Color mcolorValue = 0x000000;
};
