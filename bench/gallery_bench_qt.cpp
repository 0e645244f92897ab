// Writing a site whose two groups hold 200 photos of 12 megapixels in all,
// against floors measured in the same run, the benchmarks interleaved at
// random so that a shared machine's load falls on all of them alike:
//  (a) the first write (every thumbnail and both web-sized copies made)
//      against decoding the same photos at each output's scale and saving
//      them, on one thread;
//  (b) writing the unchanged site again against one stat per photo plus
//      writing the site's 28 small files.
// Prints min, median and max of each and the ratios (aims: (a) at most 0.6x,
// (b) within 2x).
//
// The photos are made at the start (20 different ones, each copied five
// times into each group) in a folder of the run's own, removed at the end.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "photos.h"
#include "ratio_reporter.h"
#include "qt/qt_platform.h"
#include "site/gallery.h"
#include "site/home_page.h"
#include "site/script_file.h"
#include "site/site_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDistinct = 20, kPerGroup = 100;
const std::string kApp = SB_APP_DIR;

struct Fixture {
    fs::path root;
    sb::Parametri_Sito parametri = sb::defaultParameters(kApp);
    std::vector<std::string> photos;
    sbqt::QtPlatform platform;

    bool prepare() {
        char pattern[] = "/tmp/sb-gallery-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) return false;
        root = pattern;
        parametri.Cartella_Sito = (root / "sito").string() + "/";
        std::fprintf(stderr, "making %d photos of 4000x3000 in %s...\n", 2 * kPerGroup, root.c_str());
        for (int i = 0; i < kDistinct; ++i) {
            QImageWriter writer(QString::fromStdString((root / ("photo" + std::to_string(i) + ".jpg")).string()), "jpeg");
            writer.setQuality(85);
            if (!writer.write(sb::bench::makePhoto(i, 4000, 3000))) return false;
        }
        for (const char* group : {"Gruppo 1", "Gruppo 2"}) {
            fs::create_directories(root / "sito" / group);
            for (int i = 0; i < kPerGroup; ++i) {
                const fs::path photo = root / "sito" / group / ("Foto " + std::to_string(i + 1) + ".jpg");
                fs::copy_file(root / ("photo" + std::to_string(i % kDistinct) + ".jpg"), photo);
                photos.push_back(photo.string());
            }
        }
        fs::create_directories(root / "floor");
        return true;
    }
    ~Fixture() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
    sb::SiteReport write() { return sb::writeSite({parametri, "Titolo", "Descrizione", kApp, kApp, &platform}); }
    std::string thumbnails() const { return (root / "sito" / sb::kThumbnailFolderName).string(); }
};

Fixture* fixture = nullptr;

void BM_FirstWrite(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(fixture->thumbnails());
        fs::remove(fixture->parametri.Cartella_Sito + sb::kPictureListFileName);
        state.ResumeTiming();
        if (!fixture->write().complete()) state.SkipWithError("the site was not written whole");
    }
}

// Each photo decoded at each output's scale (the thumbnail's, then the two
// copies') and saved, one after the other.
void BM_FloorDecodeAndSave(benchmark::State& state) {
    const sb::PixelSize box = sb::thumbnailSize(fixture->parametri);
    for (auto _ : state) {
        int n = 0;
        for (const std::string& photo : fixture->photos) {
            for (const QSize size : {QSize(box.width, box.height), QSize(sb::kLargeCopySide, sb::kLargeCopySide),
                                     QSize(sb::kSmallCopySide, sb::kSmallCopySide)}) {
                QImageReader reader(QString::fromStdString(photo));
                const bool thumbnail = size.width() == box.width;
                reader.setScaledSize(reader.size().scaled(size, thumbnail ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio));
                const QImage image = reader.read();
                QImageWriter writer(QString::fromStdString((fixture->root / "floor" / (std::to_string(n++) + ".jpg")).string()), "jpeg");
                writer.setQuality(85);
                if (image.isNull() || !writer.write(image)) state.SkipWithError("a photo did not decode or save");
            }
        }
    }
}

void BM_WriteAgain(benchmark::State& state) {
    if (!fixture->write().complete()) state.SkipWithError("the site was not written whole");
    for (auto _ : state) {
        if (!fixture->write().complete()) state.SkipWithError("the site was not written whole");
    }
}

// One stat per photo, the 25 copies (23 pictures, the engine and the icon)
// and the three scripts written whole.
void BM_FloorStatAndSmallFiles(benchmark::State& state) {
    const sb::SiteRequest request{fixture->parametri, "Titolo", "Descrizione", kApp, kApp};
    std::vector<std::pair<std::string, std::string>> copies;
    for (const sb::ImageCopy& copy : sb::siteImageCopies(request)) {
        copies.emplace_back(copy.source, (fixture->root / "floor" / fs::path(copy.target).filename()).string());
    }
    for (const char* name : {sb::kEngineFileName, sb::kSiteIconFileName}) {
        copies.emplace_back(kApp + "/" + name, (fixture->root / "floor" / name).string());
    }
    const std::string site = fixture->parametri.Cartella_Sito;
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* name : {sb::kScriptFileName, sb::kHomePageFileName, sb::kPictureListFileName}) {
        std::ifstream in(site + name, std::ios::binary);
        files.emplace_back((fixture->root / "floor" / name).string(), std::string(std::istreambuf_iterator<char>(in), {}));
    }
    for (auto _ : state) {
        struct stat st {};
        for (const std::string& photo : fixture->photos) benchmark::DoNotOptimize(::stat(photo.c_str(), &st));
        for (const auto& [from, to] : copies) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        for (const auto& [path, bytes] : files) std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
}

void spread(benchmark::internal::Benchmark* b, int iterations) {
    sb::bench::withSpread(b->Unit(benchmark::kMillisecond), iterations);
}

BENCHMARK(BM_FirstWrite)->Apply([](auto* b) { spread(b, 1); });
BENCHMARK(BM_FloorDecodeAndSave)->Apply([](auto* b) { spread(b, 1); });
BENCHMARK(BM_WriteAgain)->Apply([](auto* b) { spread(b, 20); });
BENCHMARK(BM_FloorStatAndSmallFiles)->Apply([](auto* b) { spread(b, 20); });

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::vector<char*> arguments = sb::bench::interleaved(argc, argv);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;

    Fixture f;
    if (!f.prepare()) {
        std::fprintf(stderr, "could not make the photos\n");
        return 1;
    }
    fixture = &f;
    sb::bench::SpreadReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fixture = nullptr;
    reporter.quote("(a) first write / decode and save on one thread", "BM_FirstWrite", "BM_FloorDecodeAndSave", "at most 0.6x");
    reporter.quote("(b) unchanged write / stat and small files", "BM_WriteAgain", "BM_FloorStatAndSmallFiles", "within 2x");
    return 0;
}
