#include "framework/graphics/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace fw {

namespace {
QClipboard* System() { return QGuiApplication::clipboard(); }
} // namespace

bool Clipboard::PictureAvailable() const {
    const QMimeData* data = System() ? System()->mimeData() : nullptr;
    return data && data->hasImage();
}

PictureRef Clipboard::Picture() const {
    if (!PictureAvailable()) return nullptr;
    const QImage image = System()->image();
    if (image.isNull()) return nullptr;
    return std::make_shared<fw::Picture>(image);
}

void Clipboard::SetPicture(const PictureRef& picture) {
    if (!picture || !System()) return;
    auto* data = new QMimeData;
    data->setImageData(picture->Image());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture->Image().save(&buffer, "PNG");
    data->setData("image/png", png);
    System()->setMimeData(data);
}

} // namespace fw
