#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace fw {

class Window;

// A control of a window. Left and Top are content-area coordinates of the window,
// also for controls on a page panel: the panel groups its children into pages but
// does not move them. Design properties are plain fields given before the window
// builds its widgets; state the program changes later goes through setters.
class Control : public std::enable_shared_from_this<Control> {
public:
    virtual ~Control();

    std::string Name;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool LockLeft = false;
    bool LockTop = false;
    bool LockRight = false;
    bool LockBottom = false;
    int TabIndex = 0;
    bool TabStop = true;
    std::string HelpTag;
    std::string TextFont = "System";
    double TextSize = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    // The page panel holding the control (nil when none) and the page, from 1.
    std::shared_ptr<Control> Parent;
    int PanelIndex = 0;
    // Design properties stored as given but not applied: nothing here reads them.
    bool AutoDeactivate = true;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Whether the control's window is the active one.
    bool Active() const;

    std::function<void()> Open;
    virtual void Event_Open() {
        if (Open) Open();
    }

    Window* GetWindow() const { return window_; }
    QWidget* Widget() const { return widget_; }
    void SetFocus();
    bool HasFocus() const;

    // Menu handlers of the control itself; they serve while the control has the focus.
    void _AddMenuHandler(const std::string& name, std::function<bool()> handler);
    // While the control has the focus, its own handlers answer a menu command before
    // the window's; what the control does by itself (a text field's Copy) comes only
    // after the window's handlers declined.
    bool OwnMenuCommand(const std::string& name);
    bool DefaultMenuCommand(const std::string& name) { return BuiltInMenuCommand(name); }

    // Framework: builds the widget inside the window's content area.
    void Attach(Window* window, QWidget* content);
    // Whether the control shows now: visible itself and on the page its panel shows.
    bool Showing() const;
    void UpdateVisibility();

protected:
    virtual QWidget* CreateWidget(QWidget* parent) = 0;
    // Gives the new widget the design properties; signals are blocked meanwhile.
    virtual void ApplyDesign();
    virtual bool BuiltInMenuCommand(const std::string& /*name*/) { return false; }
    QFont DesignFont() const;

    Window* window_ = nullptr;
    QPointer<QWidget> widget_;

private:
    bool visible_ = true;
    bool enabled_ = true;
    bool focusWhenShown_ = false;
    std::map<std::string, std::function<bool()>> menuHandlers_;
};

using ControlRef = std::shared_ptr<Control>;

} // namespace fw
