#include "framework/ui/Control.h"

#include "framework/core/NumberRules.h"
#include "framework/core/Runtime.h"
#include "framework/graphics/Graphics.h"
#include "framework/ui/PagePanel.h"
#include "framework/ui/Window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalBlocker>

namespace fw {

Control::~Control() = default;

void Control::SetVisible(bool visible) {
    visible_ = visible;
    UpdateVisibility();
}

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (widget_) widget_->setEnabled(enabled);
}

bool Control::Active() const { return widget_ && widget_->isActiveWindow(); }

void Control::SetFocus() {
    if (!widget_) return;
    // Qt gives a hidden widget no focus; a control asked for it while hidden takes it
    // when it shows.
    focusWhenShown_ = widget_->isHidden();
    widget_->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const {
    if (!widget_) return false;
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == widget_ || widget_->isAncestorOf(focus));
}

void Control::_AddMenuHandler(const std::string& name, std::function<bool()> handler) {
    menuHandlers_[name] = std::move(handler);
}

bool Control::OwnMenuCommand(const std::string& name) {
    auto it = menuHandlers_.find(name);
    return it != menuHandlers_.end() && it->second && it->second();
}

namespace {

// Text widgets take the standard editing keys before any menu shortcut sees them;
// a key whose menu item the window handles must reach the menu instead, so that
// the window's commands get the first say, as they do when chosen from the menu.
class MenuShortcutsFirst : public QObject {
public:
    MenuShortcutsFirst(QObject* parent, const Window* window) : QObject(parent), window_(window) {}

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!window_->ClaimsShortcut(QKeySequence(key->keyCombination()))) return false;
        event->ignore();
        return true;
    }

private:
    const Window* window_;
};

} // namespace

void Control::Attach(Window* window, QWidget* content) {
    window_ = window;
    widget_ = CreateWidget(content);
    widget_->installEventFilter(new MenuShortcutsFirst(widget_, window));
    const QSignalBlocker blocker(widget_);
    ApplyDesign();
}

QFont Control::DesignFont() const {
    return Graphics::FontFor(TextFont, ToInt32(TextSize), Bold, Italic, Underline);
}

void Control::ApplyDesign() {
    widget_->setObjectName(QString::fromStdString(Name));
    widget_->setGeometry(Left, Top, Width, Height);
    widget_->setEnabled(enabled_);
    widget_->setToolTip(QString::fromStdString(HelpTag));
    widget_->setFont(DesignFont());
    UpdateVisibility();
}

bool Control::Showing() const {
    if (!visible_) return false;
    if (auto panel = std::dynamic_pointer_cast<PagePanel>(Parent))
        return panel->Showing() && panel->Value() + 1 == PanelIndex;
    return true;
}

void Control::UpdateVisibility() {
    if (!widget_) return;
    widget_->setVisible(Showing());
    if (focusWhenShown_ && !widget_->isHidden()) {
        focusWhenShown_ = false;
        widget_->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace fw
