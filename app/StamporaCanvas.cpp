#include "app/Stampora.h"

#include "app/IMageFiles.h"
#include "framework/ui/UserInteraction.h"

#include <algorithm>

namespace {
}

void Stampora::DisplayArea_Open() {
    auto canvas = DisplayArea();
    canvas->AcceptFileDrop(IMageFiles::All());
    canvas->AcceptPictureDrop();
    canvas->SetMouseCursor(fw::MouseCursor::HandOpen);
}

void Stampora::DisplayArea_Paint(fw::Graphics&) {
    // The paint a render asked for shows that render, unless something drew over it.
    auto canvas = DisplayArea();
    if (canvas && unshownRender_ && *unshownRender_ == canvas->DrawCount()) {
        unshownRender_.reset();
        return;
    }
    UpdatePreview();
}

bool Stampora::DisplayArea_MouseDown(int x, int y) {
    auto canvas = DisplayArea();
    canvas->SetFocus();
    if (thePicture) {
        lastMouse = fw::Pair::Make(x, y);
        canvas->SetMouseCursor(fw::MouseCursor::HandClosed);
        return true;
    }
    if (auto file = fw::UserInteraction::Current().ChooseFileToOpen(this, IMageFiles::All()))
        Request(RequestKind::Photo, [file](Stampora& w) { w.AddImage(file); });
    return false;
}

void Stampora::DisplayArea_MouseDrag(int x, int y) {
    if (!thePicture || !lastMouse || !imageOffset) return;
    const int ch = DisplayArea()->Height;
    int nx = (lastMouse->LeftInt() - x) + imageOffset->LeftInt();
    int ny = (lastMouse->RightInt() - y) + imageOffset->RightInt();
    // The upper bound first, so that a negative upper bound still gives 0.
    nx = std::max(0, std::min(nx, thePicture->Width() - kPhotoAreaWidth));
    ny = std::max(0, std::min(ny, thePicture->Height() - ch));
    imageOffset = fw::Pair::Make(nx, ny);
    UpdatePreview();
    lastMouse = fw::Pair::Make(x, y);
}

void Stampora::DisplayArea_MouseUp(int, int) { DisplayArea()->SetMouseCursor(fw::MouseCursor::HandOpen); }

bool Stampora::DisplayArea_KeyDown(const std::string& key) {
    const char code = key.empty() ? 0 : key[0];
    const int ch = DisplayArea()->Height;
    if (imageOffset) {
        const int x = imageOffset->LeftInt();
        const int y = imageOffset->RightInt();
        switch (code) {
        case fw::kKeyLeft: // the increasing keys need the photo for their bound
            if (thePicture)
                imageOffset = fw::Pair::Make(std::min(x + 1, thePicture->Width() - kPhotoAreaWidth), y);
            break;
        case fw::kKeyRight:
            imageOffset = fw::Pair::Make(std::max(x - 1, 0), y);
            break;
        case fw::kKeyUp:
            if (thePicture) imageOffset = fw::Pair::Make(x, std::min(y + 1, thePicture->Height() - ch));
            break;
        case fw::kKeyDown:
            imageOffset = fw::Pair::Make(x, std::max(y - 1, 0));
            break;
        default: break;
        }
    }
    UpdatePreview();
    // The canvas never consumes a key.
    return false;
}

void Stampora::DisplayArea_DropObject(const fw::DragItemRef& obj, int) {
    if (!obj) return;
    // A dropped picture decodes only when its turn comes (DragItem.h).
    Request(RequestKind::Photo, [obj](Stampora& w) {
        if (obj->FolderItemAvailable()) w.AddImage(obj->FolderItem());
        else if (obj->PictureAvailable()) w.AddImage(obj->Picture());
    });
}

void Stampora::textField_TextChange() { UpdatePreview(); }

void Stampora::ifkColorWell1_Changed() { UpdatePreview(); }
