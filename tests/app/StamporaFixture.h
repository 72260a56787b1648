#pragma once

#include "app/App.h"
#include "app/IMageFiles.h"
#include "app/MenuBar1.h"
#include "app/ProjectPictures.h"
#include "app/Stampora.h"
#include "framework/core/ExecutableFile.h"
#include "framework/core/Runtime.h"
#include "framework/core/SpecialFolder.h"
#include "framework/core/System.h"
#include "framework/ui/UserInteraction.h"
#include "interfacekit/ifkColorWell.h"
#include "mail/CleanOnQuit.h"
#include "platform/carbon/CarbonLibrary.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Photos and pixel helpers of the composer's tests. Photos are made here rather than
// checked in, so their content is exactly what a test needs.
namespace cardtest {

// A PICT of `tiles` white 4000 x 4000 DirectBitsRect tiles, each row one packed run:
// ImageMagick spends a fifth of a second on every tile.
inline std::string PictTiles(int tiles, int side = 4000) {
    auto hex = [](const char* text) { return QByteArray::fromHex(text); };
    auto word = [](int v) { return QByteArray(1, char((v >> 8) & 0xFF)) + char(v & 0xFF); };
    const QByteArray frame = hex("00000000") + word(side) + word(side);
    const QByteArray header = QByteArray(512, '\0') + hex("0200") + frame + hex("001102ff" "0c00fffe0000") +
                              QByteArray(8, '\0') + frame + QByteArray(4, '\0') + hex("0001000a") + frame;
    const QByteArray tile = hex("009a000000ff") + word(0x8000 | (side * 4)) + frame + hex("00000004") + QByteArray(12, '\0') +
                            hex("0010002000030008") + QByteArray(12, '\0') + frame + frame + hex("0040") +
                            hex("000281ff").repeated(side);
    return (header + tile.repeated(tiles) + hex("00ff")).toStdString();
}

inline QImage Solid(int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Every column a different colour, so that a shifted crop shows.
inline QImage ColumnRamp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, (x / 256) * 60, (y * 255) / std::max(1, height - 1)));
    return image;
}

inline fw::FolderItemRef Item(const std::string& path) { return fw::FolderItem::FromPath(path); }

inline QImage Pixels(const fw::PictureRef& picture) { return picture->Image().convertToFormat(QImage::Format_RGB32); }

// The built bundle's resources, the system library and the image file types, as the program starts with them.
inline void UseBuiltBundle() {
    fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
    carbon::InstallCarbonLibrary();
    if (!IMageFiles::pJpeg) IMageFiles::_Initialize();
}

} // namespace cardtest

namespace fs = std::filesystem;
using cardtest::Item;
using cardtest::Pixels;
using testsupport::Near;
using testsupport::ReadFile;
using testsupport::RgbAt;
using testsupport::SolidPicture;

// A composer window of its own for each test, reading the built bundle's
// resources, with every dialog answered by a script.
class StamporaTest : public ::testing::Test {
protected:
    void SetUp() override {
        cardtest::UseBuiltBundle();
        ui = std::make_shared<fw::ScriptedUserInteraction>();
        fw::UserInteraction::Install(ui);
        window = Stampora::Instance();
        QApplication::processEvents();
    }

    void TearDown() override {
        window.reset();
        fw::Runtime::ReleaseFrameworkLists();
        fw::UserInteraction::Install(nullptr);
        fw::Runtime::ResetQuitState();
        QApplication::processEvents();
    }

    QImage Card() { return cardtest::Pixels(window->Generate()); }
    QImage Shown() { return cardtest::Pixels(window->DisplayArea()->BackingPicture()); }
    // Paints over the canvas so that a test can tell whether the card was drawn again.
    void Scribble() {
        fw::Graphics& g = window->DisplayArea()->GetGraphics();
        g.ForeColor = 0x00FF00;
        g.FillRect(0, 0, window->DisplayArea()->Width, window->DisplayArea()->Height);
    }
    // After a re-render the canvas shows exactly the card Generate makes now.
    bool ShowsTheCard() { return Shown() == Card(); }

    std::shared_ptr<fw::ScriptedUserInteraction> ui;
    std::shared_ptr<Stampora> window;
    testsupport::ScratchDir files_;
};
