#include "decodehelper/DecoderMessages.h"

#include <QLoggingCategory>
#include <QString>

#include <Magick++.h>
#include <tiffio.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace decodehelper {

namespace {

// Enough of the first message to tell what went wrong.
constexpr size_t kFirstLength = 200;

std::atomic<long> count{0};
std::mutex firstLock;
std::string first;

// The first message is kept; the rest are only counted.
bool IsFirst() { return count.fetch_add(1, std::memory_order_relaxed) == 0; }

void Keep(std::string text) {
    const std::lock_guard<std::mutex> lock(firstLock);
    first = std::move(text);
}

void TiffMessage(const char* module, const char* format, va_list arguments) {
    if (!IsFirst()) return;
    char text[kFirstLength + 1];
    std::vsnprintf(text, sizeof text, format, arguments);
    Keep(std::string(module ? module : "libtiff") + ": " + text);
}

void MagickMessage(const MagickCore::ExceptionType, const char* reason, const char* description) {
    if (!IsFirst()) return;
    std::string text = std::string("ImageMagick: ") + (reason ? reason : "");
    if (description) text += std::string(" (") + description + ")";
    Keep(std::move(text));
}

void QtMessage(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (!IsFirst()) return;
    const std::string category = context.category ? context.category : "qt";
    Keep(category + ": " + message.left(int(kFirstLength)).toStdString());
}

} // namespace

void DecoderMessages::Capture() {
    TIFFSetWarningHandler(TiffMessage);
    TIFFSetErrorHandler(TiffMessage);
    MagickCore::SetWarningHandler(MagickMessage);
    MagickCore::SetErrorHandler(MagickMessage);
    qInstallMessageHandler(QtMessage);
}

void DecoderMessages::Summarize(const std::string& fileName) {
    const long n = count.load(std::memory_order_relaxed);
    if (n == 0) return;
    std::string line = "stampora-decode: ";
    if (!fileName.empty()) line += fileName + ": ";
    line += std::to_string(n) + (n == 1 ? " message" : " messages") + " from the decoder, the first: ";
    {
        const std::lock_guard<std::mutex> lock(firstLock);
        line += first.substr(0, kFirstLength);
    }
    // One plain line, whatever control characters a name or a message holds.
    std::replace_if(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, ' ');
    line += '\n';
    // One write, so that the line is never interleaved with another process's.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace decodehelper
