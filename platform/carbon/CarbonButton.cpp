#include "platform/carbon/CarbonButton.h"

#include "platform/carbon/CarbonDrawing.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionHeader>
#include <QStyleOptionSpinBox>

#include <cstring>

namespace carbon {

namespace {

// The nearest Qt element for each of the platform's button kinds.
enum class Look { Push, Check, Radio, Bevel, Arrow, Popup, Combo, Disclosure, IncDec, Header };

Look LookOf(uint16_t kind) {
    switch (kind) {
    case 1: case 13: case 19: return Look::Check;
    case 2: case 14: case 20: return Look::Radio;
    case 3: case 8: case 9: case 15: case 31: case 35: case 36: return Look::Bevel;
    case 4: case 23: case 24: return Look::Arrow;
    case 5: case 28: case 29: case 30: return Look::Popup;
    case 16: case 17: case 18: return Look::Combo;
    case 6: return Look::Disclosure;
    case 7: case 21: case 22: return Look::IncDec;
    case 10: return Look::Header;
    default: return Look::Push; // push buttons of every size, round, inset and help buttons
    }
}

std::function<void(const ThemeButtonDraw&)>& Observer() {
    static std::function<void(const ThemeButtonDraw&)> observer;
    return observer;
}

QRectF ReadRect(const void* block) {
    float v[4];
    std::memcpy(v, block, sizeof v);
    return QRectF(v[0], v[1], v[2], v[3]);
}

void WriteRect(void* block, const QRectF& r) {
    const float v[4] = {float(r.x()), float(r.y()), float(r.width()), float(r.height())};
    std::memcpy(block, v, sizeof v);
}

ThemeButtonDraw ReadRecord(const void* bounds, const void* drawInfo) {
    uint8_t bytes[kThemeButtonRecordSize];
    std::memcpy(bytes, drawInfo, sizeof bytes);
    ThemeButtonDraw d;
    d.bounds = ReadRect(bounds);
    std::memcpy(&d.state, bytes + kThemeButtonStateOffset, sizeof d.state);
    std::memcpy(&d.kind, bytes + kThemeButtonKindOffset, sizeof d.kind);
    std::memcpy(&d.value, bytes + kThemeButtonValueOffset, sizeof d.value);
    std::memcpy(&d.adornment, bytes + kThemeButtonAdornmentOffset, sizeof d.adornment);
    return d;
}

QStyle::State StateOf(const ThemeButtonDraw& d) {
    QStyle::State state = QStyle::State_None;
    if (d.state != kThemeStateInactive) state |= QStyle::State_Enabled | QStyle::State_Active;
    if (d.state == kThemeStatePressed) state |= QStyle::State_Sunken;
    if (d.state == kThemeStateRollover) state |= QStyle::State_MouseOver;
    if (d.value == kThemeButtonMixed || (d.adornment & kThemeAdornmentMixed))
        state |= QStyle::State_NoChange;
    else if (d.value == kThemeButtonOn || (d.adornment & kThemeAdornmentOn))
        state |= QStyle::State_On;
    else
        state |= QStyle::State_Off;
    // Styles draw a focus frame only for focus that came from the keyboard; the
    // adornment asks for it whenever the button has the focus.
    if (d.adornment & kThemeAdornmentFocus) state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    if (!(state & (QStyle::State_Sunken | QStyle::State_On))) state |= QStyle::State_Raised;
    return state;
}

// A square indicator of the style's size at the left of the bounds, centred vertically.
QRect IndicatorRect(const QStyle& style, const QRect& r, bool radio) {
    const int w = style.pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth);
    const int h = style.pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorHeight : QStyle::PM_IndicatorHeight);
    return QRect(r.left(), r.top() + (r.height() - h) / 2, w, h);
}

// Draws the button and gives the rectangle left for its label.
QRect Draw(QPainter& painter, const ThemeButtonDraw& d) {
    const QStyle& style = *QApplication::style();
    const QRect r = d.bounds.toRect();
    const QStyle::State state = StateOf(d);
    const QPalette palette = QApplication::palette();
    auto prepare = [&](QStyleOption& o, const QRect& rect) {
        o.rect = rect;
        o.state = state;
        o.palette = palette;
        o.fontMetrics = QFontMetrics(QApplication::font());
    };
    QRect label = r;
    switch (LookOf(d.kind)) {
    case Look::Push: {
        QStyleOptionButton o;
        prepare(o, r);
        if (d.adornment & kThemeAdornmentDefault) o.features |= QStyleOptionButton::DefaultButton;
        style.drawControl(QStyle::CE_PushButtonBevel, &o, &painter, nullptr);
        label = style.subElementRect(QStyle::SE_PushButtonContents, &o, nullptr);
        break;
    }
    case Look::Check:
    case Look::Radio: {
        const bool radio = LookOf(d.kind) == Look::Radio;
        QStyleOptionButton o;
        prepare(o, IndicatorRect(style, r, radio));
        style.drawPrimitive(radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, &o, &painter,
                            nullptr);
        label.setLeft(o.rect.right() + 1 + style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
        break;
    }
    case Look::Bevel:
    case Look::Arrow: {
        QStyleOptionButton o;
        prepare(o, r);
        style.drawPrimitive(QStyle::PE_PanelButtonTool, &o, &painter, nullptr);
        if (LookOf(d.kind) == Look::Arrow) {
            o.rect = r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4);
            style.drawPrimitive(QStyle::PE_IndicatorArrowDown, &o, &painter, nullptr);
        }
        break;
    }
    case Look::Popup:
    case Look::Combo: {
        QStyleOptionComboBox o;
        prepare(o, r);
        o.editable = LookOf(d.kind) == Look::Combo;
        o.subControls = QStyle::SC_All;
        if (d.state == kThemeStatePressed) o.activeSubControls = QStyle::SC_ComboBoxArrow;
        style.drawComplexControl(QStyle::CC_ComboBox, &o, &painter, nullptr);
        label = style.subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, nullptr);
        break;
    }
    case Look::Disclosure: {
        QStyleOption o;
        prepare(o, QRect(r.left(), r.top(), r.height(), r.height()));
        const bool open = d.value != kThemeButtonOff;
        style.drawPrimitive(open ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight, &o, &painter,
                            nullptr);
        label.setLeft(o.rect.right() + 1);
        break;
    }
    case Look::IncDec: {
        QStyleOptionSpinBox o;
        prepare(o, r);
        o.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        o.frame = false;
        o.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
        if (d.state == kThemeStatePressed) o.activeSubControls = QStyle::SC_SpinBoxUp;
        style.drawComplexControl(QStyle::CC_SpinBox, &o, &painter, nullptr);
        break;
    }
    case Look::Header: {
        QStyleOptionHeader o;
        prepare(o, r);
        style.drawControl(QStyle::CE_HeaderSection, &o, &painter, nullptr);
        break;
    }
    }
    if (d.adornment & kThemeAdornmentFocus) {
        QStyleOptionFocusRect o;
        prepare(o, r.adjusted(1, 1, -1, -1));
        style.drawPrimitive(QStyle::PE_FrameFocusRect, &o, &painter, nullptr);
    }
    return label;
}

} // namespace

OSStatus HIThemeDrawButton(const void* bounds, const void* drawInfo, int32_t context, int32_t /*orientation*/,
                           void* outLabelRect) {
    if (!bounds || !drawInfo || !qobject_cast<QApplication*>(QCoreApplication::instance())) return paramErr;
    const ThemeButtonDraw d = ReadRecord(bounds, drawInfo);
    QRect label;
    if (!DrawInContext(context, [&](QPainter& painter) { label = Draw(painter, d); })) return paramErr;
    if (Observer()) Observer()(d);
    if (outLabelRect) WriteRect(outLabelRect, QRectF(label));
    return noErr;
}

void SetThemeButtonObserver(std::function<void(const ThemeButtonDraw&)> observer) {
    Observer() = std::move(observer);
}

} // namespace carbon
