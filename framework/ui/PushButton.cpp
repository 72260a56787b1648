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
    // Styles show a push button's focus only after a focus change from the keyboard
    // that they saw themselves, and Fusion gives a default button the focus colour
    // whether it holds the focus or not, so Tab to "Send Zinglet" changed no pixel. A
    // focused button draws a ring in the focus colour inside its frame, whatever the
    // style draws, so that every Tab stop shows where the focus is.
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        painter.drawControl(QStyle::CE_PushButton, option);
        if (!hasFocus()) return;
        const QRect ring = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(ring.adjusted(0, 0, -1, -1));
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
