#include "app/Stampora.h"

#include "app/MenuBar1.h"
#include "interfacekit/InterfaceKitSupport.h"
#include "interfacekit/ifkColorWell.h"
#include "interfacekit/ifkFontComboBox.h"

namespace {

template <typename T>
std::shared_ptr<T> Place(fw::Window& window, const std::shared_ptr<fw::PagePanel>& panel, const char* name,
                         int page, int left, int top, int width, int height, int locks, int tabIndex) {
    auto control = std::make_shared<T>();
    window.AddControl(name, control);
    control->Parent = panel;
    control->PanelIndex = page;
    control->Left = left;
    control->Top = top;
    control->Width = width;
    control->Height = height;
    // Locks as the digits L T R B.
    control->LockLeft = (locks / 1000) % 10 == 1;
    control->LockTop = (locks / 100) % 10 == 1;
    control->LockRight = (locks / 10) % 10 == 1;
    control->LockBottom = locks % 10 == 1;
    control->TabIndex = tabIndex;
    return control;
}

} // namespace

std::shared_ptr<Stampora> Stampora::Instance() {
    return fw::ImplicitInstance<Stampora>("Stampora");
}

Stampora::~Stampora() {
    thePicture.reset();
    PostMark.reset();
    imageOffset.reset();
    lastMouse.reset();
    Stamp.reset();
}

std::shared_ptr<ifkColorWell> Stampora::ifkColorWell1() const {
    return Find<ifkColorWell>("ifkColorWell1");
}

std::shared_ptr<ifkFontComboBox> Stampora::textTypeFace() const {
    return Find<ifkFontComboBox>("textTypeFace");
}

void Stampora::Layout() {
    MenuBar = MenuBar1::Instance();
    Width = 640;
    Height = 428;
    MinWidth = 64;
    MinHeight = 64;
    MaxWidth = 32000;
    MaxHeight = 32000;
    Title = "Quorvine's Stampora";
    Resizeable = false;
    LiveResize = false;
    CloseButton = true;
    MinimizeButton = true;
    MaximizeButton = false;
    MenuBarVisible = true;
    FullScreen = false;
    Visible = true;
    Composite = true;
    HasBackColor = false;
    BackColor = 0xFFFFFF;
    Placement = 3;
    Frame = 0;
    MacProcID = 0;
}

void Stampora::CreateControls() { _CreateControls0(); }

void Stampora::_CreateControls0() {
    auto panel = std::make_shared<fw::PagePanel>();
    AddControl("PagePanel1", panel);
    panel->Left = -7;
    panel->Top = 0;
    panel->Width = 654;
    panel->Height = 428;
    panel->TabIndex = 6;
    panel->PanelCount = 2;
    panel->SetValue(0);

    auto well = Place<ifkColorWell>(*this, panel, "ifkColorWell1", 1, 369, 20, 30, 22, 0, 0);
    well->AcceptFocus = false;
    well->AcceptTabs = false;
    well->EraseBackground = true;
    well->Default = false;
    well->SetType(0);
    well->SetValue(false);
    well->SetCaption("Untitled");
    well->SetTextAlignment(ifkAlignCenter);
    well->UnderLine = false;
    well->iconPlacement = 0;
    well->SetcolorValue(0x000000);
    well->Changed = [this] { ifkColorWell1_Changed(); };

    auto text = Place<fw::EditField>(*this, panel, "textField", 1, 14, 20, 343, 22, 1010, 2);
    text->Border = true;
    text->Multiline = false;
    text->ScrollbarHorizontal = false;
    text->ScrollbarVertical = true;
    text->Styled = false;
    text->Password = false;
    text->ReadOnly = false;
    text->UseFocusRing = true;
    text->TextColor = 0x000000;
    text->BackColor = 0xFFFFFF;
    text->LimitText = 0;
    text->AcceptTabs = false;
    text->Alignment = fw::EditField::AlignDefault;
    text->SetText("Type Your Message Here");
    text->TextChange = [this] { textField_TextChange(); };

    auto canvas = Place<fw::Canvas>(*this, panel, "DisplayArea", 1, 0, 56, 640, 316, 1, 3);
    canvas->AcceptFocus = true;
    canvas->UseFocusRing = true;
    canvas->AcceptTabs = false;
    canvas->EraseBackground = false;
    canvas->Paint = [this](fw::Graphics& g) { DisplayArea_Paint(g); };
    canvas->KeyDown = [this](const std::string& key) { return DisplayArea_KeyDown(key); };
    canvas->MouseDown = [this](int x, int y) { return DisplayArea_MouseDown(x, y); };
    canvas->MouseDrag = [this](int x, int y) { DisplayArea_MouseDrag(x, y); };
    canvas->Open = [this] { DisplayArea_Open(); };
    canvas->MouseUp = [this](int x, int y) { DisplayArea_MouseUp(x, y); };
    canvas->DropObject = [this](const fw::DragItemRef& item, int action) {
        DisplayArea_DropObject(item, action);
    };

    auto send = Place<fw::PushButton>(*this, panel, "SaveButton", 1, 480, 388, 140, 20, 1, 4);
    send->Caption = "Send Zinglet";
    send->Default = true;
    send->Cancel = false;
    send->Action = [this] { SaveButton_Action(); };

    auto mail = Place<fw::PopupMenu>(*this, panel, "eMailApplication", 1, 20, 387, 280, 20, 0, 5);
    mail->SetInitialValue("Apple Mail\rMicrosoft Entourage\rBare Bones Mailsmith\rEudora\rGyazMail");
    mail->SetListIndex(0);
    mail->MouseDown = [this](int x, int y) { return eMailApplication_MouseDown(x, y); };

    auto viewer = Place<fw::HTMLViewer>(*this, panel, "HTMLViewer1", 2, 0, 16, 640, 364, 1111, 0);
    // While the viewer has the focus these Edit items act on the web page. The page
    // is read-only: Paste, Cut and Delete are taken by the viewer and change nothing,
    // so they never reach the card's own commands.
    std::weak_ptr<fw::HTMLViewer> weakViewer = viewer;
    auto copy = [weakViewer] { auto v = weakViewer.lock(); return v && v->Copy(); };
    auto readOnly = [weakViewer] { return !weakViewer.expired(); };
    viewer->_AddMenuHandler("EditCopy", copy);
    viewer->_AddMenuHandler("EditPaste", readOnly);
    viewer->_AddMenuHandler("EditSelectAll", [weakViewer] { auto v = weakViewer.lock(); return v && v->SelectAll(); });
    viewer->_AddMenuHandler("EditCut", readOnly);
    viewer->_AddMenuHandler("EditClear", readOnly);
    viewer->CancelLoad = [this](const std::string& url) { return HTMLViewer1_CancelLoad(url); };

    auto more = Place<fw::PushButton>(*this, panel, "MorInfoButton", 2, 303, 392, 160, 20, 1, 1);
    more->Caption = "More Information...";
    more->Default = false;
    more->Cancel = false;
    more->Action = [this] { MorInfoButton_Action(); };

    auto download = Place<fw::PushButton>(*this, panel, "DownloadNowButton", 2, 475, 392, 140, 20, 11, 2);
    download->Caption = "Download Now!";
    download->Default = true;
    download->Cancel = false;
    download->Action = [this] { DownloadNowButton_Action(); };

    auto close = Place<fw::PushButton>(*this, panel, "CancelButton", 2, 25, 392, 80, 20, 11, 3);
    close->Caption = "Close";
    close->Default = false;
    close->Cancel = false;
    close->Action = [this] { CancelButton_Action(); };

    auto face = Place<ifkFontComboBox>(*this, panel, "textTypeFace", 1, 411, 20, 153, 20, 10, 6);
    face->UseFocusRing = true;
    face->AutoComplete = true;
    face->MenuOpen = false;
    face->SetInitialValue("Papyrus");
    face->SetListIndex(0);
    face->TextChanged = [this] { textTypeFace_TextChanged(); };
    face->Change = [this] { textTypeFace_Change(); };

    auto size = Place<fw::ComboBox>(*this, panel, "textSizeField", 1, 576, 20, 50, 20, 0, 7);
    size->UseFocusRing = true;
    size->AutoComplete = false;
    size->SetInitialValue("8\r10\r12\r14\r18\r20\r24\r36\r48\r60\r72");
    size->SetListIndex(6);
    size->Change = [this] { textSizeField_Change(); };
    size->TextChanged = [this] { textSizeField_TextChanged(); };
}

void Stampora::textTypeFace_TextChanged() { UpdatePreview(); }
void Stampora::textTypeFace_Change() { UpdatePreview(); }
void Stampora::textSizeField_Change() { UpdatePreview(); }
void Stampora::textSizeField_TextChanged() { UpdatePreview(); }
