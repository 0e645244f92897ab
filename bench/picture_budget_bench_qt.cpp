// What decoding pictures costs the program: the peak memory of the worst
// single decode, and the longest time the window's thread is blocked while
// the user steps with ">" through a folder of 48-megapixel and huge pictures
// (30000 x 30000 JPEG, progressive JPEG and PNG).
//
// Floors, measured in the same run: for memory, a plain QImageReader decode
// of the 48-megapixel photo scaled to the window (the least any viewer
// holds for it); for blocking, the same steps through a folder of small
// photos (the window, the sample page and the browser without the decodes),
// and the scaled decode of the 48-megapixel photo itself (what the window
// would stop for if it decoded on its own thread).
//
// Usage: picture_budget_bench_qt [--rounds N]
#include <QApplication>
#include <QImageReader>
#include <QTimer>

#include <cstring>

#include "huge_pictures.h"
#include "qt/picture_decoder.h"
#include "viewer_bench_support.h"

namespace {

using namespace sb::bench;

constexpr int kSteps = 8;
constexpr double kMiB = 1024.0 * 1024.0;

fs::path makeFolder(const char* name, bool huge) {
    const fs::path folder = fs::path(SB_BENCH_DATA) / name;
    if (fs::exists(folder / ".complete")) return folder;
    fs::create_directories(folder);
    const fs::path photos = photoFolder();
    for (int n = 1; n <= kSteps; ++n) {
        const fs::path file = folder / photoName(n);
        bool made = true;
        if (!huge) {
            made = makePhoto(QSize(640, 480), n).save(QString::fromStdString(file.string()), "JPEG", 92);
        } else if (n == 2) {
            made = sbqt::test::hugeGreyJpeg(30000, false)(file.string());
        } else if (n == 4) {
            made = sbqt::test::hugeGreyJpeg(30000, true)(file.string());
        } else if (n == 6) {
            made = sbqt::test::hugeGreyPng(30000)(file.string());
        } else {
            // The 48-megapixel photo, and a progressive 12-megapixel one.
            fs::copy_file(photos / photoName(n == 7 ? 5 : 20), file, fs::copy_options::overwrite_existing);
        }
        if (!made) {
            std::fprintf(stderr, "cannot make %s\n", file.c_str());
            std::exit(1);
        }
    }
    if (std::FILE* marker = std::fopen((folder / ".complete").c_str(), "w")) std::fclose(marker);
    return folder;
}

// The longest time the window's thread went without running its events,
// sampled by a timer that wants to run every millisecond.
struct BlockWatch {
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    BlockWatch() {
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
    }
    void start() {
        clock.start();
        last = 0;
        longest = 0;
        timer.start(1);
    }
    double stopMs() {
        timer.stop();
        longest = std::max(longest, clock.nsecsElapsed() - last);
        return longest / 1e6;
    }
};

// Steps through the folder; the longest block of any step, and of each step.
std::vector<double> stepBlocks(const fs::path& folder, int rounds) {
    Program program(folder, true);
    if (program.state.N_Img != kSteps) {
        std::fprintf(stderr, "the browse listed %d pictures in %s, not %d\n", program.state.N_Img, folder.c_str(), kSteps);
        std::exit(1);
    }
    std::vector<double> blocks(kSteps + 1, 0.0);
    BlockWatch watch;
    for (int round = 0; round < rounds; ++round) {
        program.state.Img_Corrente = 0;
        program.click("Command4");
        program.waitForPage(20000);
        Program::idle(300);
        for (int step = 2; step <= kSteps; ++step) {
            watch.start();
            program.click("Command4");
            program.waitForPage(20000);
            Program::idle(150);  // the picture arrives meanwhile
            blocks[step] = std::max(blocks[step], watch.stopMs());
            Program::idle(150);
        }
    }
    return blocks;
}

double scaledDecodeMs(const fs::path& file, QSize room, QImage* out = nullptr) {
    QElapsedTimer timer;
    timer.start();
    QImageReader reader(QString::fromStdString(file.string()));
    reader.setScaledSize(reader.size().scaled(room, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (out) *out = image;
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 2;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--rounds N]\n", argv[0]);
            return 2;
        }
    }
    prepareEnvironment();
    QApplication app(argc, argv);
    const fs::path huge = makeFolder("huge-pictures-v1", true);
    const fs::path small = makeFolder("small-pictures-v1", false);
    const QSize room(1024, 768);

    // --- memory ---
    using sbqt::test::peakSinceLastCall;
    QImage floorImage;
    peakSinceLastCall();
    scaledDecodeMs(huge / photoName(1), room, &floorImage);
    const double floorPeak = peakSinceLastCall() / kMiB;
    floorImage = QImage();
    std::printf("peak memory of one decode, fitted in %dx%d / covering a 230x160 thumbnail (budget %lld MiB each)\n",
                room.width(), room.height(), sbqt::PictureDecoder::kPictureBudget / (1024 * 1024));
    double worst = 0;
    for (int n = 1; n <= kSteps; ++n) {
        const QString path = QString::fromStdString((huge / photoName(n)).string());
        double peaks[2];
        bool decoded[2];
        for (const int cover : {0, 1}) {
            const sbqt::PictureDecoder::Request request =
                cover ? sbqt::PictureDecoder::Request{QSize(230, 160), sbqt::PictureDecoder::Fit::Cover, 4096, true}
                      : sbqt::PictureDecoder::Request{room};
            peakSinceLastCall();
            decoded[cover] = sbqt::PictureDecoder::decode(path, request).has_value();
            peaks[cover] = peakSinceLastCall() / kMiB;
            worst = std::max(worst, peaks[cover]);
        }
        QImageReader reader(path);
        std::printf("  %-14s %5dx%-5d %-4s %7.1f MiB %-8s / %7.1f MiB %s\n", photoName(n).c_str(), reader.size().width(),
                    reader.size().height(), reader.format().constData(), peaks[0], decoded[0] ? "shown" : "refused",
                    peaks[1], decoded[1] ? "made" : "refused");
    }
    std::printf("worst single decode %.1f MiB; floor (plain scaled decode of the 48 MP photo) %.1f MiB: %.2fx\n", worst,
                floorPeak, worst / floorPeak);

    // --- blocking ---
    const std::vector<double> floorBlocks = stepBlocks(small, rounds);
    const std::vector<double> hugeBlocks = stepBlocks(huge, rounds);
    double mainThreadDecode = 0;
    for (int i = 0; i < 3; ++i) mainThreadDecode = std::max(mainThreadDecode, scaledDecodeMs(huge / photoName(1), room));
    std::printf("longest block of the window's thread per step with \">\", %d rounds (small photos | these pictures):\n", rounds);
    double longest = 0, longestFloor = 0;
    for (int step = 2; step <= kSteps; ++step) {
        QImageReader reader(QString::fromStdString((huge / photoName(step)).string()));
        std::printf("  to %s (%dx%d %s): %6.1f ms | %6.1f ms\n", photoName(step).c_str(), reader.size().width(),
                    reader.size().height(), reader.format().constData(), floorBlocks[step], hugeBlocks[step]);
        longest = std::max(longest, hugeBlocks[step]);
        longestFloor = std::max(longestFloor, floorBlocks[step]);
    }
    std::printf("longest block %.1f ms (aim: under 100 ms); floor, small photos %.1f ms: %.2fx; "
                "a scaled decode of the 48 MP photo on the window's thread would take %.1f ms\n",
                longest, longestFloor, longest / longestFloor, mainThreadDecode);
    return 0;
}
