// What the viewer benchmarks share: a folder of photos they make themselves
// (noisy and detailed, so that they decode as slowly as a camera's: JPEG
// quality 92, a few progressive, one of 48 megapixels), and the real program
// on the background tab having browsed that folder, with a way to click and
// wait for the page in the embedded browser.
#pragma once

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QPushButton>
#include <QTabBar>
#include <QWebEngineView>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/state.h"
#include "qt/main_window_view.h"
#include "qt/qt_platform.h"
#include "ui/main_window.h"

namespace sb::bench {

namespace fs = std::filesystem;

struct PhotoKind {
    int width, height;
    bool progressive;
    const char* name;
};
inline constexpr PhotoKind kOrdinary{4000, 3000, false, "12 MP"};
inline constexpr PhotoKind kProgressive{4000, 3000, true, "12 MP progressive"};
inline constexpr PhotoKind kHuge{8000, 6000, false, "48 MP"};

inline constexpr int kPhotos = 40;
// Photos 5, 15, 25 and 35 are progressive; photo 20 has 48 megapixels.
inline const PhotoKind& photoKind(int number) {
    if (number == 20) return kHuge;
    return number % 10 == 5 ? kProgressive : kOrdinary;
}
inline std::string photoName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "photo_%02d.jpg", number);
    return name;
}

// A smooth random field: a grid of `cells` random values per side, scaled up.
inline QImage randomField(QSize size, int cells, std::uint32_t& state) {
    const QSize grid(std::max(2, size.width() / std::max(1, size.width() / cells)),
                     std::max(2, size.height() * cells / std::max(1, size.width())));
    QImage small(grid, QImage::Format_RGB32);
    for (int y = 0; y < grid.height(); ++y) {
        for (int x = 0; x < grid.width(); ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            small.setPixel(x, y, qRgb(state & 255, (state >> 8) & 255, (state >> 16) & 255));
        }
    }
    return small.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Plasma-like light and colour at three scales, and grain on every pixel.
inline QImage makePhoto(QSize size, int seed) {
    std::uint32_t state = 2463534242u ^ (static_cast<std::uint32_t>(seed) * 2654435761u);
    const QImage coarse = randomField(size, 6, state);
    const QImage middle = randomField(size, 60, state);
    const QImage fine = randomField(size, 600, state);
    QImage photo(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const auto* c = reinterpret_cast<const QRgb*>(coarse.constScanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(middle.constScanLine(y));
        const auto* f = reinterpret_cast<const QRgb*>(fine.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            const int grain = static_cast<int>(state & 31) - 16;
            auto mix = [&](int a, int b, int d) { return std::clamp((a * 5 + b * 3 + d * 2) / 10 + grain, 0, 255); };
            out[x] = qRgb(mix(qRed(c[x]), qRed(m[x]), qRed(f[x])), mix(qGreen(c[x]), qGreen(m[x]), qGreen(f[x])),
                          mix(qBlue(c[x]), qBlue(m[x]), qBlue(f[x])));
        }
    }
    return photo;
}

// The folder of photos, made on the first run and kept under the build folder.
inline fs::path photoFolder() {
    const fs::path folder = fs::path(SB_BENCH_DATA) / "photos-v1";
    if (fs::exists(folder / ".complete")) return folder;
    std::fprintf(stderr, "making %d photos in %s (once, about a minute)...\n", kPhotos, folder.c_str());
    fs::create_directories(folder);
    for (int n = 1; n <= kPhotos; ++n) {
        const PhotoKind& kind = photoKind(n);
        QImageWriter writer(QString::fromStdString((folder / photoName(n)).string()), "jpeg");
        writer.setQuality(92);
        writer.setProgressiveScanWrite(kind.progressive);
        if (!writer.write(makePhoto(QSize(kind.width, kind.height), n))) {
            std::fprintf(stderr, "cannot write %s: %s\n", photoName(n).c_str(), qPrintable(writer.errorString()));
            std::exit(1);
        }
    }
    std::FILE* marker = std::fopen((folder / ".complete").c_str(), "w");
    if (marker) std::fclose(marker);
    return folder;
}

// Runs on the offscreen platform when there is no display; the browser
// refuses root without this.
inline void prepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// The program's folder, copied so that start-up writes its site elsewhere.
inline std::string copyApplicationFolder() {
    const fs::path folder = fs::temp_directory_path() / ("sb-viewer-bench-app-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(SB_APP_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name == "LAYOUT_01" || name == "sitebuilder" || name.starts_with(".")) continue;
        fs::copy(entry.path(), folder / name, fs::copy_options::recursive);
    }
    return folder.string();
}

// The file dialog answers at once with the first photo.
class BenchPlatform : public sbqt::QtPlatform {
public:
    BenchPlatform(const QString& app, std::string picked) : QtPlatform(app), picked_(std::move(picked)) {}
    std::string showOpenDialog(const std::string&, const std::string&) override { return picked_; }

private:
    std::string picked_;
};

// The real program, its window 1024x768, on the background tab, having
// browsed the photo folder.
struct Program {
    fs::path photos;
    std::string appFolder = copyApplicationFolder();
    BenchPlatform platform;
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    sbqt::MainWindowView view{model, platform};
    bool loaded = false;

    Program(const fs::path& photoFolder, bool preload)
        : photos(photoFolder), platform(QString::fromStdString(appFolder), (photoFolder / photoName(1)).string()) {
        platform.setPreloading(preload);
        view.run([this] { model.Form_Load(); });
        view.resize(1024, 768);
        view.show();
        idle(500);
        view.tabBar()->setCurrentIndex(1);  // "Sfondo", as the user clicks it
        waitForPage(20000);
        click("Command1");  // browse: the photo folder is listed
        waitForPage(20000);
        idle(500);
    }
    ~Program() {
        std::error_code ec;
        fs::remove_all(appFolder, ec);
    }

    // Lets the window and the browser run for `ms` milliseconds.
    static void idle(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    // Clicks a button of the window as the user does; returns when its
    // handler has returned.
    void click(const char* button) {
        watchBrowser();
        loaded = false;
        static_cast<QPushButton*>(view.widget(button))->click();
    }

    // Waits until the browser has loaded the page asked for last; false when
    // it did not within `ms` milliseconds.
    bool waitForPage(int ms) {
        watchBrowser();
        QElapsedTimer timer;
        timer.start();
        while (!(loaded && !platform.browserBusy()) && timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
            watchBrowser();
        }
        return loaded;
    }

private:
    void watchBrowser() {
        QWebEngineView* browser = platform.browser();
        if (!browser || browser == watched_) return;
        watched_ = browser;
        QObject::connect(browser, &QWebEngineView::loadFinished, browser, [this] { loaded = true; });
    }
    QWebEngineView* watched_ = nullptr;
};

// "min median max" of some numbers.
struct Spread {
    double min = 0, median = 0, max = 0;
};
inline Spread spreadOf(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return {v.front(), n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.back()};
}

}  // namespace sb::bench
