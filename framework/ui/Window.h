#pragma once

#include "framework/core/Runtime.h"
#include "framework/core/RuntimeWindow.h"
#include "framework/core/Timer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Picture.h"
#include "framework/ui/Control.h"
#include "framework/ui/MenuBar.h"

#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QEventLoop;
class QMainWindow;

namespace fw {

// A document window. The program subclasses it: Layout gives the design
// properties, CreateControls adds the controls, AddMenuHandlers registers the menu
// commands by item name. Sections: design; life; controls; menus; events.
class Window : public RuntimeWindow, public std::enable_shared_from_this<Window> {
public:
    Window();
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The class name under which the runtime keeps the implicit instance.
    std::string ClassName() const override { return "Window"; }

    // --- design
    std::string Title;
    int Width = 300;
    int Height = 300;
    int MinWidth = 64;
    int MinHeight = 64;
    int MaxWidth = 32000;
    int MaxHeight = 32000;
    bool Resizeable = true;
    bool CloseButton = true;
    bool MinimizeButton = true;
    bool MaximizeButton = true;
    bool MenuBarVisible = true;
    bool FullScreen = false;
    bool Visible = true;
    bool HasBackColor = false;
    Color BackColor = 0xFFFFFF;
    int Frame = 0;
    int MacProcID = 0;
    // Where the window first shows. Only kPlacementParentWindowScreen is applied:
    // centred on the screen that holds the program's window in front. The first
    // window, and any other code, is placed by the window manager.
    int Placement = 0;
    static constexpr int kPlacementParentWindowScreen = 3;
    // Design properties stored as given but not applied: nothing here reads them.
    bool LiveResize = true;
    bool Composite = false;
    // The frame of a floating window that stays above the others, and the window
    // definition of a plain window without frame or title bar.
    static constexpr int kFrameGlobalFloating = 7;
    static constexpr int kProcPlain = 1104;
    std::shared_ptr<fw::MenuBar> MenuBar;

    // --- life
    // Builds the window (Layout, CreateControls, widgets, menu handlers), opens it
    // and raises the controls' and then the window's Open events.
    void Construct();
    bool IsOpen() const override { return open_; }
    // Closes the window unless its CancelClose cancels; true when it closed.
    bool Close();
    // The runtime's close during a quit: CancelClose(true) may cancel.
    bool CloseForQuit() override;
    void Minimize();
    // Paints what waits to be repainted, before returning.
    void UpdateNow();
    // Shows the window and brings it to the front.
    void Show();
    void BringToFront() override;
    // Shows the window modally: the other windows take no input, and the call
    // returns when the window has closed.
    void ShowModal();
    // Screen position of the content area.
    int Left() const;
    int Top() const;
    void SetLeft(int left);
    void SetTop(int top);
    // The content's size; controls locked to the right or bottom follow it.
    void SetWidth(int width);
    void SetHeight(int height);
    QWidget* Widget() const;
    QWidget* Content() const { return content_; }
    void DestroyWidget() override;

    // Window.Graphics: the window's content in window coordinates. While one of its
    // controls paints it draws into that control's pixels (ControlPaintScope);
    // otherwise nothing it draws is shown.
    Graphics& GetGraphics();
    // Framework: moves the graphics onto a painting control's pixels, the control's
    // top-left corner at `place`; gives back the frame to restore afterwards.
    Graphics::Frame BeginControlPaint(Picture& pixels, QPoint place);
    void EndControlPaint(const Graphics::Frame& previous);

    // --- controls
    void AddControl(const std::string& name, const ControlRef& control);
    ControlRef ControlByName(const std::string& name) const;
    template <typename T>
    std::shared_ptr<T> Find(const std::string& name) const {
        return std::dynamic_pointer_cast<T>(ControlByName(name));
    }
    const std::vector<ControlRef>& Controls() const { return controls_; }
    void AddTimer(const TimerRef& timer);
    ControlRef FocusedControl() const;

    // --- menus
    void _AddMenuHandler(const std::string& name, std::function<bool()> handler);
    bool HasMenuHandler(const std::string& name) const;
    // The focused control's own handlers first, then the window's handler, then
    // what the focused control does by itself, then the framework's own action
    // (Quit); true when handled.
    bool HandleMenuCommand(const std::string& name);
    // Whether the key is the shortcut of a bar item that this window handles; a
    // focused text field then leaves the key to the menu instead of acting itself.
    bool ClaimsShortcut(const QKeySequence& key) const;
    // A menu choice or shortcut: the menus are readied first, and a disabled item
    // does nothing.
    bool RunMenuItem(const MenuItemRef& item);
    // AutoEnable items are enabled, then the window's EnableMenuItems event.
    void EnableMenuItems();

    // --- events
    virtual void Layout() {}
    virtual void CreateControls() {}
    virtual void AddMenuHandlers(Window& /*w*/) {}
    virtual void Event_Open() {}
    virtual void Event_EnableMenuItems() {}
    virtual bool Event_CancelClose(bool /*appQuitting*/) { return false; }
    virtual void Event_Close() {}
    virtual void Event_Deactivate() {}
    virtual void Event_MouseEnter() {}
    virtual void Event_MouseExit() {}
    // A key that no control took, as a control's KeyDown gets it; true when handled.
    virtual bool Event_KeyDown(const std::string& /*key*/) { return false; }

    // A borderless floating window: a pop-up that the window manager leaves alone.
    bool IsPopup() const { return Frame == kFrameGlobalFloating && MacProcID == kProcPlain; }
    // A framed window without a menu bar of its own, which the Close key closes.
    bool ClosesOnCloseKey() const { return !IsPopup() && !(MenuBar && MenuBarVisible); }

    // Framework: the widget's close request; answers whether it may close.
    bool ClosingRequested();
    // Framework: Return and Escape that no control took push the default and
    // cancel buttons of the shown page.
    bool DefaultKey(bool cancelKey);
    // Framework: whether the window is being shown again to change its modality, so
    // that losing activation then is no deactivation of the program's.
    bool Reshowing() const { return reshowing_; }

private:
    Qt::WindowFlags QtWindowFlags() const;
    // Moves the window where its Placement puts it, before it first shows.
    void PlaceOnScreen();
    void BuildMenuBar();
    void ApplyTabOrder();
    void ResizeContent(int width, int height);

    QPointer<QMainWindow> widget_;
    QPointer<QWidget> content_;
    PictureRef unshown_;
    std::unique_ptr<Graphics> graphics_;
    int controlPaints_ = 0;
    std::vector<ControlRef> controls_;
    std::map<std::string, std::function<bool()>> menuHandlers_;
    std::vector<TimerRef> timers_;
    QPointer<QEventLoop> modalLoop_;
    bool open_ = false;
    bool placed_ = false;
    bool reshowing_ = false;
    bool closingForQuit_ = false;
};

using WindowRef = std::shared_ptr<Window>;

// The accessor of a window class: its one open instance, or a new one made and built
// from its design.
template <class W>
std::shared_ptr<W> ImplicitInstance(const std::string& className) {
    if (auto open = std::dynamic_pointer_cast<W>(Runtime::ImplicitInstance(className))) return open;
    auto window = std::make_shared<W>();
    window->Construct();
    return window;
}

} // namespace fw
