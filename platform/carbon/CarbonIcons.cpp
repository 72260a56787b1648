#include "platform/carbon/CarbonIcons.h"

#include "framework/core/ExecutableFile.h"
#include "framework/core/RegularFile.h"
#include "framework/core/TextFunctions.h"
#include "platform/carbon/CarbonDrawing.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cstring>

#include <map>

namespace carbon {

namespace {

constexpr int kLargestIconSide = 1024;
// A PNG of that side, uncompressed, with room to spare.
constexpr int64_t kLargestIconFileBytes = 8 << 20;

struct IconTable {
    std::map<IconRef, QImage> icons;
    IconRef next = 1;
};

IconTable& Table() {
    static IconTable table;
    return table;
}

QImage ApplicationIcon() {
    const auto resources = fw::BundleResourcesFolder();
    const auto bytes = fw::RegularFile::Read(resources->Child("AppIcon.png")->AbsolutePath(), kLargestIconFileBytes,
                                             fw::RegularFile::Links::Follow);
    if (!bytes) return {};
    QByteArray data = QByteArray::fromStdString(*bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kLargestIconSide || size.height() > kLargestIconSide) return {};
    return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

OSErr GetIconRef(int16_t /*vRefNum*/, uint32_t creator, uint32_t iconType, IconRef* iconRef) {
    if (!iconRef) return paramErr;
    *iconRef = 0;
    const auto executable = fw::ExecutableFile();
    const uint32_t ownCreator = executable ? fw::StringToOSType(executable->MacCreator()) : 0;
    if (creator == 0 || creator != ownCreator || iconType != kApplicationIconType) return fnfErr;
    QImage icon = ApplicationIcon();
    if (icon.isNull()) return fnfErr;
    auto& table = Table();
    *iconRef = table.next++;
    table.icons[*iconRef] = std::move(icon);
    return noErr;
}

bool IsValidIconRef(IconRef iconRef) { return Table().icons.count(iconRef) > 0; }

OSStatus PlotIconRefInContext(int32_t context, const uint8_t* rect, int16_t align, int16_t transform,
                              const uint8_t* /*labelColor*/, uint32_t /*flags*/, IconRef iconRef) {
    const QImage icon = IconImage(iconRef);
    if (!rect || align != 0 || transform != 0 || icon.isNull()) return paramErr;
    float r[4];
    std::memcpy(r, rect, sizeof r);
    const bool drawn = DrawInContext(context, [&](QPainter& painter) {
        // The context's y grows upward: the picture is turned so that it stands upright.
        painter.translate(r[0], r[1] + r[3]);
        painter.scale(1.0, -1.0);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(0, 0, r[2], r[3]), icon);
    });
    return drawn ? noErr : paramErr;
}

OSErr ReleaseIconRef(IconRef iconRef) {
    return Table().icons.erase(iconRef) > 0 ? noErr : invalidIconRefErr;
}

QImage IconImage(IconRef iconRef) {
    const auto& icons = Table().icons;
    auto it = icons.find(iconRef);
    return it == icons.end() ? QImage() : it->second;
}

} // namespace carbon
