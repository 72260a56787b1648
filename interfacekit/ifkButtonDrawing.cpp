#include "interfacekit/ifkButton.h"

#include "framework/core/MemoryBlock.h"
#include "framework/core/NumberRules.h"
#include "interfacekit/InterfaceKitSupport.h"
#include "interfacekit/ifkColors.h"
#include "platform/carbon/CarbonButton.h"

#include <algorithm>

namespace ks = InterfaceKitSupport;

namespace {

constexpr int32_t kStyleCount = 18;
// The look drawn as a rounded selection fill instead of a theme button.
constexpr int32_t kSelectionStyle = 16;
// Toggling looks whose caption is engraved.
constexpr int32_t kEngravedStyle = 13;
constexpr int32_t kRolloverStyle = 17;
constexpr int kSelectionArc = 8;
// Theme kinds whose drawing sits 2 pixels low in the platform's artwork.
constexpr int32_t kRaisedKinds[] = {32, 11, 12};
constexpr float kRaise = 2.0f;

constexpr int32_t kNone = -1;
// By Style, then Size 0, 1, 2, 3 and any other Size.
constexpr int32_t kKinds[kStyleCount][5] = {
    {0, 25, 26, 27, 0},     {1, 1, 13, 19, 1},      {2, 2, 14, 20, 2},      {3, 3, 3, 3, 3},
    {5, 28, 29, 30, 5},     {4, 4, 23, 24, 4},      {6, 6, 6, 6, 6},        {7, 7, 21, 22, 7},
    {10, 10, 10, 10, 10},   {12, 12, 11, 11, 12},   {15, 15, 15, 15, 15},   {16, 16, 17, 18, 16},
    {31, 31, 31, 31, 31},   {32, 32, 33, 32, 32},   {34, 34, 34, 34, 34},   {35, 35, 35, 35, 35},
    {kNone, kNone, kNone, kNone, kNone},            {36, 36, 36, 36, 36},
};
// Theme metrics giving the height; kNone is the control's own height.
constexpr int32_t kHeights[kStyleCount][5] = {
    {kNone, 19, 35, 98, kNone},      {kNone, 2, 21, 88, kNone},       {kNone, 3, 36, 99, kNone},
    {kNone, kNone, kNone, kNone, kNone}, {kNone, 30, 31, 96, kNone}, {kNone, 17, 23, 90, kNone},
    {kNone, 25, 25, 25, 25},         {kNone, 27, 86, 86, kNone},      {kNone, 20, 20, 20, 20},
    {kNone, 40, 18, 18, 18},         {kNone, kNone, kNone, kNone, kNone}, {kNone, 30, 31, 96, kNone},
    {kNone, 19, 19, 19, 19},         {kNone, 139, 140, 140, 140},     {kNone, 18, 18, 18, 18},
    {kNone, 136, 136, 136, 136},     {kNone, kNone, kNone, kNone, kNone}, {kNone, 136, 136, 136, 136},
};

int Column(int32_t size) { return size >= 0 && size <= 3 ? size : 4; }
bool KnownStyle(int32_t style) { return style >= 0 && style < kStyleCount; }

// The metric of the room kept left of the caption for a check box or radio button.
int32_t IndicatorMetric(int32_t style, int32_t size) {
    if (style == 1) return size == 2 ? 51 : size == 3 ? 89 : 50;
    if (style == 2) return size == 2 ? 53 : size == 3 ? 100 : 52;
    return kNone;
}

int32_t Metric(int32_t metric) { return ks::FixedSize(metric, nullptr, "", 0); }

} // namespace

int32_t ifkButton::getDrawHeight() {
    if (mSize == 0 || !KnownStyle(mStyle)) return Height;
    const int32_t metric = kHeights[mStyle][Column(mSize)];
    return metric == kNone ? Height : Metric(metric);
}

void ifkButton::drawButton() {
    fw::Graphics* g = ks::getGraphics(this);
    int32_t h = getDrawHeight();
    if (h == 0) h = Height;
    if (!g || !ks::Displayable(this)) return;

    fw::MemoryBlock bounds = ks::getBounds(this);
    const ifkThemeState enabled = ks::EnabledStatus(this);
    const bool pressed = mouseStatus == Pressed || mouseStatus == ContextPressed;
    int32_t indicator = 0;

    if (mStyle == kSelectionStyle) {
        if (Value() || pressed) {
            g->ForeColor = ifkColors::IconLabelBackgroundSelected();
            g->FillRoundRect(fw::ToInt32(bounds.SingleValue(0)), fw::ToInt32(bounds.SingleValue(4)),
                             fw::ToInt32(bounds.SingleValue(8)), fw::ToInt32(bounds.SingleValue(12)), kSelectionArc,
                             kSelectionArc);
        }
    } else {
        uint32_t state = carbon::kThemeStateActive;
        if (enabled == ifkThemeState::Inactive) state = carbon::kThemeStateInactive;
        else if (mouseStatus == Over && mStyle == kRolloverStyle) state = carbon::kThemeStateRollover;
        else if (pressed) state = carbon::kThemeStatePressed;

        uint16_t adornment = 0;
        if (Default) adornment += carbon::kThemeAdornmentDefault;
        if (hasFocus) adornment += carbon::kThemeAdornmentFocus;
        if (mValue == 1) adornment += carbon::kThemeAdornmentOn;
        if (mValue == 2) adornment += carbon::kThemeAdornmentMixed;

        // An unknown look keeps the kind of the previous paint.
        if (KnownStyle(mStyle)) mKind = kKinds[mStyle][Column(mSize)];
        if (const int32_t metric = IndicatorMetric(mStyle, mSize); metric != kNone) indicator = Metric(metric);
        bounds.SetSingleValue(12, static_cast<float>(h));

        fw::MemoryBlock record(carbon::kThemeButtonRecordSize);
        record.SetUInt32Value(carbon::kThemeButtonStateOffset, state);
        record.SetUInt16Value(carbon::kThemeButtonKindOffset, static_cast<uint16_t>(mKind));
        record.SetUInt16Value(carbon::kThemeButtonValueOffset, static_cast<uint16_t>(mValue));
        record.SetUInt16Value(carbon::kThemeButtonAdornmentOffset, adornment);
        if (std::find(std::begin(kRaisedKinds), std::end(kRaisedKinds), mKind) != std::end(kRaisedKinds))
            bounds.SetSingleValue(4, bounds.SingleValue(4) - kRaise);

        fw::MemoryBlock label(carbon::kThemeRectSize);
        if (const int32_t ctx = ks::CreateCGContext(g, true); ctx != 0) {
            carbon::HIThemeDrawButton(bounds.Ptr(), record.Ptr(), ctx, 0, label.Ptr());
            ks::ReleaseQDCGRef(ctx);
        }
    }

    fw::Graphics& gc = GetGraphics();
    gc.TextFont = TextFont;
    gc.TextSize = TextSize;
    gc.Bold = Bold;
    gc.Underline = UnderLine;
    gc.Italic = Italic;

    ifkTextStyle textStyle = ifkTextStyle::Normal;
    if (mStyle == kSelectionStyle && (Value() || pressed)) {
        textStyle = ifkTextStyle::Shadow;
        gc.Bold = true;
    } else if (mStyle == kEngravedStyle) {
        textStyle = Value()                                ? ifkTextStyle::EngravedInversed
                    : enabled == ifkThemeState::Inactive ? ifkTextStyle::Normal
                                                           : ifkTextStyle::Engraved;
    } else if (mStyle == kRolloverStyle) {
        textStyle = mouseStatus == Idle ? ifkTextStyle::Engraved : ifkTextStyle::EngravedInversed;
    }

    ifkIconStyle iconStyle = ifkIconStyle::Normal;
    if (enabled == ifkThemeState::Inactive) iconStyle = ifkIconStyle::Disabled;
    else if (pressed || mStyle == kSelectionStyle) iconStyle = ifkIconStyle::Pressed;

    const ifkIconPlacement placement = iconPlacement == 1 ? ifkIconPlacement::Top : ifkIconPlacement::Left;
    ks::DrawCaptionAndIcon(&gc, mCaption, indicator, 0, Width - indicator, h, mTextAlignment, textStyle, micon,
                           placement, iconStyle, enabled);
    if (mStyle == kSelectionStyle && Value()) gc.Bold = false;
    if (Paint) Paint(gc);
}
