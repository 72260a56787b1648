#include "app/Stampora.h"

#include "app/IMageFiles.h"
#include "framework/core/Exceptions.h"
#include "framework/core/SpecialFolder.h"
#include "framework/graphics/Clipboard.h"
#include "framework/ui/UserInteraction.h"
#include "interfacekit/ifkAboutBox.h"

fw::MenuItemRef Stampora::Lookup(const std::string& name, int index) const {
    // Items are looked up on every use; the window keeps no reference to them.
    return fw::Deref(MenuBar, "MenuBar")._Lookup(name, index);
}

fw::MenuItemRef Stampora::HelpMenu() const { return Lookup("HelpMenu"); }
std::shared_ptr<fw::AppleMenuItem> Stampora::HelpAboutStampora() const {
    return std::dynamic_pointer_cast<fw::AppleMenuItem>(Lookup("HelpAboutStampora"));
}
fw::MenuItemRef Stampora::HelpServiceSupport() const { return Lookup("HelpServiceSupport"); }
fw::MenuItemRef Stampora::UntitledSeparator1() const { return Lookup("UntitledSeparator1"); }
fw::MenuItemRef Stampora::HelpPixalunePhotosWebPage() const { return Lookup("HelpPixalunePhotosWebPage"); }
fw::MenuItemRef Stampora::WindowMenu() const { return Lookup("WindowMenu"); }
fw::MenuItemRef Stampora::WindowMenuItem(int index) const { return Lookup("WindowMenuItem", index); }
fw::MenuItemRef Stampora::UntitledSeparator0() const { return Lookup("UntitledSeparator0"); }
fw::MenuItemRef Stampora::WindowBringAllToFront() const { return Lookup("WindowBringAllToFront"); }
fw::MenuItemRef Stampora::UntitledSeparator() const { return Lookup("UntitledSeparator"); }
fw::MenuItemRef Stampora::WindowZoom() const { return Lookup("WindowZoom"); }
fw::MenuItemRef Stampora::WindowMinimize() const { return Lookup("WindowMinimize"); }
fw::MenuItemRef Stampora::EditMenu() const { return Lookup("EditMenu"); }
fw::MenuItemRef Stampora::EditChooseStampImage() const { return Lookup("EditChooseStampImage"); }
fw::MenuItemRef Stampora::EditPostMark() const { return Lookup("EditPostMark"); }
fw::MenuItemRef Stampora::EditScaleToFit() const { return Lookup("EditScaleToFit"); }
fw::MenuItemRef Stampora::UntitledSeparator2() const { return Lookup("UntitledSeparator2"); }
fw::MenuItemRef Stampora::EditSelectAll() const { return Lookup("EditSelectAll"); }
fw::MenuItemRef Stampora::UntitledMenu0() const { return Lookup("UntitledMenu0"); }
fw::MenuItemRef Stampora::EditClear() const { return Lookup("EditClear"); }
fw::MenuItemRef Stampora::EditPaste() const { return Lookup("EditPaste"); }
fw::MenuItemRef Stampora::EditCopy() const { return Lookup("EditCopy"); }
fw::MenuItemRef Stampora::EditCut() const { return Lookup("EditCut"); }
fw::MenuItemRef Stampora::UntitledMenu1() const { return Lookup("UntitledMenu1"); }
fw::MenuItemRef Stampora::EditUndo() const { return Lookup("EditUndo"); }
fw::MenuItemRef Stampora::FileMenu() const { return Lookup("FileMenu"); }
std::shared_ptr<fw::QuitMenuItem> Stampora::FileQuit() const {
    return std::dynamic_pointer_cast<fw::QuitMenuItem>(Lookup("FileQuit"));
}
fw::MenuItemRef Stampora::FileSave() const { return Lookup("FileSave"); }
fw::MenuItemRef Stampora::UntitledSeparator3() const { return Lookup("UntitledSeparator3"); }
fw::MenuItemRef Stampora::FileClose() const { return Lookup("FileClose"); }
fw::MenuItemRef Stampora::FileImport() const { return Lookup("FileImport"); }

void Stampora::AddMenuHandlers(fw::Window& w) {
    auto& self = dynamic_cast<Stampora&>(w);
    w._AddMenuHandler("EditPaste", [&self] { return self._EditPaste_Action(); });
    w._AddMenuHandler("WindowMinimize", [&self] { return self._WindowMinimize_Action(); });
    w._AddMenuHandler("FileImport", [&self] { return self._FileImport_Action(); });
    w._AddMenuHandler("FileClose", [&self] { return self._FileClose_Action(); });
    w._AddMenuHandler("FileSave", [&self] { return self._FileSave_Action(); });
    w._AddMenuHandler("EditPostMark", [&self] { return self._EditPostMark_Action(); });
    w._AddMenuHandler("EditScaleToFit", [&self] { return self._EditScaleToFit_Action(); });
    w._AddMenuHandler("EditChooseStampImage", [&self] { return self._EditChooseStampImage_Action(); });
    w._AddMenuHandler("EditCopy", [&self] { return self._EditCopy_Action(); });
    w._AddMenuHandler("HelpServiceSupport", [&self] { return self._HelpServiceSupport_Action(); });
    w._AddMenuHandler("HelpAboutStampora", [&self] { return self._HelpAboutStampora_Action(); });
    w._AddMenuHandler("HelpPixalunePhotosWebPage",
                      [&self] { return self._HelpPixalunePhotosWebPage_Action(); });
}

void Stampora::Event_EnableMenuItems() {
    fw::Clipboard clipboard;
    if (clipboard.PictureAvailable()) fw::Deref(EditPaste()).Enable();
    clipboard.Close();
    fw::Deref(EditScaleToFit()).SetChecked(ScaleToFit);
    fw::Deref(EditPostMark()).SetChecked(PostMarkApply);
}

bool Stampora::_EditPaste_Action() {
    auto pasted = std::make_shared<bool>(false);
    // Behind a request that runs, the paste reads the clipboard when its turn comes.
    const bool now = Request(RequestKind::Photo, [pasted](Stampora& w) {
        fw::Clipboard clipboard;
        // A picture offered but not delivered (its owner stopped answering) is no
        // picture, and must not take the photo away.
        auto picture = clipboard.PictureAvailable() ? clipboard.Picture() : nullptr;
        clipboard.Close();
        if (!picture) return;
        w.AddImage(picture);
        *pasted = true;
    });
    return now ? *pasted : fw::Clipboard().PictureAvailable();
}

bool Stampora::_WindowMinimize_Action() {
    Minimize();
    return true;
}

bool Stampora::_FileImport_Action() {
    if (auto file = fw::UserInteraction::Current().ChooseFileToOpen(this, IMageFiles::All()))
        Request(RequestKind::Photo, [file](Stampora& w) { w.AddImage(file); });
    return true;
}

bool Stampora::_FileClose_Action() {
    Close();
    return true;
}

bool Stampora::_FileSave_Action() {
    auto jpeg = IMageFiles::Jpeg();
    const std::string filter = jpeg ? jpeg->ToString() : std::string();
    auto file = fw::UserInteraction::Current().ChooseFileToSave(this, filter, fw::SpecialFolder::Desktop(),
                                                               "untitled.jpg");
    std::string failure;
    if (file && !file->SaveAsJPEG(Generate(), &failure))
        fw::UserInteraction::Current().ShowMessage(this, "The card could not be saved.\n" + failure);
    return true;
}

bool Stampora::_EditPostMark_Action() {
    PostMarkApply = !PostMarkApply;
    UpdatePreview();
    return true;
}

bool Stampora::_EditScaleToFit_Action() {
    ScaleToFit = !ScaleToFit;
    UpdatePreview();
    return true;
}

bool Stampora::_EditChooseStampImage_Action() {
    if (auto file = fw::UserInteraction::Current().ChooseFileToOpen(this, IMageFiles::All())) {
        Request(RequestKind::Stamp, [file](Stampora& w) {
            // Decoded at the size the stamp square is drawn at.
            auto picture = file->OpenAsPicture(QSize(kStampSide, kStampSide));
            if (!picture) {
                fw::UserInteraction::Current().ShowMessage(&w, "Sorry I was unable to open the file");
            } else {
                w.MakePostageStamp(picture);
                w.UpdatePreview();
            }
        });
    }
    return true;
}

bool Stampora::_EditCopy_Action() {
    fw::Clipboard clipboard;
    clipboard.SetPicture(Generate());
    return true;
}

bool Stampora::_HelpServiceSupport_Action() {
    fw::ShowURL(std::string(kMakerSite) + "/support/");
    return true;
}

bool Stampora::_HelpAboutStampora_Action() {
    auto box = ifkAboutBox::Instance();
    fw::Deref(box->Find<fw::StaticText>("Name"), "Name").SetText("Stampora");
    fw::Deref(box->Find<fw::StaticText>("Information"), "Information")
        .SetText("Turns a photo into an electronic greeting card, a Zinglet.");
    fw::Deref(box->Find<fw::StaticText>("Copyright"), "Copyright")
        .SetText("Made by Pixalune, makers of Pixalune Photos.\n" + std::string(kMakerHost));
    box->Show();
    return false;
}

bool Stampora::_HelpPixalunePhotosWebPage_Action() {
    fw::ShowURL(std::string(kMakerSite) + "/stampora/");
    return true;
}
