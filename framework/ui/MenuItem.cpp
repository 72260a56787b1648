#include "framework/ui/MenuItem.h"

#include "framework/core/Runtime.h"
#include "framework/ui/MenuBar.h"
#include "framework/ui/UserInteraction.h"
#include "framework/ui/Window.h"

#include <QAction>

#include <algorithm>

namespace fw {

MenuItem::MenuItem(std::string text) : text_(std::move(text)) {}
MenuItem::~MenuItem() = default;

void MenuItem::SetText(const std::string& text) {
    text_ = text;
    SyncActions();
}

void MenuItem::SetKeyboardShortcut(const std::string& shortcut) {
    shortcut_ = shortcut;
    SyncActions();
}

void MenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    SyncActions();
}

void MenuItem::SetChecked(bool checked) {
    checked_ = checked;
    SyncActions();
}

void MenuItem::SetVisible(bool visible) {
    visible_ = visible;
    SyncActions();
}

std::string MenuItem::ShownText() const {
    std::string shown;
    for (size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == '&' && i + 1 < text_.size()) {
            if (text_[i + 1] == '&') shown.push_back('&');
            else shown.push_back(text_[i + 1]);
            ++i;
        } else if (text_[i] != '&') {
            shown.push_back(text_[i]);
        }
    }
    return shown;
}

char MenuItem::Mnemonic() const {
    for (size_t i = 0; i + 1 < text_.size(); ++i) {
        if (text_[i] != '&') continue;
        if (text_[i + 1] == '&') {
            ++i;
            continue;
        }
        return text_[i + 1];
    }
    return 0;
}

QKeySequence MenuItem::ShortcutFromText(const std::string& text) {
    if (text.empty()) return {};
    QString qt = QString::fromStdString(text);
    // "Cmd" is the primary modifier: Ctrl here, Command on macOS (Qt maps Ctrl so);
    // the original "Control" key is Qt's Meta.
    qt.replace("Control+", "Meta+");
    qt.replace("Cmd+", "Ctrl+");
    return QKeySequence::fromString(qt, QKeySequence::PortableText);
}

QKeySequence MenuItem::Shortcut() const { return ShortcutFromText(shortcut_); }

void MenuItem::Append(const std::shared_ptr<MenuItem>& item) {
    if (!item) return;
    if (item->parent_.expired()) item->parent_ = weak_from_this();
    children_.push_back(item);
}

bool MenuItem::InMenuBar() const {
    for (auto p = Parent(); p; p = p->Parent())
        if (dynamic_cast<const MenuBar*>(p.get())) return true;
    return false;
}

std::shared_ptr<MenuItem> MenuItem::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return children_[static_cast<size_t>(index)];
}

std::shared_ptr<MenuItem> MenuItem::Child(const std::string& name) const {
    for (const auto& child : children_)
        if (child->Name == name) return child;
    return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::_Lookup(const std::string& name, int index) const {
    for (const auto& child : children_) {
        if (child->Name == name && (index < 0 || child->Index == index)) return child;
        if (auto found = child->_Lookup(name, index)) return found;
    }
    return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::PopUp(int x, int y) {
    const auto windows = Runtime::Windows();
    const auto window = windows.empty() ? nullptr : std::dynamic_pointer_cast<Window>(windows.front());
    // Items of the bar shown here must carry their check marks and enabling as the
    // bar would show them now, so the menus are readied as before the bar opens.
    const bool holdsBarItems = std::any_of(children_.begin(), children_.end(),
                                           [](const auto& item) { return item && item->InMenuBar(); });
    if (window && holdsBarItems) window->EnableMenuItems();
    auto chosen = UserInteraction::Current().PopUpMenu(shared_from_this(), x, y);
    if (chosen && chosen->InMenuBar() && window) window->RunMenuItem(chosen);
    return chosen;
}

void MenuItem::BindAction(QAction* action) {
    actions_.emplace_back(action);
    SyncActions();
}

void MenuItem::SyncActions() {
    for (const auto& action : actions_) {
        if (!action) continue;
        if (IsSeparator()) {
            action->setSeparator(true);
            continue;
        }
        action->setText(QString::fromStdString(text_));
        action->setShortcut(Shortcut());
        action->setEnabled(enabled_);
        action->setCheckable(checked_);
        action->setChecked(checked_);
        action->setVisible(visible_);
    }
}

} // namespace fw
