// Picture files as the real platform reads them, thumbnails and web-sized
// copies, the pictures decoded ahead and kept, and the viewer's step over them.
#include <gtest/gtest.h>

#include <QColorSpace>
#include <QDateTime>
#include <QPainter>
#include <QProgressDialog>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "adapter_support.h"
#include "app/state.h"
#include "huge_pictures.h"
#include "qt/main_window_view.h"
#include "qt/picture_cache.h"
#include "qt/picture_decoder.h"
#include "site/gallery.h"
#include "ui/main_window.h"

namespace sbqt {
namespace {

using sb::test::TempDir;
using namespace test;
namespace fs = std::filesystem;

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 60 && std::abs(qGreen(a) - qGreen(b)) < 60 && std::abs(qBlue(a) - qBlue(b)) < 60;
}

// Each file is answered at once; once decoded, its natural size and the size decoded
// for its room (never enlarged), upright, or no picture; no decode beyond its budget.
TEST(Pictures, BrokenAndExtremeFilesAreAnsweredAtOnce) {
    QImage noise(320, 240, QImage::Format_RGB888);  // picture data, not headers, make up most of the file
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x ^ y) & 255, (x * y) % 253));
    const QByteArray jpeg = encoded(noise, "JPEG", 50), png = encoded(filled({200, 100}, Qt::gray), "PNG");
    using Size = std::optional<QSize>;
    const Size none;
    struct Case { std::string name; Maker make; Size natural; QSize room; QSize decoded; int redCorner = -1; };
    std::vector<Case> cases = {
        {"tall room.jpg", bytes(encoded(filled({1024, 768}, Qt::gray), "JPEG")), QSize(1024, 768), {300, 600}, {300, 225}},
        {"wide.jpg", bytes(encoded(filled({1024, 400}, Qt::gray), "JPEG")), QSize(1024, 400), {640, 480}, {640, 250}},  // one side too large
        {"small.png", bytes(png), QSize(200, 100), {640, 480}, {200, 100}},
        {"48 megapixel.jpg", bytes(encoded(filled({8000, 6000}, Qt::gray), "JPEG", 30)), QSize(8000, 6000), {1000, 700}, {933, 700}},
        {"nome con spazi è.gif", bytes(encoded(filled({40, 28}, Qt::gray), "PNG")), QSize(40, 28), {640, 480}, {40, 28}},
        {"troncata.jpg", bytes(jpeg.left(jpeg.size() / 2)), QSize(320, 240), {640, 480}, {320, 240}},  // the top half shows
        {"sedici bit.png", bytes(encoded(filled({64, 48}, Qt::gray, QImage::Format_RGBA64), "PNG")), QSize(64, 48), {640, 480}, {64, 48}},
        {"animata.gif", magick("-size 30x20 xc:red xc:blue -loop 0 -delay 10"), QSize(30, 20), {640, 480}, {30, 20}},
        {"progressiva.jpg", magick("-size 300x200 gradient:red-blue -interlace Plane"), QSize(300, 200), {640, 480}, {300, 200}},
        {"troncata.png", bytes(png.left(png.size() - 16)), none, {640, 480}, {0, 0}},  // a sound header, its data cut short
        {"rumore.gif", bytes("GIF89a" + QByteArray(3000, '\xA7')), none, {640, 480}, {0, 0}},
        {"rumore.bmp", bytes("BM" + QByteArray(3000, '\x5C')), none, {640, 480}, {0, 0}},
        {"rumore.jpg", bytes("\xFF\xD8\xFF" + QByteArray(3000, '\x33')), none, {640, 480}, {0, 0}},
        {"vuota.png", bytes({}), none, {640, 480}, {0, 0}},
        {"testo.jpg", bytes("Questa non e' una immagine.\r\n"), none, {640, 480}, {0, 0}},
        {"mancante.jpg", [](const std::string&) { return true; }, none, {640, 480}, {0, 0}},
        {"alta zero.gif", bytes(QByteArray::fromHex("474946383961100000008000000000ffffff2c000000001000000000020244013b")), none, {640, 480}, {0, 0}},
        // A sound header claiming 100000 x 100000 pixels (40 GB) is refused from the header.
        {"enorme.png", bytes(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a0080200000027309c9f")), none, {640, 480}, {0, 0}},
        // 30000 x 30000: a JPEG decodes at an eighth; a progressive one (1.8 GB of coefficients), a PNG: none.
        {"enorme.jpg", hugeGreyJpeg(30000, false), QSize(30000, 30000), {640, 480}, {480, 480}},
        {"enorme progressiva.jpg", hugeGreyJpeg(30000, true), none, {640, 480}, {0, 0}},
        {"enorme vera.png", hugeGreyPng(30000), none, {640, 480}, {0, 0}},
    };
    // Stored 32x16 with its top-left quarter red, turned by its orientation tag: the quarter
    // ends up top left, top right, bottom right or bottom left; decoded whole or scaled.
    QImage quarter = filled({32, 16}, Qt::blue);
    QPainter(&quarter).fillRect(0, 0, 16, 8, Qt::red);
    for (int tag = 1; tag <= 8; ++tag) {
        const QSize upright = tag <= 4 ? QSize(32, 16) : QSize(16, 32), room = upright / (tag % 2 + 1);
        cases.push_back({"turned " + std::to_string(tag) + ".jpg", bytes(withOrientation(encoded(quarter, "JPEG", 95), tag)),
                         upright, room, room, (tag - 1) % 4});
    }
    TempDir dir;
    QtPlatform platform(qpath(dir.str()));
    platform.setPictureWait({});  // the header's answer first, the pixels later
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / c.name;
        ASSERT_TRUE(c.make(path));
        platform.setDisplayBound(c.room);
        peakSinceLastCall();
        QElapsedTimer timer;
        timer.start();
        platform.loadPicture(path);
        EXPECT_LT(timer.elapsed(), 1000) << "a viewer would hang on it";
        platform.pictureCache().waitForPreloads();
        const auto natural = platform.loadPicture(path);  // now as the decode found it
        EXPECT_EQ(natural ? Size(QSize(natural->width, natural->height)) : none, c.natural);
        const QImage image = platform.picture(qpath(path), c.room);
        EXPECT_EQ(image.size(), c.decoded);
        for (int corner = 0; c.redCorner >= 0 && corner < 4; ++corner) {
            const QPoint at(image.width() * (corner % 3 ? 3 : 1) / 4, image.height() * (corner / 2 ? 3 : 1) / 4);
            EXPECT_EQ(near(image.pixel(at), qRgb(255, 0, 0)), corner == c.redCorner) << "corner " << corner;
        }
        EXPECT_LE(peakSinceLastCall(), PictureDecoder::kPictureBudget);
    }
}

// Top half red, bottom half blue (left and right when `leftAndRight`); `greenMiddle`: a green middle third.
QByteArray halves(QSize size, const char* format, bool leftAndRight = false, bool greenMiddle = false) {
    QImage image = filled(size, Qt::blue);
    QPainter painter(&image);
    painter.fillRect(leftAndRight ? QRect(0, 0, size.width() / 2, size.height()) : QRect(0, 0, size.width(), size.height() / 2), Qt::red);
    painter.fillRect(0, size.height() / 3, size.width(), greenMiddle ? size.height() / 3 : 0, Qt::green);
    painter.end();
    return encoded(image, format, 60);
}

// Each picture gives an upright thumbnail cut around the middle, or none; and the web-sized copies asked for:
// upright, the long side 2048 or 1024 and never enlarged, none where a JPEG is its own, in the picture's colour profile.
TEST(Thumbnails, EachPictureGivesUprightThumbnailAndCopiesOrNone) {
    const QByteArray photo = halves({1200, 800}, "JPEG");
    QImage wide = QImage::fromData(halves({3000, 1500}, "JPEG", true));  // left red: on top once turned
    wide.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0), white = qRgb(255, 255, 255), none = 0;
    // The thumbnail's colours (none: no thumbnail), the copies' sizes (invalid: none made), the upright size.
    struct Case { const char* name; Maker make; QRgb top, bottom; QSize thumbnail = {230, 160}; std::vector<QSize> copies = {}; QSize upright = {}; };
    const std::vector<Case> cases = {
        {"paesaggio.jpg", bytes(photo), red, blue},
        {"girata.jpg", bytes(withOrientation(encoded(wide, "JPEG"), 6)), red, blue, {230, 160}, {{1024, 2048}, {512, 1024}}, {1500, 3000}},  // a quarter clockwise
        {"ritratto.png", bytes(halves({300, 900}, "PNG", false, true)), green, green},  // only its middle is shown
        {"piccola.gif", magick("-size 40x15 xc:red xc:blue -append"), red, blue},
        {"bitmap.bmp", bytes(halves({640, 480}, "BMP")), red, blue},
        {"panorama.jpg", bytes(halves({6000, 30}, "JPEG")), red, blue},
        // Pictures that see through or move are their own copies: a JPEG would lose that.
        {"trasparente.png", bytes(encoded(filled({64, 64}, Qt::transparent, QImage::Format_ARGB32), "PNG")), white, white,
         {230, 160}, {{}, {}}, {64, 64}},
        {"animata.gif", magick("-size 40x30 xc:red xc:blue -loop 0 -delay 10"), red, red, {230, 160}, {{}, {}}, {40, 30}},
        {"media.jpg", bytes(halves({1600, 1200}, "JPEG")), none, none, {}, {{}, {1024, 768}}, {1600, 1200}},
        {"piccola.png", bytes(halves({800, 600}, "PNG")), none, none, {}, {{800, 600}, {800, 600}}, {800, 600}},
        {"solo misurata.jpg", bytes(halves({3000, 2000}, "JPEG")), none, none, {}, {}, {3000, 2000}},
        {"troncata.jpg", bytes(photo.left(photo.size() * 6 / 10)), none, none},
        {"finta.jpg", bytes("not a picture at all"), none, none},
        {"moderna.webp", bytes(halves({800, 600}, "WEBP")), red, blue},  // made and read by qt6-image-formats-plugins (scripts/deps.sh)
    };
    TempDir dir;
    std::vector<sb::ThumbnailOrder> orders;
    for (const Case& c : cases) {
        ASSERT_TRUE(c.make(dir / c.name));
        orders.push_back({dir / c.name, {c.thumbnail.width(), c.thumbnail.height()},
                          c.copies.empty() ? std::vector<int>{} : std::vector<int>{sb::kLargeCopySide, sb::kSmallCopySide}});
    }
    std::map<std::size_t, sb::MadePicture> made;
    QtPlatform platform(qpath(dir.str()));
    EXPECT_TRUE(platform.makeThumbnails(orders, [&](std::size_t i, sb::MadePicture picture) {
        EXPECT_FALSE(made.contains(i)) << "each handed over once";
        made[i] = std::move(picture);
    }));
    EXPECT_EQ(made.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(made[i].thumbnail.empty(), c.top == none);
        if (c.upright.isValid()) { EXPECT_EQ(QSize(made[i].upright.width, made[i].upright.height), c.upright); }
        if (c.top != none) {
            const QImage image = QImage::fromData(QByteArray::fromStdString(made[i].thumbnail), "JPEG");
            ASSERT_EQ(image.size(), QSize(230, 160)) << "a JPEG of the slide's size";
            for (const int x : {5, 115, 224}) {
                EXPECT_TRUE(near(image.pixel(x, 10), c.top)) << "top at " << x << ": " << std::hex << image.pixel(x, 10);
                EXPECT_TRUE(near(image.pixel(x, 150), c.bottom)) << "bottom at " << x << ": " << std::hex << image.pixel(x, 150);
            }
        }
        ASSERT_EQ(made[i].copies.size(), c.copies.size());
        for (std::size_t k = 0; k < c.copies.size(); ++k) {
            const QImage copy = QImage::fromData(QByteArray::fromStdString(made[i].copies[k]), "JPEG");
            EXPECT_EQ(copy.isNull() ? QSize() : copy.size(), c.copies[k]) << "copy " << k;
            if (copy.isNull()) continue;
            EXPECT_TRUE(near(copy.pixel(copy.width() / 2, copy.height() / 8), red)) << "upright, copy " << k;
            EXPECT_TRUE(near(copy.pixel(copy.width() / 2, copy.height() * 7 / 8), blue)) << "upright, copy " << k;
            if (c.upright == QSize(1500, 3000)) { EXPECT_EQ(copy.colorSpace(), QColorSpace(QColorSpace::DisplayP3)) << "copy " << k; }
        }
    }
}

// FIFOs nobody writes to in the place of pictures: the batch never waits on them,
// and Cancel or a stop returns at once (after 5 s the FIFOs are unblocked, so that a fault fails).
TEST(Thumbnails, CancelAndStopReturnAtOnceWhateverStandsInPlaceOfAPicture) {
    TempDir dir;
    const QByteArray photo = halves({2000, 1500}, "JPEG");
    std::vector<sb::ThumbnailOrder> orders;
    for (int i = 0; i < 120; ++i) {
        const std::string path = dir / ("foto " + std::to_string(i) + ".jpg");
        ASSERT_TRUE(i % 30 < 3 ? ::mkfifo(path.c_str(), 0600) == 0 : writeBytes(path, photo));
        orders.push_back({path, {230, 160}});
    }
    enum Ending { Whole, Cancelled, Stopped };
    for (const Ending ending : {Whole, Cancelled, Stopped}) {
        SCOPED_TRACE(ending);
        std::jthread unstick([&orders](std::stop_token stop) {  // stopped as it goes; a photo is opened harmlessly
            for (int tick = 1; !stop.stop_requested(); ++tick) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                for (std::size_t i = 0; tick % 500 == 0 && i < orders.size(); ++i) ::close(::open(orders[i].picture.c_str(), O_RDWR | O_NONBLOCK));
            }
        });
        QElapsedTimer timer;
        timer.start();
        qint64 askedAt = -1;
        const QObject asking;  // no question is left for a later run
        QTimer::singleShot(ending == Whole ? 60000 : 300, &asking, [&] {
            askedAt = timer.elapsed();
            if (ending == Stopped) QtPlatform::requestStop();
            for (QWidget* w : QApplication::allWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(w); progress && ending == Cancelled) progress->cancel();
        });
        std::size_t made = 0;
        QtPlatform platform(qpath(dir.str()));
        const bool whole = platform.makeThumbnails(orders, [&](std::size_t i, const sb::MadePicture& picture) {
            ++made;
            EXPECT_EQ(picture.thumbnail.empty(), i % 30 < 3) << i;
        });
        const qint64 returned = timer.elapsed();
        QtPlatform::requestStop(false);
        EXPECT_EQ(whole, made == orders.size());
        EXPECT_TRUE(whole || ending != Whole);
        EXPECT_LT(returned - std::max<qint64>(askedAt, 0), ending == Whole ? 4000 : 1000);
    }
}

// --- pictures decoded ahead and kept -----------------------------------------

bool save(const QImage& image, const std::string& path, const char* format = nullptr) { return image.save(qpath(path), format, 90); }

TEST(PictureCache, KeepsTheRecentPicturesWithinItsBound) {
    TempDir dir;
    for (const char* name : {"a.png", "b.png", "c.png"}) ASSERT_TRUE(save(filled({100, 100}, Qt::gray), dir / name));
    ASSERT_TRUE(save(filled({300, 300}, Qt::gray), dir / "big.png"));
    const qint64 one = filled({100, 100}, Qt::gray).sizeInBytes();
    PictureCache cache(2 * one + one / 2);  // room for two
    struct Step { const char* name; int decodes; };
    const Step steps[] = {
        {"a.png", 1}, {"b.png", 2}, {"a.png", 2},  // kept
        {"c.png", 3},                              // b, used longest ago, goes
        {"a.png", 3}, {"b.png", 4}, {"c.png", 5},  // a went for b, then c came back
        {"big.png", 6}, {"big.png", 6},            // larger than the bound alone: kept all the same
        {"c.png", 7},
    };
    for (const Step& s : steps) {
        EXPECT_TRUE(cache.load(qpath(dir / s.name), {})) << s.name;
        EXPECT_EQ(cache.decodes(), s.decodes) << s.name;
        EXPECT_LE(cache.bytes(), std::max(cache.maxBytes(), 9 * one)) << s.name;
    }
    // A larger room decodes again; a smaller one takes the copy kept.
    ASSERT_TRUE(save(filled({800, 600}, Qt::gray), dir / "photo.jpg"));
    const std::pair<QSize, QSize> rooms[] = {{{400, 300}, {400, 300}}, {{800, 800}, {800, 600}}, {{200, 200}, {800, 600}}};
    for (const auto& [room, decoded] : rooms) EXPECT_EQ(cache.load(qpath(dir / "photo.jpg"), room)->image.size(), decoded);
}

// A picture changed on disk since it was decoded, in any way a file changes, is decoded again; one gone is none.
TEST(PictureCache, AChangedPictureIsDecodedAgain) {
    TempDir dir;
    const auto setTime = [](const std::string& path, const QDateTime& time) {
        QFile file(qpath(path));
        return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
    };
    const QDateTime then = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 100);  // on a whole second
    struct Case { const char* what; Maker change; };  // turns the red picture green
    const Case cases[] = {
        {"rewritten, larger", [](const std::string& p) { return save(filled({64, 48}, Qt::green), p, "BMP"); }},
        {"rewritten in place, same length, within the same second",
         [&](const std::string& p) { return save(filled({32, 24}, Qt::green), p, "BMP") && setTime(p, then.addMSecs(500)); }},
        {"replaced by another file, same length and time", [&](const std::string& p) {
             return save(filled({32, 24}, Qt::green), p + ".new", "BMP") && setTime(p + ".new", then) && std::rename((p + ".new").c_str(), p.c_str()) == 0;
         }},
        {"removed", [](const std::string& p) { return fs::remove(p); }},
    };
    const std::string path = dir / "picture.bmp";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(save(filled({32, 24}, Qt::red), path, "BMP") && setTime(path, then));
        PictureCache cache;
        ASSERT_EQ(cache.load(qpath(path), {})->image.pixelColor(0, 0), QColor(Qt::red));
        const std::uint64_t generation = cache.generation(qpath(path));
        ASSERT_TRUE(c.change(path));
        const auto again = cache.load(qpath(path), {});
        const bool gone = !fs::exists(path);
        EXPECT_EQ(again ? again->image.pixelColor(0, 0) : QColor(), gone ? QColor() : QColor(Qt::green));
        EXPECT_FALSE(gone && cache.kept(qpath(path), {}));
        EXPECT_TRUE(gone || cache.generation(qpath(path)) != generation);
    }
}

// The real Main Window on the background tab, having browsed a folder of three photos of three colours.
struct Viewer {
    TempDir photos;
    ApplicationFolder app;
    QuietPlatform platform{app.qstr()};
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    MainWindowView view{model, platform};

    Viewer() {
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(save(filled({600, 400}, colours[i]), photos / ("photo " + std::to_string(i) + ".jpg")));
        view.run([this] { model.Form_Load(); });
        view.resize(1000, 700);
        view.show();
        view.run([this] { model.selectTab(2); });
        model.setText("Text1", 2, photos / "photo 0.jpg");
        click(named(&view, "Command1"));  // the dialog gives back the picture in the field: its folder is listed
        EXPECT_EQ(state.N_Img, 3);
        platform.pictureCache().waitForPreloads();
    }
    // What a person sees in the holder, once the picture on view is decoded off the main thread.
    QImage pixels() {
        platform.pictureCache().waitForPreloads();
        QApplication::processEvents();
        return static_cast<QLabel*>(named(&view, "Picture1"))->pixmap().toImage();
    }
};

// The next picture (or the one on view, shown again), decoded ahead, is taken as it is; changed on disk, one that
// cannot be shown leaves the holders as they were, one that can is shown anew; field, title and sample page move on.
TEST(ViewerStep, ANeighbourChangedAfterItWasDecodedAhead) {
    const QByteArray photo = encoded(filled({600, 400}, Qt::yellow), "JPEG");
    struct Case { const char* what; Maker spoil; bool shown; int step = 1; };  // spoil: none, left as it is
    const Case cases[] = {
        {"unchanged", nullptr, true},
        {"deleted", [](const std::string& p) { return fs::remove(p); }, false},
        {"no longer a picture", bytes("not a picture\n"), false},
        {"another photo", bytes(photo), true},
        {"the picture on view, another photo", bytes(photo), true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Viewer v;
        const std::string next = v.state.Cartella_Img + v.model.Lista_Immagini[std::size_t(v.state.Img_Corrente + c.step)];
        ASSERT_TRUE(v.platform.pictureCache().kept(qpath(next), v.platform.displayBound()));
        const QImage before = v.pixels();
        const std::string shown = v.model.control("Picture1").picture;
        ASSERT_TRUE(!c.spoil || c.spoil(next));
        v.platform.setPreloading(false);  // nothing decoded after the step is counted
        const int decodes = v.platform.pictureCache().decodes();
        c.step ? click(named(&v.view, "Command4")) : v.view.run([&v] { v.model.Vedo_Campi_TAB(); });
        EXPECT_EQ(v.pixels() == before, !c.shown);
        EXPECT_EQ(v.model.control("Picture1").picture, c.shown ? next : shown);
        EXPECT_EQ(v.model.text("Text1", 2), next);
        EXPECT_TRUE(!c.step || v.model.title.ends_with(" 2/3")) << v.model.title;
        EXPECT_TRUE(fs::exists(next.substr(0, next.rfind('.')) + ".HTM"));
        EXPECT_EQ(v.platform.messages, 0);
        EXPECT_TRUE(c.spoil || v.platform.pictureCache().decodes() == decodes) << "the picture decoded ahead is taken";
    }
}

}  // namespace
}  // namespace sbqt
