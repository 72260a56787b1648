#include "interfacekit/ifkFontComboBoxMenu.h"

#include "framework/core/Exceptions.h"
#include "framework/core/MemoryBlock.h"
#include "framework/core/System.h"
#include "framework/graphics/Screen.h"
#include "interfacekit/InterfaceKitSupport.h"
#include "platform/carbon/CarbonLibrary.h"

#include <algorithm>

namespace {

constexpr char kDoubleQuote = 34;
constexpr char kReturn = 13;
constexpr char kLineFeed = 10;
constexpr char kEscape = 27;
} // namespace

std::shared_ptr<ifkFontComboBoxMenu> ifkFontComboBoxMenu::Instance() {
    return fw::ImplicitInstance<ifkFontComboBoxMenu>("ifkFontComboBoxMenu");
}

void ifkFontComboBoxMenu::Layout() {
    Title = "fontMenu";
    Width = 300;
    Height = 300;
    MinWidth = 64;
    MinHeight = 64;
    MaxWidth = 32000;
    MaxHeight = 32000;
    Frame = kFrameGlobalFloating;
    MacProcID = kProcPlain;
    Placement = 0;
    Visible = true;
    Composite = false;
    HasBackColor = false;
    BackColor = 0xFFFFFF;
    CloseButton = true;
    MinimizeButton = true;
    Resizeable = false;
    LiveResize = false;
    MaximizeButton = false;
    FullScreen = false;
    MenuBarVisible = true;
}

void ifkFontComboBoxMenu::CreateControls() { _CreateControls0(); }

void ifkFontComboBoxMenu::_CreateControls0() {
    auto list = std::make_shared<fw::Listbox>();
    AddControl("Listbox1", list);
    list->Left = 0;
    list->Top = 0;
    list->Width = 300;
    list->Height = 300;
    list->LockLeft = list->LockTop = list->LockRight = list->LockBottom = true;
    list->DefaultRowHeight = 18;
    list->ScrollBarVertical = true;
    list->ScrollbarHorizontal = false;
    list->AutoHideScrollbars = true;
    list->TextFont = "System";
    list->TextSize = 0;
    list->Border = true;
    list->TabIndex = 0;
    list->KeyDown = [this](const std::string& key) { return Listbox1_KeyDown(key); };
    list->CellClick = [this](int row, int column, int x, int y) { return Listbox1_CellClick(row, column, x, y); };
    list->CellTextPaint = [this](fw::Graphics& g, int row, int column, int x, int y) {
        return Listbox1_CellTextPaint(g, row, column, x, y);
    };

    CloseTimer = std::make_shared<fw::Timer>();
    AddTimer(CloseTimer);
    CloseTimer->Period = 10;
    CloseTimer->Action = [this] { CloseTimer_Action(); };
    CloseTimer->SetMode(fw::Timer::ModeMultiple);
}

bool ifkFontComboBoxMenu::Listbox1_KeyDown(const std::string& key) {
    if (key.size() != 1) return false;
    if (key[0] == kDoubleQuote || key[0] == kReturn || key[0] == kLineFeed) {
        rvalue = fw::Deref(Listbox1(), "Listbox1").Text();
        Close();
    } else if (key[0] == kEscape) {
        Close();
    }
    return false;
}

bool ifkFontComboBoxMenu::Listbox1_CellClick(int row, int /*column*/, int /*x*/, int /*y*/) {
    rvalue = fw::Deref(Listbox1(), "Listbox1").List(row);
    Close();
    return false;
}

bool ifkFontComboBoxMenu::Listbox1_CellTextPaint(fw::Graphics& g, int row, int /*column*/, int /*x*/,
                                                 int /*y*/) {
    // A face that cannot draw its own name (a symbol face draws pictures) leaves it in
    // the list's own face, so that every row can be read.
    const std::string name = fw::Deref(Listbox1(), "Listbox1").List(row);
    if (fw::FontDrawsText(name, name)) g.TextFont = name;
    return false;
}

void ifkFontComboBoxMenu::CloseTimer_Action() {
    if (!fw::System::MouseDown()) {
        buttonSeenUp_ = true;
        return;
    }
    if (!buttonSeenUp_) return;
    CloseTimer->SetMode(fw::Timer::ModeOff);
    Close();
}

void ifkFontComboBoxMenu::Event_Deactivate() { Close(); }

void ifkFontComboBoxMenu::Event_Open() {
    InterfaceKitSupport::_ChangeWindowStyle(*this, 0x800000, false);
    InterfaceKitSupport::_ChangeWindowStyle(*this, 0x400000, false);
}

void ifkFontComboBoxMenu::Event_MouseEnter() { CloseTimer->SetMode(fw::Timer::ModeOff); }

void ifkFontComboBoxMenu::Event_MouseExit() { CloseTimer->SetMode(fw::Timer::ModeMultiple); }

std::string ifkFontComboBoxMenu::Popup(int left, int top, int width, const std::string& current) {
    auto& list = fw::Deref(Listbox1(), "Listbox1");
    list.SetVisible(false);
    list.DeleteAllRows();
    const int n = fw::FontCount();
    for (int i = 0; i < n; ++i) list.AddRow(fw::Font(i));
    const int listHeight = list.ListCount() * list.DefaultRowHeight;

    SetLeft(left);
    SetTop(top);
    SetWidth(width);
    const auto screenRef = fw::Screen(isOnScreen());
    const auto& screen = fw::Deref(screenRef, "Screen");
    const int room = screen.AvailableHeight + screen.AvailableTop - Top();
    if (listHeight < room) {
        // Down to the bottom of the available area, not just the list's height.
        SetHeight(room);
    } else if (room < listHeight) {
        const int h = std::min(listHeight, screen.AvailableHeight);
        SetHeight(h);
        SetTop(screen.AvailableHeight - h + screen.AvailableTop);
    }

    rvalue = current;
    list.SetFocus();
    list.SortedColumn = 0;
    list.Sort();
    for (int i = 0; i < n; ++i) {
        if (list.List(i) == current) {
            list.SetListIndex(i);
            break;
        }
    }
    list.SetVisible(true);
    ShowModal();
    return rvalue;
}

int ifkFontComboBoxMenu::isOnScreen() {
    fw::MemoryBlock rect(16);
    int result = 0;
    auto greatestAreaDevice = fw::LookupFunction<carbon::GetWindowGreatestAreaDeviceFn>(
        "GetWindowGreatestAreaDevice", "Carbon");
    int32_t device = 0;
    if (greatestAreaDevice(this, carbon::kWindowContentRgn, &device, rect.Ptr()) == carbon::noErr) {
        const int top = static_cast<int16_t>(rect.UInt16Value(0));
        const int left = static_cast<int16_t>(rect.UInt16Value(2));
        for (int i = 0; i < fw::ScreenCount(); ++i) {
            const auto screen = fw::Screen(i);
            if (screen && screen->AvailableTop == top && screen->AvailableLeft == left) result = i;
        }
    }
    return result;
}
