#include "interfacekit/ifkAboutBox.h"

#include "framework/core/Application.h"
#include "framework/core/Exceptions.h"
#include "framework/core/MemoryBlock.h"
#include "framework/core/Runtime.h"
#include "framework/core/System.h"
#include "framework/core/TextFunctions.h"
#include "platform/carbon/CarbonDrawing.h"
#include "platform/carbon/CarbonIcons.h"

namespace {

std::shared_ptr<fw::StaticText> Label(fw::Window& window, const char* name, int top, int height, double size,
                                      bool bold, bool multiline, const char* text, int tabIndex) {
    auto label = std::make_shared<fw::StaticText>();
    window.AddControl(name, label);
    label->Left = 20;
    label->Top = top;
    label->Width = 243;
    label->Height = height;
    label->TextFont = "System";
    label->TextSize = size;
    label->Bold = bold;
    label->Multiline = multiline;
    label->TextAlign = fw::StaticText::AlignCenter;
    label->TextColor = 0x000000;
    label->TabIndex = tabIndex;
    label->SetText(text);
    return label;
}

} // namespace

std::shared_ptr<ifkAboutBox> ifkAboutBox::Instance() {
    return fw::ImplicitInstance<ifkAboutBox>("ifkAboutBox");
}

std::string ifkAboutBox::kVersion() { return fw::System::_GetLocalizedString("ifkAboutBox.kVersion", "Version"); }
std::string ifkAboutBox::kOn() { return fw::System::_GetLocalizedString("ifkAboutBox.kOn", "on"); }

void ifkAboutBox::Layout() {
    Title = "";
    Width = 283;
    Height = 230;
    MinWidth = 283;
    MinHeight = 177;
    MaxWidth = 283;
    MaxHeight = 32000;
    Frame = 0;
    Placement = kPlacementParentWindowScreen;
    Visible = false;
    Composite = true;
    HasBackColor = false;
    CloseButton = true;
    Resizeable = false;
    LiveResize = false;
    MaximizeButton = false;
    MinimizeButton = false;
    FullScreen = false;
    MenuBarVisible = true;
    MacProcID = 0;
}

void ifkAboutBox::CreateControls() { _CreateControls0(); }

void ifkAboutBox::_CreateControls0() {
    Label(*this, "Name", 84, 20, 14, true, false, "#Applicationname", 0);
    auto version = Label(*this, "appVer", 107, 20, 10, false, false, "Version 3.0.6 (409)", 1);
    version->MouseDown = [this](int x, int y) { return appVer_MouseDown(x, y); };
    Label(*this, "Copyright", 185, 38, 10, false, true, "#AboutBoxCredits", 2);

    auto icon = std::make_shared<fw::Canvas>();
    AddControl("appIcon", icon);
    icon->Left = 109;
    icon->Top = 8;
    icon->Width = 64;
    icon->Height = 64;
    icon->TabIndex = 3;
    icon->TabStop = true;
    icon->UseFocusRing = true;
    icon->AcceptFocus = false;
    icon->AcceptTabs = false;
    icon->EraseBackground = true;
    icon->Paint = [this](fw::Graphics& g) { appIcon_Paint(g); };

    Label(*this, "Information", 131, 42, 11, false, true, "#AboutBoxTagLine", 4);
}

void ifkAboutBox::setAppText() {
    const auto app = fw::Runtime::getAppObject();
    const auto& a = fw::Deref(app, "App");
    std::string text;
    if (appTextID == 0) {
        text = kVersion() + " " + a.ShortVersion;
    } else {
        text = kVersion() + " " + std::to_string(a.MajorVersion) + "." + std::to_string(a.MinorVersion) + "." +
               std::to_string(a.BugVersion) + ", " + "Build" + " " + std::to_string(a.NonReleaseVersion) + ", " +
               kOn() + " " + fw::Deref(a.BuildDate(), "BuildDate").AbbreviatedDate();
    }
    fw::Deref(appVer(), "appVer").SetText(text);
    appTextID = appTextID == 0 ? 1 : 0;
}

bool ifkAboutBox::appVer_MouseDown(int /*X*/, int /*Y*/) {
    setAppText();
    return false;
}

void ifkAboutBox::Event_Open() {
    setAppText();
    fw::MemoryBlock block(4);
    const auto app = fw::Runtime::getAppObject();
    const uint32_t creator = fw::StringToOSType(fw::Deref(fw::Deref(app, "App").ExecutableFile()).MacCreator());
    const uint32_t type = fw::StringToOSType("APPL");
    if (carbon::GetIconRef(carbon::kOnSystemDisk, creator, type, reinterpret_cast<carbon::IconRef*>(block.Ptr())) ==
        carbon::noErr)
        myIconRef = static_cast<int32_t>(block.UInt32Value(0));
}

void ifkAboutBox::appIcon_Paint(fw::Graphics& /*g*/) {
    fw::MemoryBlock labelColor(6);
    fw::MemoryBlock rect(16);
    if (!carbon::IsValidIconRef(myIconRef)) return;
    // The window's Core Graphics units: origin at the bottom-left of the content.
    const auto& icon = fw::Deref(appIcon(), "appIcon");
    rect.SetSingleValue(0, static_cast<float>(icon.Left));
    rect.SetSingleValue(4, static_cast<float>(Height - (icon.Top + icon.Height)));
    rect.SetSingleValue(8, static_cast<float>(icon.Width));
    rect.SetSingleValue(12, static_cast<float>(icon.Height));
    const int32_t port = GetGraphics().Handle(fw::Graphics::kPortHandle);
    int32_t context = 0;
    if (carbon::QDBeginCGContext(port, &context) == carbon::noErr) {
        carbon::PlotIconRefInContext(context, rect.Ptr(), 0, 0, labelColor.Ptr(), 0, myIconRef);
        carbon::QDEndCGContext(port, &context);
    }
}

bool ifkAboutBox::Event_KeyDown(const std::string& key) {
    // The box has no Cancel button to take Escape, so the window takes it.
    if (key != std::string(1, fw::kKeyEscape)) return false;
    Close();
    return true;
}

void ifkAboutBox::Event_Close() {
    // Nothing to give back when no icon was obtained.
    if (myIconRef != 0) carbon::ReleaseIconRef(myIconRef);
    myIconRef = 0;
}
