#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/ui/Control.h"

namespace fw {

// A label. Its text is plain; a multi-line label wraps between words.
class StaticText : public Control {
public:
    static constexpr int AlignLeft = 0;
    static constexpr int AlignCenter = 1;
    static constexpr int AlignRight = 2;

    int TextAlign = AlignLeft;
    Color TextColor = 0x000000;
    bool Multiline = false;

    std::string Text() const { return text_; }
    void SetText(const std::string& text);

    std::function<bool(int, int)> MouseDown;

    // Framework: a click as the widget delivers it, relative to the label.
    bool DeliverMouseDown(int x, int y);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;

private:
    std::string text_;
};

} // namespace fw
