#pragma once

#include "framework/ui/Control.h"

namespace fw {

// Groups the window's controls into pages; Value counts from 0, a control's page
// (PanelIndex) from 1. Only the controls of the shown page are visible.
class PagePanel : public Control {
public:
    int PanelCount = 1;
    int Value() const { return value_; }
    void SetValue(int value);
    std::function<void()> Change;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;

private:
    int value_ = 0;
};

} // namespace fw
