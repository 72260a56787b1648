#include "framework/graphics/JpegEncoder.h"

#include <turbojpeg.h>

#include <memory>

namespace fw {

QByteArray JpegEncoder::Encode(const QImage& image, int quality, QString* reason) {
    const auto fail = [reason](const QString& why) {
        if (reason) *reason = why;
        return QByteArray();
    };
    if (image.isNull()) return fail(QStringLiteral("There is no picture to write."));
    // Three bytes a pixel in R, G, B order whatever the machine's byte order; alpha is
    // dropped as Qt's writer drops it (the card is opaque).
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) return fail(QStringLiteral("Not enough memory to write the picture."));

    const std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitCompress(), &tjDestroy);
    if (!handle) return fail(QString::fromLocal8Bit(tjGetErrorStr2(nullptr)));
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    // The library's own buffer, grown as it needs; ours only takes a copy.
    const int status = tjCompress2(handle.get(), rgb.constBits(), rgb.width(), static_cast<int>(rgb.bytesPerLine()),
                                   rgb.height(), TJPF_RGB, &jpeg, &size, TJSAMP_444, quality, 0);
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(jpeg, &tjFree);
    if (status != 0 || !jpeg || size == 0) return fail(QString::fromLocal8Bit(tjGetErrorStr2(handle.get())));
    return QByteArray(reinterpret_cast<const char*>(jpeg), static_cast<qsizetype>(size));
}

} // namespace fw
