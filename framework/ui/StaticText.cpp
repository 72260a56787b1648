#include "framework/ui/StaticText.h"

#include "framework/core/Runtime.h"

#include <QLabel>
#include <QMouseEvent>

namespace fw {

namespace {

class LabelWidget : public QLabel {
public:
    LabelWidget(StaticText* owner, QWidget* parent) : QLabel(parent), owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        if (event->button() == Qt::LeftButton && owner_->DeliverMouseDown(p.x(), p.y())) return;
        QLabel::mousePressEvent(event);
    }

private:
    StaticText* owner_;
};

} // namespace

void StaticText::SetText(const std::string& text) {
    text_ = text;
    if (widget_) static_cast<QLabel*>(widget_.data())->setText(QString::fromStdString(text));
}

bool StaticText::DeliverMouseDown(int x, int y) {
    bool result = false;
    if (MouseDown) Runtime::Dispatch([&] { result = MouseDown(x, y); });
    return result;
}

QWidget* StaticText::CreateWidget(QWidget* parent) { return new LabelWidget(this, parent); }

void StaticText::ApplyDesign() {
    Control::ApplyDesign();
    auto* label = static_cast<QLabel*>(widget_.data());
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromStdString(text_));
    label->setWordWrap(Multiline);
    const Qt::Alignment horizontal = TextAlign == AlignCenter  ? Qt::AlignHCenter
                                     : TextAlign == AlignRight ? Qt::AlignRight
                                                               : Qt::AlignLeft;
    label->setAlignment(horizontal | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, TextColor.ToQColor());
    label->setPalette(palette);
    label->setFocusPolicy(Qt::NoFocus);
}

} // namespace fw
