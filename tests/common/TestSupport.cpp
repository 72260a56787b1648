#include "tests/common/TestSupport.h"

#include "framework/System.h"

#include <QColor>

#include <csignal>
#include <fstream>
#include <sstream>

namespace testsupport {

ScratchDir::ScratchDir() : dir_(QDir::tempPath() + "/stampora-test-XXXXXX") {}

std::string ScratchDir::Path() const { return dir_.path().toStdString(); }

std::string ScratchDir::File(const std::string& name) const { return Path() + "/" + name; }

std::string ScratchDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

fw::PictureRef SolidPicture(int width, int height, QRgb color) {
    auto picture = fw::Picture::New(width, height, 24);
    picture->Image().fill(QColor::fromRgb(color));
    return picture;
}

QRgb RgbAt(const fw::PictureRef& picture, int x, int y) {
    return picture->Image().pixel(x, y) & 0xFFFFFF;
}

DebugLogCapture::DebugLogCapture() {
    fw::System::SetDebugLogSink([this](const std::string& line) { lines_.push_back(line); });
}

DebugLogCapture::~DebugLogCapture() { fw::System::SetDebugLogSink(nullptr); }

FullDisk::FullDisk(rlim_t bytes) {
    // The write then fails with EFBIG instead of the process being stopped by SIGXFSZ.
    handler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &before_);
    rlimit limit = before_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FullDisk::~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, handler_);
}

} // namespace testsupport
