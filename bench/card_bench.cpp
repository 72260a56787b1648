// Rendering the card.
//
// Generate: the whole card (a 1000 x 750 photo panned 1:1, the stamp, the post mark
// and a 30-character caption) into a new 640 x 316 picture. Its floor, timed in the
// same run, is a bare 640 x 316 picture made and filled with a copy of the photo
// crop: the least any rendering of the card must do. The stamp and the post mark
// are made once, when the window opens, and keep their composited form, so each
// draws as a plain blit.

#include "app/IMageFiles.h"
#include "app/Stampora.h"
#include "framework/ExecutableFile.h"
#include "framework/Graphics.h"
#include "framework/Runtime.h"
#include "platform/carbon/CarbonLibrary.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

std::shared_ptr<Stampora>& Window() {
    static std::shared_ptr<Stampora> window;
    return window;
}

fw::PictureRef Photo() {
    auto photo = fw::Picture::New(1000, 750, 24);
    QImage& image = photo->Image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    return photo;
}

// Mean real times in microseconds, the benchmarks' unit.
double floorMicroseconds = 0;
double generateMicroseconds = 0;

void BM_BareCropCopy(benchmark::State& state) {
    auto photo = Window()->thePicture;
    for (auto _ : state) {
        auto card = fw::Picture::New(640, 316, 24);
        card->GetGraphics().DrawPicture(photo, 0, 0, 640, 316, 100, 100, 640, 316);
        benchmark::DoNotOptimize(card->Image().constBits());
    }
}

void BM_Generate(benchmark::State& state) {
    auto window = Window();
    for (auto _ : state) {
        auto card = window->Generate();
        benchmark::DoNotOptimize(card->Image().constBits());
    }
}

// Reports every run and keeps the two mean times for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const double us = run.GetAdjustedRealTime();
            if (run.benchmark_name().find("BM_BareCropCopy") != std::string::npos) floorMicroseconds = us;
            if (run.benchmark_name().find("BM_Generate") != std::string::npos) generateMicroseconds = us;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

BENCHMARK(BM_BareCropCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Generate)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setFont(QFont("DejaVu Sans", 12));
    fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
    carbon::InstallCarbonLibrary();
    IMageFiles::_Initialize();
    Window() = Stampora::Instance();
    Window()->AddImage(Photo());
    Window()->imageOffset = fw::Pair::Make(100, 100);
    Window()->textField()->SetText("Happy birthday from the beach!");   // 30 characters

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (floorMicroseconds > 0 && generateMicroseconds > 0)
        std::printf("\nGenerate: %.1f us, floor (bare crop copy) %.1f us, ratio %.2f (target at most 5)\n",
                    generateMicroseconds, floorMicroseconds,
                    generateMicroseconds / floorMicroseconds);
    Window().reset();
    fw::Runtime::ReleaseFrameworkLists();
    benchmark::Shutdown();
    return 0;
}
