#include "framework/graphics/Clipboard.h"

#include "framework/graphics/DecodeHelper.h"

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
    const QMimeData* data = System()->mimeData();
    return data ? DecodeHelper::FromMimeData(*data) : nullptr;
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
