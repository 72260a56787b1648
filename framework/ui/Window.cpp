#include "framework/ui/Window.h"

#include "framework/core/Exceptions.h"
#include "framework/core/Runtime.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/PushButton.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace fw {

namespace {

class WindowWidget : public QMainWindow {
public:
    explicit WindowWidget(Window* owner) : owner_(owner) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        bool mayClose = true;
        Runtime::Dispatch([&] { mayClose = owner_->ClosingRequested(); });
        if (mayClose) event->accept();
        else event->ignore();
    }

    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        bool used = false;
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            Runtime::Dispatch([&] { used = owner_->DefaultKey(key == Qt::Key_Escape); });
        if (!used) {
            const std::string text = KeyTextFor(key, event->text().toStdString());
            if (!text.empty()) Runtime::Dispatch([&] { used = owner_->Event_KeyDown(text); });
        }
        // Where a menu bar is shared by every window, its Close closes whichever window
        // is in front; a window that shows none of its own keeps that key.
        if (!used && owner_->ClosesOnCloseKey() && event->matches(QKeySequence::Close)) {
            used = true;
            close();
        }
        if (!used) QMainWindow::keyPressEvent(event);
    }

    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible() &&
            !owner_->Reshowing())
            Runtime::Dispatch([this] { owner_->Event_Deactivate(); });
        QMainWindow::changeEvent(event);
    }

    // Whatever hides a pop-up ends it, so that no hidden window keeps a modal loop
    // waiting for it.
    void hideEvent(QHideEvent* event) override {
        if (windowType() == Qt::Popup && owner_->IsOpen()) close();
        QMainWindow::hideEvent(event);
    }

    void enterEvent(QEnterEvent* event) override {
        Runtime::Dispatch([this] { owner_->Event_MouseEnter(); });
        QMainWindow::enterEvent(event);
    }

    void leaveEvent(QEvent* event) override {
        Runtime::Dispatch([this] { owner_->Event_MouseExit(); });
        QMainWindow::leaveEvent(event);
    }

private:
    Window* owner_;
};

bool IsProgramWindow(const QWindow* window) {
    const auto windows = Runtime::Windows();
    return window && std::any_of(windows.begin(), windows.end(), [window](const auto& w) {
        const auto* own = dynamic_cast<const Window*>(w.get());
        return own && own->Widget() && own->Widget()->windowHandle() == window;
    });
}

QAction::MenuRole RoleOf(const MenuItem& item) {
    switch (item.ItemKind()) {
    case MenuItem::Kind::Quit: return QAction::QuitRole;
    case MenuItem::Kind::About: return QAction::AboutRole;
    case MenuItem::Kind::Normal: break;
    }
    // No guessing from the text: only the two items above move on macOS.
    return QAction::NoRole;
}

} // namespace

Window::Window() = default;

Window::~Window() { DestroyWidget(); }

void Window::Construct() {
    Layout();
    CreateControls();

    auto* widget = new WindowWidget(this);
    widget_ = widget;
    widget->setWindowTitle(QString::fromStdString(Title));
    content_ = new QWidget(widget);
    content_->setObjectName("content");
    widget->setCentralWidget(content_);
    if (HasBackColor) {
        QPalette palette = content_->palette();
        palette.setColor(QPalette::Window, BackColor.ToQColor());
        content_->setPalette(palette);
        content_->setAutoFillBackground(true);
    }
    if (Resizeable) {
        content_->setMinimumSize(MinWidth, MinHeight);
        content_->setMaximumSize(MaxWidth, MaxHeight);
        content_->resize(Width, Height);
    } else {
        content_->setFixedSize(Width, Height);
    }
    widget->setWindowFlags(QtWindowFlags());

    for (const auto& control : controls_) control->Attach(this, content_);
    ApplyTabOrder();
    BuildMenuBar();
    AddMenuHandlers(*this);
    // A window that cannot be resized is exactly its content and menu bar, with equal
    // minimum and maximum sizes, so that the window manager offers neither resizing by
    // the frame nor maximising.
    if (!Resizeable) widget->layout()->setSizeConstraint(QLayout::SetFixedSize);

    Runtime::AddWindow(shared_from_this());
    open_ = true;
    // A pop-up takes the pointer and the keyboard the moment it shows, so it shows only
    // once it has been placed; its platform window exists already, so that placing it
    // works as for a window on screen.
    if (IsPopup()) {
        widget->winId();
        // Another program or another window coming to the front deactivates the
        // pop-up; Qt tells it nothing, since a pop-up never holds the focus itself.
        // One of the program's windows taking the focus is no deactivation: a click
        // on an inactive window both opens the list and, a moment later, activates it.
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, widget, [this, widget](QWindow* focus) {
            if (widget->isVisible() && !IsProgramWindow(focus)) Runtime::Dispatch([this] { Event_Deactivate(); });
        });
    } else if (Visible) {
        PlaceOnScreen();
        if (FullScreen) widget->showFullScreen();
        else widget->show();
    }
    for (const auto& control : controls_) Runtime::Dispatch([&] { control->Event_Open(); });
    Runtime::Dispatch([&] { Event_Open(); });
}

void Window::PlaceOnScreen() {
    if (placed_ || !widget_ || widget_->isVisible()) return;
    placed_ = true;
    if (Placement != kPlacementParentWindowScreen || IsPopup()) return;
    // The parent is the program's window in front, else any of its windows on screen.
    // Its frame tells how large the window manager will make this one's; with no
    // framed window yet that size is unknown until the window shows, so the first
    // window is left to the window manager, which centres it as well.
    QWidget* parent = nullptr;
    for (const auto& open : Runtime::Windows()) {
        const auto* other = dynamic_cast<const Window*>(open.get());
        QWidget* shown = other && other != this ? other->Widget() : nullptr;
        if (!shown || !shown->isVisible() || other->IsPopup()) continue;
        if (!parent || shown->isActiveWindow()) parent = shown;
    }
    if (!parent || !parent->screen()) return;
    const QRect inner = parent->geometry();
    const QRect outer = parent->frameGeometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    widget_->adjustSize();
    const QSize size = widget_->size().grownBy(frame);
    const QRect area = parent->screen()->availableGeometry();
    // A move of a top-level widget places its frame.
    widget_->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

Qt::WindowFlags Window::QtWindowFlags() const {
    // A borderless floating window is a pop-up on X11: the window manager neither
    // decorates nor places it, it stays above the others and takes no taskbar entry,
    // and the window that opened it keeps its active look.
    if (IsPopup()) return Qt::Popup;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if (Frame == kFrameGlobalFloating) flags |= Qt::WindowStaysOnTopHint;
    // Qt gives a window that asks for any title-bar button its title bar back, so a
    // window without a frame asks for none.
    if (MacProcID == kProcPlain) return flags | Qt::FramelessWindowHint;
    flags |= Qt::WindowTitleHint;
    if (CloseButton) flags |= Qt::WindowCloseButtonHint;
    if (MinimizeButton) flags |= Qt::WindowMinimizeButtonHint;
    if (MaximizeButton && Resizeable) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

void Window::ApplyTabOrder() {
    std::vector<ControlRef> order;
    for (const auto& c : controls_)
        if (c->Widget() && c->Widget()->focusPolicy() != Qt::NoFocus) order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlRef& a, const ControlRef& b) { return a->TabIndex < b->TabIndex; });
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1]->Widget(), order[i]->Widget());
}

void Window::BuildMenuBar() {
    if (!MenuBar || !MenuBarVisible) return;
    QMenuBar* bar = widget_->menuBar();
    for (const auto& menu : MenuBar->Children()) {
        QMenu* qmenu = bar->addMenu(QString::fromStdString(menu->Text()));
        QObject::connect(qmenu, &QMenu::aboutToShow, qmenu,
                         [this] { Runtime::Dispatch([this] { EnableMenuItems(); }); });
        for (const auto& item : menu->Children()) {
            QAction* action = qmenu->addAction(QString());
            action->setMenuRole(RoleOf(*item));
            action->setShortcutContext(Qt::WindowShortcut);
            item->BindAction(action);
            std::weak_ptr<MenuItem> weak = item;
            QObject::connect(action, &QAction::triggered, action, [this, weak] {
                if (auto it = weak.lock()) Runtime::Dispatch([&] { RunMenuItem(it); });
            });
        }
    }
}

bool Window::Close() {
    if (!widget_ || !open_) return false;
    return widget_->close();
}

bool Window::CloseForQuit() {
    if (!widget_ || !open_) return true;
    if (Event_CancelClose(true)) return false;
    closingForQuit_ = true;
    const bool closed = widget_->close();
    closingForQuit_ = false;
    return closed;
}

bool Window::ClosingRequested() {
    if (!closingForQuit_ && Event_CancelClose(false)) return false;
    open_ = false;
    for (const auto& timer : timers_) timer->SetMode(Timer::ModeOff);
    Event_Close();
    if (modalLoop_) modalLoop_->quit();
    return true;
}

void Window::Show() {
    if (!widget_ || !open_) return;
    PlaceOnScreen();
    widget_->show();
    widget_->raise();
    if (!IsPopup()) widget_->activateWindow();
}

void Window::ShowModal() {
    if (!widget_ || !open_) return;
    if (IsPopup()) {
        // Qt routes every press and key to an open pop-up and closes it on a press
        // outside, so it needs no modality.
        Show();
    } else if (widget_->isVisible()) {
        // Qt takes a new modality only when the window is shown anew.
        reshowing_ = true;
        widget_->hide();
        widget_->setWindowModality(Qt::ApplicationModal);
        Show();
        reshowing_ = false;
    } else {
        widget_->setWindowModality(Qt::ApplicationModal);
        Show();
    }
    QEventLoop loop;
    modalLoop_ = &loop;
    if (open_) loop.exec();
    modalLoop_ = nullptr;
}

void Window::SetLeft(int left) {
    if (widget_) widget_->move(widget_->pos() + QPoint(left - Left(), 0));
}

void Window::SetTop(int top) {
    if (widget_) widget_->move(widget_->pos() + QPoint(0, top - Top()));
}

void Window::SetWidth(int width) { ResizeContent(width, Height); }

void Window::SetHeight(int height) { ResizeContent(Width, height); }

void Window::ResizeContent(int width, int height) {
    width = std::clamp(width, MinWidth, MaxWidth);
    height = std::clamp(height, MinHeight, MaxHeight);
    const int dw = width - Width;
    const int dh = height - Height;
    Width = width;
    Height = height;
    for (const auto& c : controls_) {
        if (c->LockRight) (c->LockLeft ? c->Width : c->Left) += dw;
        if (c->LockBottom) (c->LockTop ? c->Height : c->Top) += dh;
        if (c->Widget()) c->Widget()->setGeometry(c->Left, c->Top, c->Width, c->Height);
    }
    if (!content_) return;
    if (Resizeable) {
        content_->resize(Width, Height);
        widget_->adjustSize();
    } else {
        content_->setFixedSize(Width, Height);
        widget_->layout()->activate();
    }
}

void Window::Minimize() {
    if (widget_) widget_->showMinimized();
}

void Window::BringToFront() {
    if (!widget_ || !open_) return;
    widget_->setWindowState(widget_->windowState() & ~Qt::WindowMinimized);
    Show();
}


int Window::Left() const { return content_ ? content_->mapToGlobal(QPoint(0, 0)).x() : 0; }
int Window::Top() const { return content_ ? content_->mapToGlobal(QPoint(0, 0)).y() : 0; }

QWidget* Window::Widget() const { return widget_; }

void Window::UpdateNow() {
    if (widget_) QCoreApplication::sendPostedEvents(widget_, QEvent::UpdateRequest);
}

Graphics& Window::GetGraphics() {
    if (!graphics_) {
        unshown_ = std::make_shared<Picture>(1, 1, 32);
        graphics_ = std::make_unique<Graphics>(unshown_.get());
    }
    if (controlPaints_ == 0) {
        const QSize size = content_ ? content_->size() : QSize(Width, Height);
        graphics_->SetFrame({unshown_.get(), QPoint(), size});
    }
    return *graphics_;
}

Graphics::Frame Window::BeginControlPaint(Picture& pixels, QPoint place) {
    Graphics& g = GetGraphics();
    const Graphics::Frame previous = g.CurrentFrame();
    g.SetFrame({&pixels, -place, QSize(g.Width(), g.Height())});
    ++controlPaints_;
    return previous;
}

void Window::EndControlPaint(const Graphics::Frame& previous) {
    --controlPaints_;
    graphics_->SetFrame(previous);
}

void Window::DestroyWidget() {
    open_ = false;
    if (widget_) delete widget_.data();
}

void Window::AddControl(const std::string& name, const ControlRef& control) {
    Deref(control);
    control->Name = name;
    controls_.push_back(control);
}

void Window::AddTimer(const TimerRef& timer) {
    Deref(timer);
    timers_.push_back(timer);
}

ControlRef Window::ControlByName(const std::string& name) const {
    for (const auto& control : controls_)
        if (control->Name == name) return control;
    return nullptr;
}

ControlRef Window::FocusedControl() const {
    for (const auto& control : controls_)
        if (control->HasFocus()) return control;
    return nullptr;
}

void Window::_AddMenuHandler(const std::string& name, std::function<bool()> handler) {
    menuHandlers_[name] = std::move(handler);
}

bool Window::HasMenuHandler(const std::string& name) const { return menuHandlers_.count(name) > 0; }

bool Window::HandleMenuCommand(const std::string& name) {
    const auto focused = FocusedControl();
    if (focused && focused->OwnMenuCommand(name)) return true;
    if (auto it = menuHandlers_.find(name); it != menuHandlers_.end() && it->second) {
        if (it->second()) return true;
    }
    if (focused && focused->DefaultMenuCommand(name)) return true;
    if (MenuBar) {
        auto item = MenuBar->_Lookup(name);
        if (item && item->ItemKind() == MenuItem::Kind::Quit) {
            Runtime::Quit();
            return true;
        }
    }
    return false;
}

bool Window::ClaimsShortcut(const QKeySequence& key) const {
    if (!MenuBar || !MenuBarVisible || key.isEmpty()) return false;
    std::function<bool(const MenuItemRef&)> claims = [&](const MenuItemRef& item) {
        if (item->Shortcut() == key && HasMenuHandler(item->Name)) return true;
        return std::any_of(item->Children().begin(), item->Children().end(), claims);
    };
    return std::any_of(MenuBar->Children().begin(), MenuBar->Children().end(), claims);
}

bool Window::RunMenuItem(const MenuItemRef& item) {
    Deref(item);
    EnableMenuItems();
    if (!item->Enabled()) return false;
    return HandleMenuCommand(item->Name);
}

void Window::EnableMenuItems() {
    if (MenuBar) {
        std::function<void(const MenuItemRef&)> enable = [&](const MenuItemRef& item) {
            if (item->AutoEnable) item->SetEnabled(true);
            for (const auto& child : item->Children()) enable(child);
        };
        for (const auto& menu : MenuBar->Children()) enable(menu);
    }
    Event_EnableMenuItems();
}

bool Window::DefaultKey(bool cancelKey) {
    for (const auto& control : controls_) {
        auto button = std::dynamic_pointer_cast<PushButton>(control);
        if (!button || !button->Showing() || !button->Enabled()) continue;
        if (cancelKey ? button->Cancel : button->Default) {
            button->Push();
            return true;
        }
    }
    return false;
}

} // namespace fw
