// Stepping through a folder of 40 photos of 12 megapixels with the ">" button
// of the real Main Window (picture load, background page written and sent to
// the embedded browser), against a plain full-size QImageReader decode of the
// same files, measured in the same run. Prints the cost per step, the floor
// and their ratio (aim: faster than the floor, under 30 ms per step).
//
// The photos are made once and kept in /tmp/sb-step-bench-photos/. Runs on
// the offscreen platform when there is no display.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTabBar>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/state.h"
#include "qt/main_window_view.h"
#include "qt/qt_platform.h"
#include "ui/main_window.h"
#include "photos.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPhotos = 40;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
const fs::path kPhotoFolder = "/tmp/sb-step-bench-photos";

std::string photoName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo_%02d.jpg", i + 1);
    return name;
}

// The folder of photos, made on the first run.
bool preparePhotos() {
    const fs::path done = kPhotoFolder / ".complete";
    if (fs::exists(done)) return true;
    std::fprintf(stderr, "making %d photos of %dx%d in %s (once)...\n", kPhotos, kWidth, kHeight,
                 kPhotoFolder.c_str());
    fs::create_directories(kPhotoFolder);
    for (int i = 0; i < kPhotos; ++i) {
        QImageWriter writer(QString::fromStdString((kPhotoFolder / photoName(i)).string()), "jpeg");
        writer.setQuality(85);
        if (!writer.write(sb::bench::makePhoto(i, kWidth, kHeight))) {
            std::fprintf(stderr, "cannot write %s: %s\n", photoName(i).c_str(), qPrintable(writer.errorString()));
            return false;
        }
    }
    std::FILE* marker = std::fopen(done.c_str(), "w");
    if (marker) std::fclose(marker);
    return true;
}

// The program's folder, copied so that start-up writes its site elsewhere.
std::string prepareApplicationFolder() {
    const fs::path folder = fs::temp_directory_path() / ("sb-step-bench-app-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(SB_APP_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name == "LAYOUT_01" || name == "sitebuilder") continue;
        fs::copy(entry.path(), folder / name, fs::copy_options::recursive);
    }
    return folder.string();
}

// The file dialog answers at once with the first photo.
class BenchPlatform : public sbqt::QtPlatform {
public:
    using QtPlatform::QtPlatform;
    std::string showOpenDialog(const std::string&, const std::string&) override {
        return (kPhotoFolder / photoName(0)).string();
    }
};

// The real program, on the background tab, having browsed the photo folder.
struct Program {
    std::string appFolder = prepareApplicationFolder();
    BenchPlatform platform{QString::fromStdString(appFolder)};
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    sbqt::MainWindowView view{model, platform};

    Program() {
        view.run([this] { model.Form_Load(); });
        view.resize(1024, 768);
        view.show();
        settle(2000);
        view.tabBar()->setCurrentIndex(1);  // "Sfondo", as the user clicks it
        settle(1000);
        view.run([this] { model.Command1_Click(); });
        settle(1000);
    }
    ~Program() {
        std::error_code ec;
        fs::remove_all(appFolder, ec);
    }
    // Lets the window and the browser catch up, at most `ms` milliseconds.
    void settle(int ms) {
        QElapsedTimer timer;
        timer.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        } while (platform.browserBusy() && timer.elapsed() < ms);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
};

Program* program = nullptr;

void BM_StepForward(benchmark::State& bench) {
    Program& p = *program;
    if (p.state.N_Img != kPhotos) {
        bench.SkipWithError("the browse did not list the photos");
        return;
    }
    for (auto _ : bench) {
        bench.PauseTiming();
        if (p.state.Img_Corrente >= p.state.N_Img) p.state.Img_Corrente = 0;
        // The browser finishes the page before the user clicks again.
        p.settle(3000);
        bench.ResumeTiming();
        p.view.run([&p] { p.model.Command4_Click(); });
    }
    if (p.model.control("Picture1").picture.empty()) bench.SkipWithError("no picture on view");
}
BENCHMARK(BM_StepForward)->Unit(benchmark::kMillisecond)->Iterations(kPhotos)->UseRealTime();

// The floor: each photo decoded at full size, as a plain viewer would.
void BM_FloorFullDecode(benchmark::State& bench) {
    int i = 0;
    for (auto _ : bench) {
        QImageReader reader(QString::fromStdString((kPhotoFolder / photoName(i++ % kPhotos)).string()));
        const QImage image = reader.read();
        if (image.isNull()) {
            bench.SkipWithError("a photo did not decode");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FloorFullDecode)->Unit(benchmark::kMillisecond)->Iterations(kPhotos)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");  // the browser refuses root otherwise
    }
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!preparePhotos()) return 1;
    auto running = std::make_unique<Program>();
    program = running.get();
    sb::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    program = nullptr;
    running.reset();
    benchmark::Shutdown();

    if (const auto times = reporter.pair("BM_StepForward", "BM_FloorFullDecode")) {
        const auto& [step, floor] = *times;
        std::printf("step: %.1f ms, full-size decode floor: %.1f ms, step / floor: %.2fx "
                    "(aim: below 1x and under 30 ms)\n",
                    step.real, floor.real, step.real / floor.real);
    }
    return 0;
}
