#include "framework/ui/PagePanel.h"

#include "framework/core/Runtime.h"
#include "framework/ui/Window.h"

namespace fw {

void PagePanel::SetValue(int value) {
    if (value < 0 || value >= PanelCount || value == value_) return;
    value_ = value;
    if (window_)
        for (const auto& control : window_->Controls()) control->UpdateVisibility();
    if (Change) Runtime::Dispatch(Change);
}

QWidget* PagePanel::CreateWidget(QWidget* parent) {
    auto* widget = new QWidget(parent);
    widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

void PagePanel::ApplyDesign() {
    Control::ApplyDesign();
    // The panel only groups; it stays behind its pages' controls.
    widget_->lower();
}

} // namespace fw
