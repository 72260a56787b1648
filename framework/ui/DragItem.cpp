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

DragItem::DragItem(FolderItemRef file, PictureRef picture) : file_(std::move(file)), picture_(std::move(picture)) {}

DragItem::~DragItem() = default;

std::shared_ptr<DragItem> DragItem::FromMimeData(const QMimeData& data, const std::string& fileFilter,
                                                 bool acceptPictures) {
    FolderItemRef file = AdmittedFile(data, fileFilter);
    std::unique_ptr<QMimeData> picture;
    if (acceptPictures && data.hasImage()) picture = DecodeHelper::PictureData(data);
    if (!file && !picture) return nullptr;
    auto item = std::make_shared<DragItem>(std::move(file), nullptr);
    item->undecoded_ = std::move(picture);
    return item;
}

PictureRef DragItem::Picture() const {
    if (undecoded_) {
        const std::unique_ptr<QMimeData> data = std::move(undecoded_);
        picture_ = DecodeHelper::FromMimeData(*data);
    }
    return picture_;
}

} // namespace fw
