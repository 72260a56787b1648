#include "framework/graphics/Clipboard.h"

#include "framework/graphics/ClipboardWatch.h"
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

bool Clipboard::PictureAvailable() const { return ClipboardWatch::PictureAvailable(); }

PictureRef Clipboard::Picture() const {
    // An owner elsewhere may have stopped answering since it offered its picture:
    // one short wait here instead of Qt's own long one, and then nothing is pasted.
    if (!PictureAvailable() || !ClipboardWatch::OwnerAnswers()) return nullptr;
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
