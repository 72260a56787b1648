#pragma once

#include "framework/core/FolderItem.h"
#include "framework/graphics/Picture.h"

#include <memory>

class QMimeData;

namespace fw {

// The first item of a drag: a file, a picture, or both.
class DragItem {
public:
    DragItem(FolderItemRef file, PictureRef picture);
    ~DragItem();
    // The drag's first item as the canvas would receive it; files are admitted only
    // when the filter (file type names) lets them in. A dropped picture's data is
    // copied here and decoded in the helper process (DecodeHelper.h) when first
    // asked for, so that a drop arriving while another picture decodes starts nothing.
    static std::shared_ptr<DragItem> FromMimeData(const QMimeData& data, const std::string& fileFilter,
                                                  bool acceptPictures);
    // Whether FromMimeData could give an item, without decoding anything: a drag
    // passing over the canvas costs nothing.
    static bool Accepts(const QMimeData& data, const std::string& fileFilter, bool acceptPictures);

    bool FolderItemAvailable() const { return file_ != nullptr; }
    FolderItemRef FolderItem() const { return file_; }
    // Whether the drag's picture data decodes; the first ask decodes it.
    bool PictureAvailable() const { return Picture() != nullptr; }
    PictureRef Picture() const;

private:
    FolderItemRef file_;
    mutable PictureRef picture_;
    mutable std::unique_ptr<QMimeData> undecoded_;
};

using DragItemRef = std::shared_ptr<DragItem>;

} // namespace fw
