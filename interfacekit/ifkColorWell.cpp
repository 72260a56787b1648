#include "interfacekit/ifkColorWell.h"

#include "framework/Runtime.h"
#include "framework/System.h"
#include "framework/UserInteraction.h"

#include <QPainter>
#include <QToolButton>

namespace {

class SwatchButton : public QToolButton {
public:
    SwatchButton(ifkColorWell* owner, QWidget* parent) : QToolButton(parent), owner_(owner) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        QPainter painter(this);
        const QRect swatch = rect().adjusted(5, 4, -5, -4);
        painter.fillRect(swatch, QColor::fromRgb(static_cast<QRgb>(owner_->colorValue)));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

private:
    ifkColorWell* owner_;
};

} // namespace

void ifkColorWell::SetColorValue(fw::Color color) {
    colorValue = color;
    if (widget_) widget_->update();
}

void ifkColorWell::Pick() {
    auto chosen = fw::UserInteraction::Current().SelectColor(colorValue, kChooseColor());
    if (!chosen) return;
    SetColorValue(*chosen);
    if (Changed) Changed();
}

std::string ifkColorWell::kChooseColor() {
    return fw::System::_GetLocalizedString("ifkColorWell.kChooseColor", "Choose a color:");
}

QWidget* ifkColorWell::CreateWidget(QWidget* parent) {
    auto* button = new SwatchButton(this, parent);
    QObject::connect(button, &QToolButton::clicked, button, [this] { fw::Runtime::Dispatch([this] { Pick(); }); });
    return button;
}

void ifkColorWell::ApplyDesign() {
    fw::Control::ApplyDesign();
    widget_->setFocusPolicy(AcceptFocus ? Qt::StrongFocus : Qt::NoFocus);
}
