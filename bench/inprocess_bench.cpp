// The figures whose two sides can run in one process, timed in interleaved rounds
// (ours, then the reference, again and again) and reported as medians, so that a
// disturbance of the machine hits both sides alike:
//
//   - taking in a JPEG and a JPEG 2000 photo: the composer's AddImage with the file
//     (open, decode, cover-scale to the stored copy, render), against libvips'
//     vips_thumbnail of the same file to the same size, its pixels made real in
//     memory, with libvips' operation cache off;
//   - rendering the card (Generate: a 1000 x 750 photo panned 1:1, the stamp, the
//     post mark and a 30-character caption), against a bare 640 x 316 picture made
//     and filled with a copy of the photo crop.
//
//   - a caption keystroke (BackSpace, then a letter) typed into the caption field at
//     the end of a 32,767-character caption without spaces, the field's longest,
//     against the same keystrokes at the end of a 30-character caption; only the
//     lines that reach the card may cost anything, so the target is absolute.
//
//   inprocess_bench <folder of the benchmark photos> [rounds]
//
// Prints one Markdown table row per figure: what, ours, reference, ratio, target.

// libvips first: GLib's headers use a name that Qt's headers define as a macro.
#include <vips/vips.h>

#include "app/IMageFiles.h"
#include "app/Stampora.h"
#include "framework/graphics/DecodeHelper.h"
#include "framework/graphics/PictureDecoder.h"
#include "framework/core/ExecutableFile.h"
#include "framework/core/FolderItem.h"
#include "framework/core/Runtime.h"
#include "framework/graphics/Graphics.h"
#include "framework/ui/EditField.h"
#include "platform/carbon/CarbonLibrary.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// Seconds for `batch` calls of f.
double Time(const std::function<void()>& f, int batch) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < batch; ++i) f();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / batch;
}

struct Pair {
    double ours;
    double reference;
};

// One warm-up call of each, then `rounds` interleaved rounds of `batch` calls.
Pair Interleaved(const std::function<void()>& ours, const std::function<void()>& reference,
                 int rounds, int batch) {
    ours();
    reference();
    std::vector<double> a, b;
    for (int r = 0; r < rounds; ++r) {
        a.push_back(Time(ours, batch));
        b.push_back(Time(reference, batch));
    }
    return {Median(a), Median(b)};
}

std::string Format(double seconds) {
    char text[32];
    if (seconds >= 1e-3) std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
    else std::snprintf(text, sizeof text, "%.0f us", seconds * 1e6);
    return text;
}

void Row(const char* what, const Pair& p, const char* reference, double target) {
    if (target <= 0) {
        std::printf("| %s | %s | %s %s | %.2f | none: the cost of starting on demand |\n", what,
                    Format(p.ours).c_str(), reference, Format(p.reference).c_str(), p.ours / p.reference);
        return;
    }
    std::printf("| %s | %s | %s %s | %.2f | at most %.1f |\n", what, Format(p.ours).c_str(), reference,
                Format(p.reference).c_str(), p.ours / p.reference, target);
    std::fflush(stdout);
}

// A row whose target is a time of ours, not a ratio.
void RowUnder(const char* what, const Pair& p, const char* reference, double targetSeconds) {
    std::printf("| %s | %s | %s %s | %.2f | under %s |\n", what, Format(p.ours).c_str(), reference,
                Format(p.reference).c_str(), p.ours / p.reference, Format(targetSeconds).c_str());
    std::fflush(stdout);
}

// One key pressed and released in a widget, as the keyboard would deliver it.
void Key(QWidget* widget, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

void VipsThumbnail(const std::string& path, int width, int height) {
    VipsImage* out = nullptr;
    if (vips_thumbnail(path.c_str(), &out, width, "height", height, "size", VIPS_SIZE_FORCE, nullptr)) {
        std::fprintf(stderr, "vips_thumbnail %s: %s\n", path.c_str(), vips_error_buffer());
        std::exit(1);
    }
    size_t size = 0;
    void* pixels = vips_image_write_to_memory(out, &size);
    g_free(pixels);
    g_object_unref(out);
}

void ImportPair(Stampora& window, const char* what, const std::string& path, int rounds,
                double target) {
    auto file = fw::FolderItem::FromPath(path);
    window.AddImage(file);
    if (!window.thePicture) {
        std::fprintf(stderr, "cannot take in %s\n", path.c_str());
        std::exit(1);
    }
    // The stored copy's size is the cover size; vips makes the same.
    const int w = window.thePicture->Width();
    const int h = window.thePicture->Height();
    const Pair p = Interleaved([&] { window.AddImage(file); }, [&] { VipsThumbnail(path, w, h); },
                               rounds, 1);
    Row(what, p, "`vips_thumbnail` in-process", target);
}

fw::PictureRef Ramp(int width, int height) {
    auto photo = fw::Picture::New(width, height, 24);
    QImage& image = photo->Image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    return photo;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder of the benchmark photos> [rounds]\n", argv[0]);
        return 2;
    }
    const std::string images = argv[1];
    const int rounds = argc > 2 ? std::max(3, std::atoi(argv[2])) : 15;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (VIPS_INIT(argv[0])) return 1;
    // Every call must do its work: no answer from libvips' cache of operations.
    vips_cache_set_max(0);
    QApplication app(argc, argv);
    QApplication::setFont(QFont("DejaVu Sans", 12));
    fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
    fw::DecodeHelper::SetProgram(STAMPORA_BUNDLE "/bin/stampora-decode");
    carbon::InstallCarbonLibrary();
    IMageFiles::_Initialize();
    {
        auto window = Stampora::Instance();
        ImportPair(*window, "JPEG 6000 x 4000 import, decoded in the helper", images + "/photo_6000x4000.jpg",
                   rounds, 0.5);
        ImportPair(*window, "JPEG 2000 4000 x 3000 import, decoded in the helper",
                   images + "/photo_4000x3000.jp2", rounds, 0.5);

        // What a helper started ahead of time could save at most: a whole round trip
        // for a picture that takes no time to decode, against decoding it here.
        const QString tiny = QDir::temp().filePath("stampora-bench-tiny.jpg");
        QImage(64, 64, QImage::Format_RGB32).save(tiny, "JPEG");
        const auto tinyFile = fw::FolderItem::FromPath(tiny.toStdString());
        QFile tinyBytes(tiny);
        tinyBytes.open(QIODevice::ReadOnly);
        const QByteArray bytes = tinyBytes.readAll();
        const Pair start = Interleaved([&] { (void)tinyFile->OpenAsPicture(); },
                                       [&] { (void)fw::PictureDecoder::Decode(bytes); }, rounds * 2, 1);
        Row("64 x 64 JPEG through the helper (its start-up)", start, "decoded in the program", 0);
        QFile::remove(tiny);

        window->AddImage(Ramp(1000, 750));
        window->imageOffset = fw::Pair::Make(100, 100);
        window->textField()->SetText("Happy birthday from the beach!");   // 30 characters
        auto photo = window->thePicture;
        const Pair card = Interleaved(
            [&] { (void)window->Generate(); },
            [&] {
                auto crop = fw::Picture::New(640, 316, 24);
                crop->GetGraphics().DrawPicture(photo, 0, 0, 640, 316, 100, 100, 640, 316);
            },
            rounds * 4, 200);
        Row("card render (`Generate`)", card, "bare 640 x 316 crop copy", 2.0);

        // The caption field's own limit. Every keystroke renders the card anew: five
        // BackSpaces, then five letters typed. Each text is one the card has never
        // drawn (its first letter counts the batches and the letters typed differ
        // from the ones deleted), so no kept layout serves it. The caption is set
        // before each batch, outside the time.
        fw::EditField& field = *window->textField();
        QWidget* const line = field.Widget();
        int batches = 0;
        const auto keystrokes = [&](size_t length) {
            std::string caption(length, 'a');
            caption[0] = static_cast<char>('A' + batches++ % 26);
            field.SetText(caption);
            constexpr int kEach = 5;
            const auto started = std::chrono::steady_clock::now();
            for (int i = 0; i < kEach; ++i) Key(line, Qt::Key_Backspace, QString());
            for (int i = 0; i < kEach; ++i) Key(line, Qt::Key_B, QStringLiteral("b"));
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
            if (field.Text() != caption.substr(0, length - kEach) + std::string(kEach, 'b')) {
                std::fprintf(stderr, "the keystrokes did not reach the caption field\n");
                std::exit(1);
            }
            return elapsed.count() / (2 * kEach);
        };
        keystrokes(32767);
        std::vector<double> longKeys, shortKeys;
        for (int r = 0; r < rounds; ++r) {
            longKeys.push_back(keystrokes(32767));
            shortKeys.push_back(keystrokes(30));
        }
        RowUnder("caption keystroke at the end of a 32,767-character caption", {Median(longKeys), Median(shortKeys)},
                 "the same at the end of a 30-character caption", 0.020);
    }
    fw::Runtime::ReleaseFrameworkLists();
    vips_shutdown();
    return 0;
}
