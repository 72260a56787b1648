#pragma once

#include "framework/core/FolderItem.h"
#include "framework/graphics/Picture.h"

#include <memory>

class QMimeData;

namespace fw {

// The first item of a drag: a file, a picture, or both.
class DragItem {
public:
    DragItem(FolderItemRef file, PictureRef picture)
        : file_(std::move(file)), picture_(std::move(picture)) {}
    // The drag's first item as the canvas would receive it; files are admitted only
    // when the filter (file type names) lets them in.
    // A dropped picture is decoded here, in the helper process (DecodeHelper.h).
    static std::shared_ptr<DragItem> FromMimeData(const QMimeData& data, const std::string& fileFilter,
                                                  bool acceptPictures);
    // Whether FromMimeData could give an item, without decoding anything: a drag
    // passing over the canvas costs nothing.
    static bool Accepts(const QMimeData& data, const std::string& fileFilter, bool acceptPictures);

    bool FolderItemAvailable() const { return file_ != nullptr; }
    FolderItemRef FolderItem() const { return file_; }
    bool PictureAvailable() const { return picture_ != nullptr; }
    PictureRef Picture() const { return picture_; }

private:
    FolderItemRef file_;
    PictureRef picture_;
};

using DragItemRef = std::shared_ptr<DragItem>;

} // namespace fw
