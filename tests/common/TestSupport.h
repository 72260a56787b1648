#pragma once

#include "framework/graphics/Picture.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
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
    // Writes the image as a JPEG file inside the folder and returns its path.
    std::string WriteJpeg(const std::string& name, const QImage& image, int quality = 90) const;

private:
    QTemporaryDir dir_;
};

std::string ReadFile(const std::string& path);

// Points HOME and the XDG folders of the whole process into `home`, with its Documents
// and Desktop folders made, so that a program never touches the tester's own folders.
// Call it before Qt starts.
void UsePrivateHome(const std::string& home);

// While it lives, the special folders' home is a fresh folder holding an empty
// Documents folder.
class ScopedHome : public ScratchDir {
public:
    ScopedHome();
    ~ScopedHome();
    std::string Documents() const { return File("Documents"); }
};

// Each channel within `tolerance`: lossy formats move flat colours by a few steps.
::testing::AssertionResult Near(QRgb actual, QRgb expected, int tolerance = 12);

// The quadrant colours, far enough apart that even a lossy copy keeps them apart.
constexpr QRgb kRed = 0xFF0000, kLime = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;
// Red and lime above, blue and yellow below: any flip, turn, shift or wrong scale shows.
QImage QuadrantImage(int width = 64, int height = 48);
fw::PictureRef QuadrantPicture(int width = 64, int height = 48);

QByteArray Encoded(const QImage& image, const char* format = "JPEG", int quality = 90);

// Compares a rendered picture with the committed reference `<testdata>/<name>.png`:
// they match when at most `maxOffPixels` pixels differ by more than `channelTolerance`
// in a channel (anti-aliasing may move with the font library's version). On a mismatch
// the actual picture and a difference picture (differing pixels red) are written into
// the working folder, reference-failures/. With STAMPORA_UPDATE_REFERENCES=1 in the
// environment the reference is written instead.
::testing::AssertionResult MatchesReference(const QImage& picture, const std::string& testdata,
                                            const std::string& name, int channelTolerance = 24,
                                            int maxOffPixels = 40);

// A picture of the given size whose pixels come, when asked for, from a source that records
// each size asked, halves down like a real reduced decode and paints 0x2080C0, or fails.
fw::PictureRef LazyPicture(int width, int height, std::vector<QSize>* asked, QImage preview = {}, bool fail = false);

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

// While it lives, nothing can be made in the folder: it is read-only, and a
// superuser's process runs as an ordinary user.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string path);
    ~ReadOnlyFolder();

private:
    std::string path_;
    bool superuser_ = false;
};

} // namespace testsupport
