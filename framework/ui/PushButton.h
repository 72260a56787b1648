#pragma once

#include "framework/ui/Control.h"

namespace fw {

class PushButton : public Control {
public:
    std::string Caption;
    bool Default = false;
    bool Cancel = false;
    std::function<void()> Action;
    virtual void Event_Action() {
        if (Action) Action();
    }
    // Presses the button as a click would.
    void Push();

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;
};

} // namespace fw
