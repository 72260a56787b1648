#include "framework/ui/DragItem.h"

#include "framework/core/FileType.h"

#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace fw {

std::shared_ptr<DragItem> DragItem::FromMimeData(const QMimeData& data, const std::string& fileFilter,
                                                 bool acceptPictures) {
    FolderItemRef file;
    if (!fileFilter.empty() && data.hasUrls()) {
        const QList<QUrl> urls = data.urls();
        // Only the first item of a drag counts.
        if (!urls.isEmpty() && urls.first().isLocalFile()) {
            const std::string path = urls.first().toLocalFile().toStdString();
            if (FileTypeRegistry::Admits(fileFilter, path)) file = FolderItem::FromPath(path);
        }
    }
    PictureRef picture;
    if (acceptPictures && data.hasImage()) {
        const QImage image = qvariant_cast<QImage>(data.imageData());
        if (!image.isNull()) picture = std::make_shared<fw::Picture>(image);
    }
    if (!file && !picture) return nullptr;
    return std::make_shared<DragItem>(std::move(file), std::move(picture));
}

} // namespace fw
