// libFuzzer target: any bytes through the decoder (DecodeOne).

#include "tests/fuzz/DecodeOne.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    fw::Picture::SetPixelLimit(kFuzzPixelLimit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!DecodeOne(bytes)) std::abort();
    return 0;
}
