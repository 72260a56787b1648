#include "framework/ui/PopupMenu.h"

#include "framework/core/Runtime.h"
#include "framework/core/TextFunctions.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace fw {

namespace {

class PopupWidget : public QComboBox {
public:
    PopupWidget(PopupMenu* owner, QWidget* parent) : QComboBox(parent), owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        if (event->button() == Qt::LeftButton && owner_->DeliverMouseDown(p.x(), p.y())) {
            event->accept();
            return;
        }
        QComboBox::mousePressEvent(event);
    }

    // The keys that open the list open what the program shows for a click, at the same
    // place; the list's own ways of choosing a row stay out of reach.
    void keyPressEvent(QKeyEvent* event) override {
        if (!TakenByProgram()) return QComboBox::keyPressEvent(event);
        if (!OpensList(*event)) return event->ignore();
        event->accept();
        if (!owner_->DeliverMouseDown(0, 0)) QComboBox::showPopup();
    }
    void wheelEvent(QWheelEvent* event) override {
        if (TakenByProgram()) return event->ignore();
        QComboBox::wheelEvent(event);
    }

private:
    // Qt's own keys for opening a pop-up list.
    static bool OpensList(const QKeyEvent& event) {
        const auto modifiers = event.modifiers() & ~Qt::KeypadModifier;
        switch (event.key()) {
        case Qt::Key_Space: return modifiers == Qt::NoModifier;
        case Qt::Key_F4: return modifiers == Qt::NoModifier;
        case Qt::Key_Down: return modifiers == Qt::AltModifier;
        default: return false;
        }
    }
    // A pop-up whose clicks the program takes changes its row only through what the
    // program shows in place of the list.
    bool TakenByProgram() const { return static_cast<bool>(owner_->MouseDown); }

    PopupMenu* owner_;
};

} // namespace

void PopupMenu::SetInitialValue(const std::string& rows) {
    for (const auto& row : SplitRows(rows)) AddRow(row);
}

void PopupMenu::AddRow(const std::string& text) {
    rows_.push_back({text, std::nullopt});
    if (widget_) {
        const QSignalBlocker blocker(widget_);
        static_cast<QComboBox*>(widget_.data())->addItem(QString::fromStdString(text));
    }
}

std::string PopupMenu::List(int row) const {
    if (row < 0 || row >= ListCount()) return {};
    return rows_[static_cast<size_t>(row)].text;
}

std::optional<std::string> PopupMenu::RowTag(int row) const {
    if (row < 0 || row >= ListCount()) return std::nullopt;
    return rows_[static_cast<size_t>(row)].tag;
}

void PopupMenu::SetRowTag(int row, const std::string& tag) {
    if (row >= 0 && row < ListCount()) rows_[static_cast<size_t>(row)].tag = tag;
}

void PopupMenu::SetListIndex(int index) {
    if (index < -1 || index >= ListCount() || index == listIndex_) return;
    listIndex_ = index;
    if (widget_) {
        const QSignalBlocker blocker(widget_);
        static_cast<QComboBox*>(widget_.data())->setCurrentIndex(index);
    }
    if (Change && window_) Runtime::Dispatch(Change);
}

bool PopupMenu::DeliverMouseDown(int x, int y) {
    bool result = false;
    if (MouseDown) Runtime::Dispatch([&] { result = MouseDown(x, y); });
    return result;
}

QWidget* PopupMenu::CreateWidget(QWidget* parent) {
    auto* combo = new PopupWidget(this, parent);
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [this](int index) {
        listIndex_ = index;
        if (Change) Runtime::Dispatch(Change);
    });
    return combo;
}

void PopupMenu::ApplyDesign() {
    Control::ApplyDesign();
    auto* combo = static_cast<QComboBox*>(widget_.data());
    combo->clear();
    for (const auto& row : rows_) combo->addItem(QString::fromStdString(row.text));
    combo->setCurrentIndex(listIndex_);
    combo->setFocusPolicy(Qt::TabFocus);
}

} // namespace fw
