#pragma once

#include "framework/core/FolderItem.h"

#include <QSize>

#include <memory>
#include <string>

namespace fw {

// FolderItem's OpenAsPicture and SaveAsJPEG: Picture.cpp installs them into core's
// FolderItem, so that any program holding a picture reads and writes picture files.
// Pictures from outside are decoded in the helper process (DecodeHelper.h).
std::shared_ptr<Picture> OpenPictureFile(const FolderItem& item, QSize coverArea);
// The program's own pictures, from its bundle, decode in the program.
std::shared_ptr<Picture> OpenOwnPictureFile(const FolderItem& item);
bool SavePictureAsJPEG(const FolderItem& item, const std::shared_ptr<Picture>& picture, std::string* failure);

} // namespace fw
