// Stepping through a folder of photos with the ">" button of the real Main
// Window, from the click to the background page loaded in the embedded
// browser, against the least a viewer must do for the same photo: decode it
// with QImageReader scaled to the size it is shown. Each step is followed by
// the floor for the same file, so that both see the same machine; between
// steps the program is left alone for a moment, as when a person looks at
// the picture before clicking again.
//
// Prints, for ordinary and progressive 12-megapixel photos and the one of 48
// megapixels: the minimum, median and maximum of the ratios step / floor
// (click to page loaded, and the click's handler alone), with the median
// times in milliseconds.
//
// Usage: step_bench_qt [--rounds N] [--no-preload] [--think MS]
#include <QApplication>
#include <QImageReader>

#include <cstring>
#include <map>

#include "viewer_bench_support.h"

namespace {

using namespace sb::bench;

// The floor: one photo decoded to the room the window gives it.
double floorDecodeMs(const fs::path& file, QSize room) {
    QElapsedTimer timer;
    timer.start();
    QImageReader reader(QString::fromStdString(file.string()));
    const QSize size = sbqt::PictureCache::fitted(reader.size(), room);
    if (size != reader.size()) reader.setScaledSize(size);
    const QImage image = reader.read();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (image.isNull()) {
        std::fprintf(stderr, "%s did not decode\n", file.c_str());
        std::exit(1);
    }
    return ms;
}

struct Samples {
    std::vector<double> loadedMs, handlerMs, floorMs, loadedRatio, handlerRatio;
};

}  // namespace

int main(int argc, char** argv) {
    int rounds = 2, thinkMs = 400;
    bool preload = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--think") && i + 1 < argc) thinkMs = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--no-preload")) preload = false;
        else {
            std::fprintf(stderr, "usage: %s [--rounds N] [--no-preload] [--think MS]\n", argv[0]);
            return 2;
        }
    }
    prepareEnvironment();
    QApplication app(argc, argv);
    const fs::path photos = photoFolder();
    Program program(photos, preload);
    if (program.state.N_Img != kPhotos) {
        std::fprintf(stderr, "the browse listed %d photos, not %d\n", program.state.N_Img, kPhotos);
        return 1;
    }

    std::map<std::string, Samples> byKind;
    for (int round = 0; round < rounds; ++round) {
        // Back to the first photo, from where every ">" is a step.
        program.state.Img_Corrente = 0;
        program.click("Command4");
        program.waitForPage(20000);
        Program::idle(thinkMs);
        for (int step = 2; step <= kPhotos; ++step) {
            QElapsedTimer timer;
            timer.start();
            program.click("Command4");
            const double handler = timer.nsecsElapsed() / 1e6;
            if (!program.waitForPage(20000)) {
                std::fprintf(stderr, "the page of step %d did not load\n", step);
                return 1;
            }
            const double loaded = timer.nsecsElapsed() / 1e6;
            Program::idle(thinkMs);
            const std::string name = program.model.Lista_Immagini[static_cast<std::size_t>(program.state.Img_Corrente)];
            const QSize room = program.platform.displayBound();
            const double floor = floorDecodeMs(photos / name, room);
            Program::idle(thinkMs / 4);
            Samples& s = byKind[photoKind(std::atoi(name.c_str() + 6)).name];
            s.loadedMs.push_back(loaded), s.handlerMs.push_back(handler), s.floorMs.push_back(floor);
            s.loadedRatio.push_back(loaded / floor), s.handlerRatio.push_back(handler / floor);
        }
    }

    std::printf("stepping with \">\" through %d photos, %d rounds, preload %s, %d ms between clicks; load average %s",
                kPhotos, rounds, preload ? "on" : "off", thinkMs, [] {
                    static char text[64] = "?\n";
                    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
                        if (!std::fgets(text, sizeof text, f)) std::strcpy(text, "?\n");
                        std::fclose(f);
                    }
                    return text;
                }());
    for (const PhotoKind* kind : {&kOrdinary, &kProgressive, &kHuge}) {
        const Samples& s = byKind[kind->name];
        const Spread loaded = spreadOf(s.loadedRatio), handler = spreadOf(s.handlerRatio);
        std::printf("%-18s %3zu steps: click to page loaded %6.1f ms, handler %6.1f ms, scaled decode floor %6.1f ms (medians)\n",
                    kind->name, s.floorMs.size(), spreadOf(s.loadedMs).median, spreadOf(s.handlerMs).median,
                    spreadOf(s.floorMs).median);
        std::printf("%-18s     page loaded / floor: min %.2fx median %.2fx max %.2fx; handler / floor: min %.2fx median %.2fx max %.2fx\n",
                    "", loaded.min, loaded.median, loaded.max, handler.min, handler.median, handler.max);
    }
    return 0;
}
