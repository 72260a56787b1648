#include "interfacekit/InterfaceKitSupport.h"

#include "framework/core/Exceptions.h"
#include "framework/core/NumberRules.h"
#include "framework/core/TextFunctions.h"
#include "framework/graphics/SystemColors.h"
#include "interfacekit/ifkColors.h"

#include <QString>

namespace InterfaceKitSupport {

namespace {

constexpr int32_t kEdge = 8;     // horizontal room at the aligned side
constexpr int32_t kMargin = 2;   // vertical room at the aligned side
constexpr int32_t kGap = 4;      // between icon and text, and kept free of the cut
const std::string kEllipsis = "\u2026";

// Caption lengths count characters, not bytes: the ellipsis and "€" are several.
int32_t Len(const std::string& text) {
    return static_cast<int32_t>(QString::fromStdString(text).toUcs4().size());
}

std::string LeftChars(const std::string& text, int32_t n) {
    if (n <= 0) return {};
    const QList<uint> chars = QString::fromStdString(text).toUcs4();
    if (n >= chars.size()) return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), n).toStdString();
}

// "&&" is a literal ampersand, a lone "&" marks the mnemonic letter.
std::string WithoutMnemonics(const std::string& caption) {
    const std::string placeholder = "@\u20AC";
    std::string s = fw::ReplaceAll(caption, "&&", placeholder);
    s = fw::ReplaceAll(s, "&", "");
    return fw::ReplaceAll(s, placeholder, "&");
}

fw::PictureRef IconInStyle(const fw::PictureRef& icon, ifkIconStyle style) {
    switch (style) {
    case ifkIconStyle::Normal: return icon;
    case ifkIconStyle::Disabled: return AsDisabledIcon(icon);
    case ifkIconStyle::Pressed: return AsPressedIcon(icon);
    case ifkIconStyle::Engraved: return AsEngraved(icon);
    case ifkIconStyle::EngravedInversed: return AsEngravedInversed(icon);
    }
    return nullptr;
}

} // namespace

void DrawCaptionAndIcon(fw::Graphics* graphics, const std::string& caption, int32_t x, int32_t y,
                        int32_t width, int32_t height, int32_t alignment, ifkTextStyle textStyle,
                        const fw::PictureRef& icon, ifkIconPlacement placement,
                        ifkIconStyle iconStyle, ifkThemeState state) {
    fw::Graphics& g = fw::Deref(graphics);
    std::string display;
    int32_t textW = 0;
    int32_t textH = 0;
    if (!caption.empty()) {
        const std::string s = WithoutMnemonics(caption);
        const int32_t w = fw::ToInt32(g.StringWidth(s));
        int32_t avail = width - kGap;
        if (icon && placement == ifkIconPlacement::Left) avail = width - icon->Width() - kGap;
        // A text without width is never cut: its mean character width would be 0.
        if (avail < w && w > 0) {
            const int32_t n = fw::ToInt32(avail / (double(w) / Len(s)) - 1.0);
            display = LeftChars(s, n) + kEllipsis;
        } else {
            display = s;
        }
        textW = fw::ToInt32(g.StringWidth(display));
    }
    if (textW > 0) textH = g.TextHeight();
    if (icon) {
        if (placement == ifkIconPlacement::Left) {
            if (textW != 0) textW += kGap;
            textW += icon->Width();
        } else if (placement == ifkIconPlacement::Top) {
            if (textH != 0) textH += kGap;
            textH += icon->Height();
        }
    }

    int32_t posX = 0;
    int32_t posY = 0;
    if (alignment >= 0 && alignment <= 8) {
        switch (alignment % 3) {
        case ifkAlignCenter: posX = fw::ToInt32((width - textW) / 2.0); break;
        case ifkAlignLeft: posX = kEdge; break;
        default: posX = width - kEdge - textW; break;
        }
        switch (alignment / 3) {
        case ifkAlignMiddle: posY = fw::ToInt32((height - textH) / 2.0); break;
        case ifkAlignTop: posY = kMargin; break;
        default: posY = height - textH - kMargin; break;
        }
    }
    posX += x;
    posY += y;

    if (icon) {
        int32_t iconX = 0;
        int32_t iconY = 0;
        if (placement == ifkIconPlacement::Left) {
            iconY = fw::ToInt32((height - icon->Height()) / 2.0 + y);
            iconX = posX;
            posX += icon->Width() + kGap;
        } else if (placement == ifkIconPlacement::Top) {
            iconX = fw::ToInt32((width - icon->Width()) / 2.0 + x);
            iconY = posY;
            posY += icon->Height() + kGap;
        }
        // An unknown look draws nothing, but the icon's room stays reserved.
        if (fw::PictureRef look = IconInStyle(icon, iconStyle)) g.DrawPicture(look, iconX, iconY);
    }

    posY += g.TextAscent();
    switch (textStyle) {
    case ifkTextStyle::Shadow:
        g.ForeColor = fw::RGB(64, 64, 64);
        g.DrawString(display, posX, posY + 1);
        break;
    case ifkTextStyle::Engraved:
        g.ForeColor = fw::LightBevelColor();
        g.DrawString(display, posX, posY + 1);
        break;
    case ifkTextStyle::EngravedInversed:
        g.ForeColor = ifkColors::TextActive();
        g.DrawString(display, posX, posY + 1);
        g.ForeColor = fw::RGB(255, 255, 255);
        break;
    case ifkTextStyle::Normal: break;
    }
    if (textStyle != ifkTextStyle::EngravedInversed) {
        if (state == ifkThemeState::Inactive) {
            if (!isUsingVisualTheme()) {
                g.ForeColor = fw::LightBevelColor();
                g.DrawString(display, posX + 1, posY + 1);
            }
            g.ForeColor = ifkColors::TextDisabled();
        } else {
            g.ForeColor = ifkColors::TextActive();
        }
    }
    g.DrawString(display, posX, posY);
}

} // namespace InterfaceKitSupport
