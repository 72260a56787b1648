#include "app/MenuBar1.h"

std::shared_ptr<MenuBar1> MenuBar1::_implicitInstance;

namespace {

// The table's "not set" leaves the shortcut alone; "empty" sets the empty text.
enum class Shortcut { NotSet, Given };

template <typename Item = fw::MenuItem>
std::shared_ptr<fw::MenuItem> MakeItem(const char* name, const char* text, Shortcut set,
                                       const char* shortcut = "", int index = -1) {
    auto item = std::make_shared<Item>();
    item->Name = name;
    item->AutoEnable = true;
    if (index >= 0) item->Index = index;
    item->SetText(text);
    if (set == Shortcut::Given) item->SetKeyboardShortcut(shortcut);
    return item;
}

} // namespace

std::shared_ptr<MenuBar1> MenuBar1::Instance() {
    if (!_implicitInstance) {
        _implicitInstance = std::make_shared<MenuBar1>();
        _implicitInstance->Constructor();
    }
    return _implicitInstance;
}

void MenuBar1::Release() { _implicitInstance.reset(); }

void MenuBar1::Constructor() {
    Untitled0();
    Untitled1();
    Untitled2();
    Untitled3();
}

void MenuBar1::Untitled0() {
    Append(MakeItem("FileMenu", "&File", Shortcut::Given));
    auto add = [this](std::shared_ptr<fw::MenuItem> item) { Child("FileMenu")->Append(item); };
    add(MakeItem("FileImport", "Import...", Shortcut::Given, "Cmd+O"));
    add(MakeItem("FileClose", "Close", Shortcut::Given, "Cmd+W"));
    add(MakeItem("UntitledSeparator3", "-", Shortcut::NotSet));
    add(MakeItem("FileSave", "Save...", Shortcut::Given, "Cmd+S"));
    add(MakeItem<fw::QuitMenuItem>("FileQuit", "&Quit", Shortcut::Given, "Cmd+Q"));
}

void MenuBar1::Untitled1() {
    Append(MakeItem("EditMenu", "&Edit", Shortcut::Given));
    auto add = [this](std::shared_ptr<fw::MenuItem> item) { Child("EditMenu")->Append(item); };
    add(MakeItem("EditUndo", "&Undo", Shortcut::Given, "Cmd+Z"));
    add(MakeItem("UntitledMenu1", "-", Shortcut::NotSet));
    add(MakeItem("EditCut", "Cu&t", Shortcut::Given, "Cmd+X"));
    add(MakeItem("EditCopy", "&Copy", Shortcut::Given, "Cmd+C"));
    add(MakeItem("EditPaste", "&Paste", Shortcut::Given, "Cmd+V"));
    add(MakeItem("EditClear", "&Delete", Shortcut::Given));
    add(MakeItem("UntitledMenu0", "-", Shortcut::NotSet));
    add(MakeItem("EditSelectAll", "Select &All", Shortcut::Given, "Cmd+A"));
    add(MakeItem("UntitledSeparator2", "-", Shortcut::NotSet));
    add(MakeItem("EditScaleToFit", "Scale To Fit", Shortcut::Given));
    add(MakeItem("EditPostMark", "Post Mark", Shortcut::Given));
    add(MakeItem("EditChooseStampImage", "Choose Stamp Image...", Shortcut::Given));
}

void MenuBar1::Untitled2() {
    Append(MakeItem("WindowMenu", "Window", Shortcut::Given));
    auto add = [this](std::shared_ptr<fw::MenuItem> item) { Child("WindowMenu")->Append(item); };
    add(MakeItem("WindowMinimize", "Minimize", Shortcut::Given, "Cmd+M"));
    add(MakeItem("WindowZoom", "Zoom", Shortcut::Given, "Cmd+Control+Z"));
    add(MakeItem("UntitledSeparator", "-", Shortcut::NotSet));
    add(MakeItem("WindowBringAllToFront", "Bring All To Front", Shortcut::Given));
    add(MakeItem("UntitledSeparator0", "-", Shortcut::NotSet));
    add(MakeItem("WindowMenuItem", "WindowItem", Shortcut::Given, "", 0));
}

void MenuBar1::Untitled3() {
    Append(MakeItem("HelpMenu", "Help", Shortcut::Given));
    auto add = [this](std::shared_ptr<fw::MenuItem> item) { Child("HelpMenu")->Append(item); };
    add(MakeItem("HelpPixalunePhotosWebPage", "Stampora Web Page", Shortcut::Given));
    add(MakeItem("UntitledSeparator1", "-", Shortcut::NotSet));
    add(MakeItem("HelpServiceSupport", "Service && Support", Shortcut::Given));
    add(MakeItem<fw::AppleMenuItem>("HelpAboutStampora", "About Stampora", Shortcut::Given));
}
