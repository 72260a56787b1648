#pragma once

#include "framework/core/Date.h"
#include "framework/core/Pair.h"
#include "framework/graphics/Picture.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/ComboBox.h"
#include "framework/ui/DragItem.h"
#include "framework/ui/EditField.h"
#include "framework/ui/HTMLViewer.h"
#include "framework/ui/PagePanel.h"
#include "framework/ui/PopupMenu.h"
#include "framework/ui/PushButton.h"
#include "framework/ui/Window.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

class ifkColorWell;
class ifkFontComboBox;
namespace effects {
class TextureRenderer;
}

// The composer window: page 1 composes the card (photo, stamp, post mark, caption),
// page 2 shows the advert page. Its methods are split over several sources:
// layout and the control handlers (StamporaLayout.cpp), the window's opening
// (StamporaOpen.cpp), rendering (StamporaRendering.cpp), the canvas
// (StamporaCanvas.cpp), menus (StamporaMenus.cpp), sending (StamporaSending.cpp)
// and the advert page (StamporaAdvert.cpp).
//
// Sections: accessor; design; control handlers; menus; events; card.
class Stampora : public fw::Window {
public:
    // A photo to take in: nothing (clears the photo), a file or a picture.
    using ImageSource = std::variant<std::monostate, fw::FolderItemRef, fw::PictureRef>;

    // --- accessor: the one window, made, built and opened on the first call.
    static std::shared_ptr<Stampora> Instance();
    ~Stampora() override;
    std::string ClassName() const override { return "Stampora"; }

    // --- design
    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();

    std::shared_ptr<fw::PagePanel> PagePanel1() const { return Find<fw::PagePanel>("PagePanel1"); }
    std::shared_ptr<ifkColorWell> ifkColorWell1() const;
    std::shared_ptr<fw::EditField> textField() const { return Find<fw::EditField>("textField"); }
    std::shared_ptr<fw::Canvas> DisplayArea() const { return Find<fw::Canvas>("DisplayArea"); }
    std::shared_ptr<fw::PushButton> SaveButton() const { return Find<fw::PushButton>("SaveButton"); }
    std::shared_ptr<fw::PopupMenu> eMailApplication() const {
        return Find<fw::PopupMenu>("eMailApplication");
    }
    std::shared_ptr<fw::HTMLViewer> HTMLViewer1() const { return Find<fw::HTMLViewer>("HTMLViewer1"); }
    std::shared_ptr<fw::PushButton> MorInfoButton() const { return Find<fw::PushButton>("MorInfoButton"); }
    std::shared_ptr<fw::PushButton> DownloadNowButton() const {
        return Find<fw::PushButton>("DownloadNowButton");
    }
    std::shared_ptr<fw::PushButton> CancelButton() const { return Find<fw::PushButton>("CancelButton"); }
    std::shared_ptr<ifkFontComboBox> textTypeFace() const;
    std::shared_ptr<fw::ComboBox> textSizeField() const { return Find<fw::ComboBox>("textSizeField"); }

    // --- control handlers
    void ifkColorWell1_Changed();
    void textField_TextChange();
    void DisplayArea_Paint(fw::Graphics& g);
    bool DisplayArea_KeyDown(const std::string& key);
    bool DisplayArea_MouseDown(int x, int y);
    void DisplayArea_MouseDrag(int x, int y);
    void DisplayArea_Open();
    void DisplayArea_MouseUp(int x, int y);
    void DisplayArea_DropObject(const fw::DragItemRef& obj, int action);
    void SaveButton_Action();
    bool eMailApplication_MouseDown(int x, int y);
    bool HTMLViewer1_CancelLoad(const std::string& url);
    void MorInfoButton_Action();
    void DownloadNowButton_Action();
    void CancelButton_Action();
    void textTypeFace_TextChanged();
    void textTypeFace_Change();
    void textSizeField_Change();
    void textSizeField_TextChanged();

    // --- menus: the items of the window's menu bar, looked up by name on every use
    fw::MenuItemRef HelpMenu() const;
    std::shared_ptr<fw::AppleMenuItem> HelpAboutStampora() const;
    fw::MenuItemRef HelpServiceSupport() const;
    fw::MenuItemRef UntitledSeparator1() const;
    fw::MenuItemRef HelpPixalunePhotosWebPage() const;
    fw::MenuItemRef WindowMenu() const;
    fw::MenuItemRef WindowMenuItem(int index) const;
    fw::MenuItemRef UntitledSeparator0() const;
    fw::MenuItemRef WindowBringAllToFront() const;
    fw::MenuItemRef UntitledSeparator() const;
    fw::MenuItemRef WindowZoom() const;
    fw::MenuItemRef WindowMinimize() const;
    fw::MenuItemRef EditMenu() const;
    fw::MenuItemRef EditChooseStampImage() const;
    fw::MenuItemRef EditPostMark() const;
    fw::MenuItemRef EditScaleToFit() const;
    fw::MenuItemRef UntitledSeparator2() const;
    fw::MenuItemRef EditSelectAll() const;
    fw::MenuItemRef UntitledMenu0() const;
    fw::MenuItemRef EditClear() const;
    fw::MenuItemRef EditPaste() const;
    fw::MenuItemRef EditCopy() const;
    fw::MenuItemRef EditCut() const;
    fw::MenuItemRef UntitledMenu1() const;
    fw::MenuItemRef EditUndo() const;
    fw::MenuItemRef FileMenu() const;
    std::shared_ptr<fw::QuitMenuItem> FileQuit() const;
    fw::MenuItemRef FileSave() const;
    fw::MenuItemRef UntitledSeparator3() const;
    fw::MenuItemRef FileClose() const;
    fw::MenuItemRef FileImport() const;
    void AddMenuHandlers(fw::Window& w) override;

    bool _EditPaste_Action();
    bool _WindowMinimize_Action();
    bool _FileImport_Action();
    bool _FileClose_Action();
    bool _FileSave_Action();
    bool _EditPostMark_Action();
    bool _EditScaleToFit_Action();
    bool _EditChooseStampImage_Action();
    bool _EditCopy_Action();
    bool _HelpServiceSupport_Action();
    bool _HelpAboutStampora_Action();
    bool _HelpPixalunePhotosWebPage_Action();

    // --- events
    void Event_Open() override;
    void Event_EnableMenuItems() override;
    bool Event_CancelClose(bool appQuitting) override;

    // --- card
    fw::PictureRef Generate();
    void UpdatePreview();
    void AddImage(const ImageSource& v);
    // What a request replaces: of the waiting requests of one kind, only the newest
    // is served.
    enum class RequestKind { Photo, Stamp };
    // Runs `work` on this window through the request queue (RequestQueue.h): at once
    // when nothing else runs, else once what runs has ended, unless a newer request
    // of its kind came meanwhile, and not at all once the window has closed or the
    // program is ending. True when it ran at once.
    bool Request(RequestKind kind, std::function<void(Stampora&)> work);
    void MakePostageStamp(const fw::PictureRef& p);
    void ShowAdvert();

    static std::string kSentYouAZinglet();
    // The width of the card's photo area, at its left.
    static constexpr int kPhotoAreaWidth = 420;
    // The stamp square, which a stamp picture is drawn to cover.
    static constexpr int kStampSide = 80;
    // The maker's web site, scheme and host, without a trailing slash.
    static constexpr const char* kMakerSite = "http://www.pixalune.com";
    static constexpr const char* kMakerHost = "www.pixalune.com";

    fw::PictureRef thePicture;
    fw::PictureRef PostMark;
    fw::PairRef imageOffset;
    fw::PairRef lastMouse;
    fw::PictureRef Stamp;
    bool PostMarkApply = true;
    bool ScaleToFit = false;

    // How many times the card has been rendered, into any picture.
    uint64_t RenderCount() const { return renderCount_; }

private:
    // Renders the card into `card`, which is W x H; the pixels it does not cover end
    // white, as in a new picture.
    void RenderCard(fw::Picture& card, bool fresh);
    void BuildPostMark(const fw::Date& date, effects::TextureRenderer& renderer);
    fw::MenuItemRef Lookup(const std::string& name, int index = -1) const;

    uint64_t renderCount_ = 0;
    // The canvas's draw count right after the last render drew into it, while the
    // paint that render asked for has not come yet.
    std::optional<uint64_t> unshownRender_;
};
