#include "framework/ui/PushButton.h"

#include "framework/core/Runtime.h"

#include <QPushButton>

namespace fw {

void PushButton::Push() { Runtime::Dispatch([this] { Event_Action(); }); }

QWidget* PushButton::CreateWidget(QWidget* parent) {
    auto* button = new QPushButton(parent);
    QObject::connect(button, &QPushButton::clicked, button, [this] { Push(); });
    return button;
}

void PushButton::ApplyDesign() {
    Control::ApplyDesign();
    auto* button = static_cast<QPushButton*>(widget_.data());
    button->setText(QString::fromStdString(Caption));
    // Outside dialogs Qt gives Return no meaning; the window pushes the default button.
    button->setDefault(Default);
    button->setAutoDefault(false);
    button->setFocusPolicy(TabStop ? Qt::TabFocus : Qt::NoFocus);
}

} // namespace fw
