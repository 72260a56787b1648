#include "framework/ui/DragItem.h"

#include "framework/core/FileNames.h"
#include "framework/core/FileType.h"
#include "framework/graphics/DecodeHelper.h"

#include <QMimeData>
#include <QUrl>

namespace fw {

namespace {
FolderItemRef AdmittedFile(const QMimeData& data, const std::string& fileFilter) {
    if (fileFilter.empty() || !data.hasUrls()) return nullptr;
    const QList<QUrl> urls = data.urls();
    // Only the first item of a drag counts.
    if (urls.isEmpty() || !urls.first().isLocalFile()) return nullptr;
    const std::string path = FileNames::Bytes(urls.first().toLocalFile());
    return FileTypeRegistry::Admits(fileFilter, path) ? FolderItem::FromPath(path) : nullptr;
}
} // namespace

bool DragItem::Accepts(const QMimeData& data, const std::string& fileFilter, bool acceptPictures) {
    return AdmittedFile(data, fileFilter) || (acceptPictures && data.hasImage());
}

std::shared_ptr<DragItem> DragItem::FromMimeData(const QMimeData& data, const std::string& fileFilter,
                                                 bool acceptPictures) {
    FolderItemRef file = AdmittedFile(data, fileFilter);
    PictureRef picture;
    if (acceptPictures && data.hasImage()) picture = DecodeHelper::FromMimeData(data);
    if (!file && !picture) return nullptr;
    return std::make_shared<DragItem>(std::move(file), std::move(picture));
}

} // namespace fw
