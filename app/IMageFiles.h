#pragma once

#include "framework/core/FileType.h"

#include <functional>
#include <string>

// The seven picture types the program opens, registered with the framework at
// start-up and released in table order at shut-down.
class IMageFiles {
public:
    static void _Initialize();
    static fw::FileTypeRef Jpeg();
    // The open dialogs' filter and the canvas's accepted drops: a constant text.
    static std::string All();
    // Releases the types in table order, telling `released` each one's name.
    static void Release(const std::function<void(const char*)>& released = {});

    static fw::FileTypeRef pJpeg;
    static fw::FileTypeRef pPng;
    static fw::FileTypeRef pImageTiff;
    static fw::FileTypeRef pImagePict;
    static fw::FileTypeRef pImageGif;
    static fw::FileTypeRef pImageXBmp;
    static fw::FileTypeRef pImageJp2;
};
