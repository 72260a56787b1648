#include "framework/ui/PushButton.h"

#include "framework/core/Runtime.h"

#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace fw {

namespace {

class PushButtonWidget : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    // A push button takes the focus only from the keyboard, yet styles draw its focus
    // only after a focus change from the keyboard that they saw themselves, and Fusion
    // not at all on a default button, whose frame has the focus colour already. The
    // focus frame is asked for whenever the button holds the focus, as the kit's
    // button does, so that every Tab stop shows where the focus is.
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        if (hasFocus()) option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
        painter.drawControl(QStyle::CE_PushButton, option);
    }
};

} // namespace

void PushButton::Push() { Runtime::Dispatch([this] { Event_Action(); }); }

QWidget* PushButton::CreateWidget(QWidget* parent) {
    auto* button = new PushButtonWidget(parent);
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
