#pragma once

#include <QKeySequence>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;

namespace fw {

// A menu, a menu item or a separator (the text "-"). Texts use "&" before the
// mnemonic letter and "&&" for a literal ampersand. The shortcut is a text such as
// "Cmd+O"; Cmd is Ctrl here (Command on macOS) and Control is the Meta key.
class MenuItem : public std::enable_shared_from_this<MenuItem> {
public:
    enum class Kind { Normal, Quit, About };

    explicit MenuItem(std::string text = {});
    virtual ~MenuItem();
    virtual Kind ItemKind() const { return Kind::Normal; }

    std::string Name;
    bool AutoEnable = false;
    int Index = -1;                       // element of an item array, -1 when none
    std::optional<std::string> Tag;       // nil until set

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    const std::string& KeyboardShortcut() const { return shortcut_; }
    void SetKeyboardShortcut(const std::string& shortcut);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    void Enable() { SetEnabled(true); }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    bool IsSeparator() const { return text_ == "-"; }
    // The text as shown: mnemonic markers removed, "&&" shown as one "&".
    std::string ShownText() const;
    // The mnemonic letter, or 0.
    char Mnemonic() const;
    // The shortcut as Qt key sequence; empty when none.
    QKeySequence Shortcut() const;
    static QKeySequence ShortcutFromText(const std::string& text);

    // Children (a menu's items, the bar's menus).
    void Append(const std::shared_ptr<MenuItem>& item);
    int Count() const { return static_cast<int>(children_.size()); }
    std::shared_ptr<MenuItem> Item(int index) const;
    // The direct child of that name, or nil.
    std::shared_ptr<MenuItem> Child(const std::string& name) const;
    // Searches the whole tree; index -1 matches any item.
    std::shared_ptr<MenuItem> _Lookup(const std::string& name, int index = -1) const;
    const std::vector<std::shared_ptr<MenuItem>>& Children() const { return children_; }
    // The item's first parent; an item appended elsewhere later keeps it.
    std::shared_ptr<MenuItem> Parent() const { return parent_.lock(); }
    // Whether the item hangs in a menu bar (its command is then the window's to run).
    bool InMenuBar() const;

    // Pops this menu up at a screen point through the user-interaction service and
    // returns the chosen item, or nil. A chosen item of the menu bar runs its command
    // in the active window exactly as a choice from the menu bar would.
    std::shared_ptr<MenuItem> PopUp(int x, int y);

    // Presentation: every Qt action showing this item follows its state.
    void BindAction(QAction* action);
    void SyncActions();

private:
    std::string text_;
    std::string shortcut_;
    bool enabled_ = true;
    bool checked_ = false;
    bool visible_ = true;
    std::vector<std::shared_ptr<MenuItem>> children_;
    std::weak_ptr<MenuItem> parent_;
    std::vector<QPointer<QAction>> actions_;
};

class QuitMenuItem : public MenuItem {
public:
    using MenuItem::MenuItem;
    Kind ItemKind() const override { return Kind::Quit; }
};

// The item that the platform shows in the application's own menu (About).
class AppleMenuItem : public MenuItem {
public:
    using MenuItem::MenuItem;
    Kind ItemKind() const override { return Kind::About; }
};

using MenuItemRef = std::shared_ptr<MenuItem>;

} // namespace fw
