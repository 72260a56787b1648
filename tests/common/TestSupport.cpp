#include "tests/common/TestSupport.h"

#include "framework/core/SpecialFolder.h"
#include "framework/core/System.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

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

std::string ScratchDir::WriteJpeg(const std::string& name, const QImage& image, int quality) const {
    return Write(name, Encoded(image, "JPEG", quality).toStdString());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void UsePrivateHome(const std::string& home) {
    setenv("HOME", home.c_str(), 1);
    for (const auto& [variable, folder] : {std::pair{"XDG_CONFIG_HOME", "/.config"},
                                           {"XDG_DATA_HOME", "/.local/share"},
                                           {"XDG_CACHE_HOME", "/.cache"},
                                           {"XDG_DOCUMENTS_DIR", "/Documents"},
                                           {"XDG_DESKTOP_DIR", "/Desktop"}})
        setenv(variable, (home + folder).c_str(), 1);
    for (const char* folder : {"Documents", "Desktop"}) QDir(QString::fromStdString(home)).mkpath(folder);
}

ScopedHome::ScopedHome() {
    QDir(QString::fromStdString(Path())).mkpath("Documents");
    fw::SpecialFolder::SetHomeForTests(Path());
}

ScopedHome::~ScopedHome() { fw::SpecialFolder::SetHomeForTests(""); }

::testing::AssertionResult Near(QRgb actual, QRgb expected, int tolerance) {
    const int d = std::max({std::abs(qRed(actual) - qRed(expected)),
                            std::abs(qGreen(actual) - qGreen(expected)),
                            std::abs(qBlue(actual) - qBlue(expected))});
    if (d <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << "colour 0x" << (actual & 0xFFFFFF)
                                         << " is not near 0x" << (expected & 0xFFFFFF);
}

::testing::AssertionResult MatchesReference(const QImage& picture, const std::string& testdata,
                                            const std::string& name, int channelTolerance, int maxOffPixels) {
    const QImage actual = picture.convertToFormat(QImage::Format_RGB32);
    const QString reference = QString::fromStdString(testdata + "/" + name + ".png");
    if (qEnvironmentVariableIntValue("STAMPORA_UPDATE_REFERENCES") == 1) {
        QDir().mkpath(QFileInfo(reference).path());
        if (!actual.save(reference, "PNG", 0)) return ::testing::AssertionFailure() << "cannot write " << reference.toStdString();
        std::fprintf(stderr, "reference written: %s\n", qPrintable(reference));
        return ::testing::AssertionSuccess();
    }
    const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
    const bool sameSize = expected.size() == actual.size();
    QImage difference = actual;
    int off = sameSize ? 0 : actual.width() * actual.height();
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const bool differs = !sameSize || !Near(actual.pixel(x, y), expected.pixel(x, y), channelTolerance);
            const int faded = 192 + qGray(actual.pixel(x, y)) / 4;
            off += differs && sameSize, difference.setPixel(x, y, differs ? qRgb(255, 0, 0) : qRgb(faded, faded, faded));
        }
    if (off <= maxOffPixels) return ::testing::AssertionSuccess();
    const QString folder = QDir::current().absoluteFilePath("reference-failures");
    QDir().mkpath(folder);
    const QString actualPath = folder + "/" + QString::fromStdString(name) + ".actual.png";
    const QString differencePath = folder + "/" + QString::fromStdString(name) + ".difference.png";
    actual.save(actualPath, "PNG"), difference.save(differencePath, "PNG");
    return ::testing::AssertionFailure()
           << name << ": " << (expected.isNull() ? "no reference picture, " : "") << off
           << " pixels differ from " << reference.toStdString() << " by more than " << channelTolerance
           << " (at most " << maxOffPixels << " may); the picture drawn: " << actualPath.toStdString()
           << ", the differing pixels in red: " << differencePath.toStdString()
           << ". After an intended change: STAMPORA_UPDATE_REFERENCES=1 ctest --test-dir build -R Reference";
}

QImage QuadrantImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    const int hw = width / 2, hh = height / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, hw, hh, QColor::fromRgb(kRed));
    painter.fillRect(hw, 0, width - hw, hh, QColor::fromRgb(kLime));
    painter.fillRect(0, hh, hw, height - hh, QColor::fromRgb(kBlue));
    painter.fillRect(hw, hh, width - hw, height - hh, QColor::fromRgb(kYellow));
    return image;
}

fw::PictureRef QuadrantPicture(int width, int height) {
    auto picture = fw::Picture::New(width, height, 32);
    QPainter(&picture->Image()).drawImage(0, 0, QuadrantImage(width, height));
    return picture;
}

QByteArray Encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

namespace {

class RecordingSource : public fw::PictureSource {
public:
    RecordingSource(QSize natural, std::vector<QSize>* asked, bool fail) : natural_(natural), asked_(asked), fail_(fail) {}
    QImage Decode(QSize atLeast) override {
        asked_->push_back(atLeast);
        if (fail_) return {};
        QSize size = natural_;
        while (size.width() / 2 >= atLeast.width() && size.height() / 2 >= atLeast.height()) size /= 2;
        QImage image(size, QImage::Format_RGB32);
        image.fill(0x2080C0);
        return image;
    }

private:
    QSize natural_;
    std::vector<QSize>* asked_;
    bool fail_;
};

} // namespace

fw::PictureRef LazyPicture(int width, int height, std::vector<QSize>* asked, QImage preview, bool fail) {
    return std::make_shared<fw::Picture>(width, height, std::make_unique<RecordingSource>(QSize(width, height), asked, fail),
                                         std::move(preview));
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

ReadOnlyFolder::ReadOnlyFolder(std::string path) : path_(std::move(path)) {
    ::chmod(path_.c_str(), 0555);
    // That user (in the superuser's group) must still pass through the test's folders above.
    const std::string temp = QDir::tempPath().toStdString() + "/";
    struct stat st {};
    for (auto up = std::filesystem::path(path_).parent_path(); up.string().starts_with(temp); up = up.parent_path())
        if (::stat(up.c_str(), &st) == 0) ::chmod(up.c_str(), (st.st_mode & 07777) | S_IXGRP | S_IXOTH);
    // Real and effective user both, as an ordinary user's process has them; the saved
    // one stays the superuser's, so that the destructor can take it back.
    if (::geteuid() == 0) superuser_ = ::setresuid(65534, 65534, 0) == 0;
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (superuser_) ::setresuid(0, 0, 0);
    ::chmod(path_.c_str(), 0755);
}

} // namespace testsupport
