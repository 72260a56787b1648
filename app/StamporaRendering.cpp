#include "app/Stampora.h"

#include "app/ProjectPictures.h"
#include "app/SharedPictureEffects.h"
#include "framework/core/Exceptions.h"
#include "framework/core/NumberRules.h"
#include "framework/core/RequestQueue.h"
#include "framework/core/Runtime.h"
#include "interfacekit/ifkColorWell.h"
#include "interfacekit/ifkFontComboBox.h"
#include "platform/effects/EnsurePictureCompatible.h"
#include "platform/effects/TextureRenderer.h"

using fw::ToInt32;

namespace {

constexpr fw::Color kPlaceholderInk = 0xDFDFDF;
constexpr fw::Color kPostMarkInk = 0xB60000;
constexpr fw::Color kWhite = 0xFFFFFF;
constexpr int kPostMarkWidth = 200;
constexpr int kPostMarkHeight = 45;
// The most pixels of a cover-scaled photo held at once; panoramas of 40 000 pixels
// stay well under it.
constexpr int64_t kLargestHeldPhoto = 16'000'000;

} // namespace

fw::PictureRef Stampora::Generate() {
    auto canvas = DisplayArea();
    fw::Deref(canvas, "DisplayArea");
    auto card = fw::Picture::New(canvas->Width, canvas->Height, 24);
    fw::Deref(card);
    RenderCard(*card, true);
    return card;
}

void Stampora::RenderCard(fw::Picture& card, bool fresh) {
    ++renderCount_;
    const auto& canvas = fw::Deref(DisplayArea(), "DisplayArea");
    const int W = canvas.Width;
    const int H = canvas.Height;
    // Everything the card needs, looked up before the first pixel changes, so that
    // a missing piece leaves a reused picture as it was.
    const bool panned = thePicture && !ScaleToFit;
    const fw::Pair* offset = panned ? &fw::Deref(imageOffset, "imageOffset") : nullptr;
    if (PostMarkApply) fw::Deref(PostMark, "PostMark");
    const fw::Color ink = fw::Deref(ifkColorWell1(), "ifkColorWell1").colorValue();
    const std::string font = fw::Deref(textTypeFace(), "textTypeFace").Text();
    const int size = ToInt32(fw::CDbl(fw::Deref(textSizeField(), "textSizeField").Text()));
    const std::string caption = fw::Deref(textField(), "textField").Text();
    const fw::PictureRef placeholder = thePicture ? nullptr : unfsImage();
    if (!thePicture) fw::Deref(placeholder);

    fw::Graphics& g = card.GetGraphics();
    if (!fresh) {
        // A reused picture starts as a new one would: white, and its graphics in its
        // first state. A 1:1 crop inside an opaque photo covers the photo area.
        g.ForeColor = 0x000000;
        g.TextFont = "System";
        g.TextSize = 0;
        g.Bold = g.Italic = g.Underline = false;
        const bool covered = panned && !thePicture->HasMask() && offset->LeftInt() >= 0 &&
                             offset->RightInt() >= 0 &&
                             offset->LeftInt() + kPhotoAreaWidth <= thePicture->Width() &&
                             offset->RightInt() + H <= thePicture->Height();
        const int from = covered ? kPhotoAreaWidth : 0;
        g.ClearRect(from, 0, W - from, H);
    }

    if (!thePicture) {
        g.DrawPicture(placeholder, 82, ToInt32((static_cast<double>(H) - 256) / 2.0));
        g.ForeColor = kPlaceholderInk;
        g.TextSize = 24;
        g.Bold = true;
        const std::string prompt = "Drop Photo Here";
        const int x = ToInt32((kPhotoAreaWidth - g.StringWidth(prompt)) / 2.0);
        const int y = ToInt32((static_cast<double>(H) - g.TextHeight()) / 2.0 + g.TextAscent());
        g.DrawString(prompt, x, y, 0);
        g.Bold = false;
    } else if (panned) {
        g.DrawPicture(thePicture, 0, 0, kPhotoAreaWidth, H, offset->LeftInt(), offset->RightInt(),
                      kPhotoAreaWidth, H);
    } else {
        const double pw = thePicture->Width();
        const double ph = thePicture->Height();
        double s = kPhotoAreaWidth / pw;
        const bool heightSets = H < ph * s;
        if (heightSets) s = H / ph;
        // The side that sets the scale fills the area exactly: in doubles (420 / w) x w
        // can come out just under 420 and truncate to a white column.
        const int w = heightSets ? ToInt32(pw * s) : kPhotoAreaWidth;
        const int h = heightSets ? H : ToInt32(ph * s);
        g.DrawPicture(thePicture, ToInt32((kPhotoAreaWidth - w) / 2.0), ToInt32((H - h) / 2.0), w, h, 0, 0,
                      thePicture->Width(), thePicture->Height());
    }

    // Without a stamp (its picture could not be loaded) the card goes without one.
    if (Stamp) g.DrawPicture(Stamp, W - (Stamp->Width() + 10), 10);
    if (PostMarkApply) g.DrawPicture(PostMark, W - (PostMark->Width() + 50), 10);

    g.ForeColor = ink;
    g.TextFont = font;
    g.TextSize = size;
    g.DrawString(caption, 440, 120, W - 460);
}

// The card is rendered straight into the canvas's backing picture: the same pixels
// as drawing a freshly generated card there, without a second picture or a copy.
void Stampora::UpdatePreview() {
    auto canvas = DisplayArea();
    fw::Deref(canvas, "DisplayArea");
    canvas->DrawChanges([&] {
        fw::PictureRef backing = canvas->BackingPicture();
        if (backing->Width() == canvas->Width && backing->Height() == canvas->Height) {
            fw::Graphics& g = backing->GetGraphics();
            const fw::Color ink = g.ForeColor;
            const std::string font = g.TextFont;
            const double size = g.TextSize;
            const bool bold = g.Bold, italic = g.Italic, underline = g.Underline;
            RenderCard(*backing, false);
            g.ForeColor = ink;
            g.TextFont = font;
            g.TextSize = size;
            g.Bold = bold;
            g.Italic = italic;
            g.Underline = underline;
        } else {
            canvas->GetGraphics().DrawPicture(Generate(), 0, 0);
        }
    });
    // Outside a paint the drawing asked for a repaint of what it changed, which has
    // only to show it.
    if (canvas->Painting()) unshownRender_.reset();
    else unshownRender_ = canvas->DrawCount();
}

void Stampora::AddImage(const ImageSource& v) {
    if (std::holds_alternative<fw::FolderItemRef>(v)) {
        fw::FolderItemRef f = std::get<fw::FolderItemRef>(v);
        if (f && f->Alias()) {
            if (auto parent = f->Parent()) f = parent->Child(f->Name());
        }
        // Decoded once, at the scale it is about to be cover-scaled to.
        thePicture = f ? f->OpenAsPicture(QSize(kPhotoAreaWidth, fw::Deref(DisplayArea(), "DisplayArea").Height))
                       : nullptr;
    } else if (std::holds_alternative<fw::PictureRef>(v)) {
        thePicture = std::get<fw::PictureRef>(v);
    } else {
        thePicture = nullptr;
    }

    if (thePicture) {
        thePicture = effects::EnsurePictureCompatible(thePicture);
        fw::Deref(thePicture, "EnsurePictureCompatible");
        const int H = fw::Deref(DisplayArea(), "DisplayArea").Height;
        const double pw = thePicture->Width();
        const double ph = thePicture->Height();
        double s = kPhotoAreaWidth / pw;
        const bool heightSets = ph * s < H;
        if (heightSets) s = H / ph;
        // As in the fitted case, the side that sets the scale covers the area exactly.
        const int w = heightSets ? ToInt32(pw * s) : kPhotoAreaWidth;
        const int h = heightSets ? H : ToInt32(ph * s);
        fw::PictureRef scaled;
        if (int64_t{w} * h <= kLargestHeldPhoto) {
            scaled = fw::Picture::New(w, h, 24);
            fw::Deref(scaled, "scaled photo");
            scaled->GetGraphics().DrawPicture(thePicture, 0, 0, w, h, 0, 0, thePicture->Width(),
                                              thePicture->Height());
        } else {
            // A very thin photo covers the area only at an enormous size (1 x 700
            // becomes 420 x 294 000); it is kept as a view that draws what is shown.
            scaled = fw::Picture::ScaledView(thePicture, w, h);
        }
        thePicture = scaled;
        imageOffset = fw::Pair::Make(-(kPhotoAreaWidth - scaled->Width()) / 2.0,
                                     -(H - scaled->Height()) / 2.0);
    }
    UpdatePreview();
}

bool Stampora::Request(RequestKind kind, std::function<void(Stampora&)> work) {
    const char* key = kind == RequestKind::Photo ? "Stampora.photo" : "Stampora.stamp";
    std::weak_ptr<fw::Window> self = weak_from_this();
    return fw::RequestQueue::Submit(key, [self, work = std::move(work)] {
        auto window = std::dynamic_pointer_cast<Stampora>(self.lock());
        if (window && window->IsOpen() && !fw::Runtime::HasQuit()) fw::Runtime::Dispatch([&] { work(*window); });
    });
}

void Stampora::MakePostageStamp(const fw::PictureRef& p) {
    if (!p) return;
    const double pw = p->Width();
    const double ph = p->Height();
    double s = kStampSide / pw;
    if (ph * s < kStampSide) s = kStampSide / ph;
    auto square = fw::Picture::New(kStampSide, kStampSide, 24);
    fw::Deref(square);
    const int w = ToInt32(pw * s);
    const int h = ToInt32(ph * s);
    fw::Graphics& g = square->GetGraphics();
    g.DrawPicture(p, ToInt32((kStampSide - w) / 2.0), ToInt32((kStampSide - h) / 2.0), w, h, 0, 0,
                  p->Width(), p->Height());
    auto overlay = StampOverlay();
    fw::Deref(overlay, "StampOverlay");
    g.DrawPicture(overlay, 0, 0);
    Stamp = SharedPictureEffects::Rotate(square, 4, kWhite, effects::RotationMethod::Smooth);
}

void Stampora::BuildPostMark(const fw::Date& date, effects::TextureRenderer& renderer) {
    PostMark = fw::Picture::New(kPostMarkWidth, kPostMarkHeight, 32);
    fw::Deref(PostMark);
    {
        fw::Graphics& g = PostMark->GetGraphics();
        g.ClearRect(0, 0, g.Width(), g.Height());
        g.TextFont = "Monaco";
        g.Bold = true;
        g.TextSize = 12;
        const std::string lines[3] = {"Pixalune Photos' Zinglet", date.AbbreviatedDate(), kMakerHost};
        const int th = g.TextHeight();
        int baseline = ToInt32((static_cast<double>(g.Height()) - 3.0 * th) / 2.0 + g.TextAscent());
        for (const std::string& line : lines) {
            const int x = ToInt32((kPostMarkWidth - ToInt32(g.StringWidth(line))) / 2.0);
            g.DrawString(line, x, baseline, 0);
            baseline += th;
        }
    }

    PostMark = SharedPictureEffects::Rotate(PostMark, -8, kWhite, effects::RotationMethod::Smooth);
    renderer.TextureColor = kWhite;
    renderer.UseTextureColor = true;
    auto mask = PostMark->Mask(true);
    mask->GetGraphics().DrawPicture(renderer.RenderClouds(PostMark, nullptr), 0, 0);

    fw::Graphics& g = PostMark->GetGraphics();
    g.ForeColor = kPostMarkInk;
    g.FillRect(0, 0, g.Width(), g.Height());
}
