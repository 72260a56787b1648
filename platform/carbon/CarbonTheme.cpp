#include "platform/carbon/CarbonTheme.h"

#include "framework/core/System.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace carbon {

namespace {

bool& ColorsUnavailable() {
    static bool unavailable = false;
    return unavailable;
}

// What a metric measures in the Qt style, and at which of the three control sizes.
enum class Measure { PushHeight, PopupHeight, CheckHeight, RadioHeight, CheckWidth, RadioWidth };
enum class ControlSize { Normal, Small, Mini };

struct MetricRow {
    int32_t metric;
    Measure measure;
    ControlSize size;
};

// Every metric the themed button's height and indicator tables ask for.
constexpr MetricRow kMetrics[] = {
    {19, Measure::PushHeight, ControlSize::Normal},   {35, Measure::PushHeight, ControlSize::Small},
    {98, Measure::PushHeight, ControlSize::Mini},     {2, Measure::CheckHeight, ControlSize::Normal},
    {21, Measure::CheckHeight, ControlSize::Small},   {88, Measure::CheckHeight, ControlSize::Mini},
    {3, Measure::RadioHeight, ControlSize::Normal},   {36, Measure::RadioHeight, ControlSize::Small},
    {99, Measure::RadioHeight, ControlSize::Mini},    {30, Measure::PopupHeight, ControlSize::Normal},
    {31, Measure::PopupHeight, ControlSize::Small},   {96, Measure::PopupHeight, ControlSize::Mini},
    {17, Measure::PushHeight, ControlSize::Normal},   {23, Measure::PushHeight, ControlSize::Small},
    {90, Measure::PushHeight, ControlSize::Mini},     {25, Measure::CheckHeight, ControlSize::Normal},
    {27, Measure::PopupHeight, ControlSize::Normal},  {86, Measure::PopupHeight, ControlSize::Mini},
    {20, Measure::PushHeight, ControlSize::Normal},   {40, Measure::PushHeight, ControlSize::Normal},
    {18, Measure::PushHeight, ControlSize::Small},    {139, Measure::PushHeight, ControlSize::Normal},
    {140, Measure::PushHeight, ControlSize::Small},   {136, Measure::PushHeight, ControlSize::Normal},
    {50, Measure::CheckWidth, ControlSize::Normal},   {51, Measure::CheckWidth, ControlSize::Small},
    {89, Measure::CheckWidth, ControlSize::Mini},     {52, Measure::RadioWidth, ControlSize::Normal},
    {53, Measure::RadioWidth, ControlSize::Small},    {100, Measure::RadioWidth, ControlSize::Mini},
};

int Measured(const QStyle& style, Measure measure) {
    const QFontMetrics metrics(QApplication::font());
    switch (measure) {
    case Measure::PushHeight: {
        QStyleOptionButton option;
        option.fontMetrics = metrics;
        return style.sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, metrics.height())).height();
    }
    case Measure::PopupHeight: {
        QStyleOptionComboBox option;
        option.fontMetrics = metrics;
        return style.sizeFromContents(QStyle::CT_ComboBox, &option, QSize(0, metrics.height())).height();
    }
    case Measure::CheckHeight: return style.pixelMetric(QStyle::PM_IndicatorHeight);
    case Measure::RadioHeight: return style.pixelMetric(QStyle::PM_ExclusiveIndicatorHeight);
    case Measure::CheckWidth:
        return style.pixelMetric(QStyle::PM_IndicatorWidth) + style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    case Measure::RadioWidth:
        return style.pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
               style.pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    }
    return 0;
}

OSStatus CopyThemeIdentifier(CFStringRef* outIdentifier) {
    if (!outIdentifier || !qobject_cast<QApplication*>(QCoreApplication::instance())) return paramErr;
    const QString name = QApplication::style()->name().toLower();
    *outIdentifier = NewCFString("org.qt-project.style." + name.toStdString());
    return noErr;
}

OSStatus GetThemeMetric(int32_t metric, int32_t* outValue) {
    if (!outValue || !qobject_cast<QApplication*>(QCoreApplication::instance())) return paramErr;
    const auto* row = std::find_if(std::begin(kMetrics), std::end(kMetrics),
                                   [&](const MetricRow& r) { return r.metric == metric; });
    if (row == std::end(kMetrics)) return paramErr;
    const double scale = row->size == ControlSize::Small  ? 0.85
                         : row->size == ControlSize::Mini ? 0.7
                                                          : 1.0;
    // A style may answer 0 for a part it does not draw; a size is never below a pixel.
    *outValue = std::max(1, static_cast<int>(std::lround(Measured(*QApplication::style(), row->measure) * scale)));
    return noErr;
}

OSStatus WriteColor(QPalette::ColorGroup group, QPalette::ColorRole role, void* outColor) {
    if (!outColor || ColorsUnavailable()) return paramErr;
    const QColor c = QGuiApplication::palette().color(group, role);
    // 8-bit components spread over 16 bits: 255 gives 65535.
    const uint16_t record[3] = {static_cast<uint16_t>(c.red() * 257), static_cast<uint16_t>(c.green() * 257),
                                static_cast<uint16_t>(c.blue() * 257)};
    std::memcpy(outColor, record, sizeof record);
    return noErr;
}

} // namespace

OSStatus GetThemeTextColor(int32_t color, int16_t /*depth*/, bool /*isColorDevice*/, void* outColor) {
    switch (color) {
    case kThemeTextColorMenuItemActive: return WriteColor(QPalette::Active, QPalette::ButtonText, outColor);
    case kThemeTextColorMenuItemDisabled: return WriteColor(QPalette::Disabled, QPalette::ButtonText, outColor);
    default: return paramErr;
    }
}

OSStatus GetThemeBrushAsColor(int32_t brush, int16_t /*depth*/, bool /*isColorDevice*/, void* outColor) {
    if (brush != kThemeBrushIconLabelBackgroundSelected) return paramErr;
    return WriteColor(QPalette::Active, QPalette::Highlight, outColor);
}

void SetThemeColorsUnavailableForTests(bool unavailable) { ColorsUnavailable() = unavailable; }

void InstallThemeFunctions() {
    fw::System::RegisterLibraryFunction("Carbon", "CopyThemeIdentifier",
                                        reinterpret_cast<void*>(&CopyThemeIdentifier));
    fw::System::RegisterLibraryFunction("Carbon", "GetThemeMetric", reinterpret_cast<void*>(&GetThemeMetric));
}

} // namespace carbon
