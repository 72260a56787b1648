#pragma once

#include "framework/Picture.h"

#include <QTemporaryDir>

#include <sys/resource.h>

#include <string>
#include <vector>

namespace testsupport {

// A fresh folder for one test, removed when the object goes.
class ScratchDir {
public:
    ScratchDir();
    std::string Path() const;
    std::string File(const std::string& name) const;
    // Writes bytes to a file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    QTemporaryDir dir_;
};

std::string ReadFile(const std::string& path);

// A new picture of one colour.
fw::PictureRef SolidPicture(int width, int height, QRgb color);
// A picture's pixel without its alpha byte.
QRgb RgbAt(const fw::PictureRef& picture, int x, int y);

// Collects the debug log while it lives.
class DebugLogCapture {
public:
    DebugLogCapture();
    ~DebugLogCapture();
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

// While it lives, every write that takes a file past the given size fails, as on a
// full disk (also for the superuser, whom folder permissions do not stop).
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes);
    ~FullDisk();

private:
    rlimit before_ {};
    void (*handler_)(int) = nullptr;
};

} // namespace testsupport
