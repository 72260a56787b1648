#include "framework/FolderItem.h"

#include "framework/Picture.h"

#include <QImageReader>
#include <QImageWriter>

namespace fw {

std::shared_ptr<Picture> FolderItem::OpenAsPicture() const {
    QImageReader reader(QString::fromStdString(AbsolutePath()));
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) return nullptr;
    return std::make_shared<Picture>(std::move(image));
}

bool FolderItem::SaveAsJPEG(const std::shared_ptr<Picture>& picture) const {
    if (!picture) return false;
    QImageWriter writer(QString::fromStdString(AbsolutePath()), "jpeg");
    writer.setQuality(90);
    return writer.write(picture->Image());
}

} // namespace fw
