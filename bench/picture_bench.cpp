// Photo import and card saving.
//
// AddImage: open a large photo and cover-scale it the way the composer takes a photo
// in (s = 420 / w; if h * s < 316 then s = 316 / h; a new picture of Int(w * s) x
// Int(h * s) with the whole photo drawn smoothly into it). Its floor is vipsthumbnail
// run as a process on the same file to the same size, timed in the same run; the
// ratio is printed beside each figure and again in a summary at the end.
// SaveAsJPEG: writing a 640 x 316 card.

#include "framework/FolderItem.h"
#include "framework/Graphics.h"
#include "framework/NumberRules.h"
#include "framework/Picture.h"
#include "platform/effects/EnsurePictureCompatible.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr double kPhotoAreaWidth = 420.0;
constexpr double kCardHeight = 316.0;

struct Photo {
    const char* label;
    const char* file;
    double target;   // the largest acceptable ratio to vipsthumbnail
};

const Photo kPhotos[] = {
    {"JPEG 6000x4000", "photo_6000x4000.jpg", 0.6},
    {"PNG 6000x4000", "photo_6000x4000.png", 1.0},
    {"JPEG2000 4000x3000", "photo_4000x3000.jp2", 1.0},
};

std::string ImagesFolder() {
    const char* env = std::getenv("STAMPORA_BENCH_IMAGES");
    return env && *env ? env : STAMPORA_BENCH_IMAGES;
}

std::string PathOf(const Photo& photo) { return ImagesFolder() + "/" + photo.file; }

QTemporaryDir& Scratch() {
    static QTemporaryDir dir(QDir::tempPath() + "/stampora-bench-XXXXXX");
    return dir;
}

struct Cover {
    int width;
    int height;
};

Cover CoverSize(double w, double h) {
    double s = kPhotoAreaWidth / w;
    if (h * s < kCardHeight) s = kCardHeight / h;
    return {fw::ToInt32(w * s), fw::ToInt32(h * s)};
}

// What the composer's AddImage does with a file, up to the stored cover-scaled copy.
fw::PictureRef AddImage(const std::string& path) {
    fw::PictureRef photo = fw::FolderItem::FromPath(path)->OpenAsPicture();
    photo = effects::EnsurePictureCompatible(photo);
    if (!photo) return nullptr;
    const Cover cover = CoverSize(photo->Width(), photo->Height());
    fw::PictureRef scaled = fw::Picture::New(cover.width, cover.height, 24);
    scaled->GetGraphics().DrawPicture(photo, 0, 0, cover.width, cover.height, 0, 0, photo->Width(),
                                      photo->Height());
    return scaled;
}

bool RunProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Figures {
    double floorSeconds = 0;
    double oursSeconds = 0;
};
std::map<std::string, Figures>& Results() {
    static std::map<std::string, Figures> results;
    return results;
}

double SecondsPerIteration(std::chrono::steady_clock::time_point start, benchmark::State& state) {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
}

void BM_VipsThumbnail(benchmark::State& state, const Photo& photo) {
    const std::string path = PathOf(photo);
    const QSize size = QImageReader(QString::fromStdString(path)).size();
    // Qt cannot read JPEG 2000 headers; the size is known from how the file is made.
    const Cover cover = size.isValid() ? CoverSize(size.width(), size.height())
                                       : CoverSize(4000, 3000);
    const std::vector<std::string> args = {
        "vipsthumbnail", path, "--size",
        std::to_string(cover.width) + "x" + std::to_string(cover.height), "-o",
        Scratch().path().toStdString() + "/vips_%s.v"};
    if (!RunProcess(args)) {
        state.SkipWithError("vipsthumbnail did not run (install libvips-tools)");
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) RunProcess(args);
    Results()[photo.label].floorSeconds = SecondsPerIteration(start, state);
}

void BM_AddImage(benchmark::State& state, const Photo& photo) {
    const std::string path = PathOf(photo);
    if (!AddImage(path)) {
        state.SkipWithError(("cannot open " + path).c_str());
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) benchmark::DoNotOptimize(AddImage(path));
    Figures& figures = Results()[photo.label];
    figures.oursSeconds = SecondsPerIteration(start, state);
    if (figures.floorSeconds > 0)
        state.counters["x_vipsthumbnail"] = figures.oursSeconds / figures.floorSeconds;
}

void BM_SaveAsJPEG(benchmark::State& state) {
    // A card-like picture: the cover-scaled photo on the left, text on the right.
    fw::PictureRef card = fw::Picture::New(640, 316, 24);
    fw::Graphics& g = card->GetGraphics();
    if (fw::PictureRef photo = AddImage(PathOf(kPhotos[0])))
        g.DrawPicture(photo, 0, 0, 420, 316, 27, 0, 420, 316);
    g.ForeColor = 0x203060;
    g.TextSize = 18;
    g.DrawString("Greetings from the seaside, with love", 440, 120, 180);
    auto file = fw::FolderItem::FromPath(Scratch().path().toStdString() + "/card.jpg");
    for (auto _ : state) benchmark::DoNotOptimize(file->SaveAsJPEG(card));
}

void PrintSummary() {
    std::printf("\nAddImage (decode + cover-scale) against vipsthumbnail, same file, same size:\n");
    for (const Photo& photo : kPhotos) {
        const auto it = Results().find(photo.label);
        if (it == Results().end() || it->second.floorSeconds <= 0 || it->second.oursSeconds <= 0)
            continue;
        const double ratio = it->second.oursSeconds / it->second.floorSeconds;
        std::printf("  %-20s %8.1f ms   vipsthumbnail %8.1f ms   ratio %.2f (target <= %.1f) %s\n",
                    photo.label, it->second.oursSeconds * 1e3, it->second.floorSeconds * 1e3, ratio,
                    photo.target, ratio <= photo.target ? "met" : "MISSED");
    }
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // Each floor runs just before the figure it is the floor of.
    for (const Photo& photo : kPhotos) {
        benchmark::RegisterBenchmark((std::string("vipsthumbnail/") + photo.label).c_str(),
                                     BM_VipsThumbnail, photo)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
        benchmark::RegisterBenchmark((std::string("AddImage/") + photo.label).c_str(), BM_AddImage,
                                     photo)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    }
    benchmark::RegisterBenchmark("SaveAsJPEG/card 640x316", BM_SaveAsJPEG)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
