// Picture files as the real platform reads them: the natural size, decoded
// no larger than shown and upright, at once however broken or extreme the
// file; and thumbnails cut to the slide's proportions around the middle, or
// none for a picture that cannot be read whole.
#include <gtest/gtest.h>

#include <QColorSpace>
#include <QImageWriter>
#include <QProgressDialog>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "adapter_support.h"
#include "huge_pictures.h"
#include "qt/picture_cache.h"
#include "qt/picture_decoder.h"
#include "site/gallery.h"

namespace sbqt {
namespace {

using sb::test::TempDir;
using namespace test;

bool reddish(QColor c) { return c.red() > 150 && c.blue() < 100; }


TEST(Pictures, TurnedUprightByTheirOrientationTag) {
    TempDir dir;
    QtPlatform platform(qpath(dir.str()));
    platform.setDisplayBound({1000, 1000});
    // Stored 32x16 with its top-left quarter red; where the red quarter ends up once upright.
    QImage stored = filled({32, 16}, Qt::blue);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) stored.setPixelColor(x, y, Qt::red);
    enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };
    const Corner red[] = {TopLeft, TopRight, BottomRight, BottomLeft, TopLeft, TopRight, BottomRight, BottomLeft};
    for (int tag = 1; tag <= 8; ++tag) {
        SCOPED_TRACE(tag);
        const std::string path = dir / ("turned " + std::to_string(tag) + ".jpg");
        ASSERT_TRUE(writeBytes(path, withOrientation(encoded(stored, "JPEG", 95), tag)));
        const QSize upright = tag <= 4 ? QSize(32, 16) : QSize(16, 32);
        EXPECT_EQ(platform.loadPicture(path), (sb::PixelSize{upright.width(), upright.height()}));
        // Decoded whole, and scaled down to half the room while decoding.
        for (const int divisor : {1, 2}) {
            const QImage image = PictureCache::decode(qpath(path), upright / divisor).value_or(PictureCache::Picture{}).image;
            ASSERT_EQ(image.size(), upright / divisor);
            const int w = image.width(), h = image.height();
            const QPoint corners[] = {{w / 4, h / 4}, {w * 3 / 4, h / 4}, {w * 3 / 4, h * 3 / 4}, {w / 4, h * 3 / 4}};
            for (int corner = TopLeft; corner <= BottomLeft; ++corner)
                EXPECT_EQ(reddish(image.pixelColor(corners[corner])), corner == red[tag - 1]) << "corner " << corner;
        }
    }
}

// Each file is answered at once, and then, once decoded: its natural size,
// and decoded for the room it is shown in (never enlarged), or refused as no
// picture; no decode takes more than its budget.
TEST(Pictures, BrokenAndExtremeFilesAreAnsweredAtOnce) {
    QImage noise(320, 240, QImage::Format_RGB888);  // picture data, not headers, make up most of the file
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x ^ y) & 255, (x * y) % 253));
    const QByteArray jpeg = encoded(noise, "JPEG", 50), png = encoded(filled({200, 100}, Qt::gray), "PNG");
    QByteArray corrupt = png;  // a sound PNG header over picture data that is not
    for (qsizetype i = 40; i < corrupt.size() - 12; ++i) corrupt[i] = char(0xA5);
    using Size = std::optional<QSize>;
    const Size none;
    struct Case { const char* name; Maker make; Size natural; QSize room; QSize decoded; };
    const Case cases[] = {
        {"photo.jpg", bytes(encoded(filled({1024, 768}, Qt::gray), "JPEG")), QSize(1024, 768), {640, 480}, {640, 480}},
        {"tall room.jpg", bytes(encoded(filled({1024, 768}, Qt::gray), "JPEG")), QSize(1024, 768), {300, 600}, {300, 225}},
        {"wide.jpg", bytes(encoded(filled({1024, 400}, Qt::gray), "JPEG")), QSize(1024, 400), {640, 480}, {640, 250}},  // one side too large
        {"small.png", bytes(png), QSize(200, 100), {640, 480}, {200, 100}},
        {"48 megapixel.jpg", bytes(encoded(filled({8000, 6000}, Qt::gray), "JPEG", 30)), QSize(8000, 6000), {1000, 700}, {933, 700}},
        {"nome con spazi è.gif", bytes(encoded(filled({40, 28}, Qt::gray), "PNG")), QSize(40, 28), {640, 480}, {40, 28}},
        {"troncata.jpg", bytes(jpeg.left(jpeg.size() / 2)), QSize(320, 240), {640, 480}, {320, 240}},  // the top half shows
        {"sedici bit.png", bytes(encoded(filled({64, 48}, Qt::gray, QImage::Format_RGBA64), "PNG")), QSize(64, 48), {640, 480}, {64, 48}},
        {"animata.gif", magick("-size 30x20 xc:red xc:blue -loop 0 -delay 10"), QSize(30, 20), {640, 480}, {30, 20}},
        {"progressiva.jpg", magick("-size 300x200 gradient:red-blue -interlace Plane"), QSize(300, 200), {640, 480}, {300, 200}},
        {"broken.png", bytes(corrupt), none, {640, 480}, {0, 0}},
        {"troncata.png", bytes(png.left(60)), none, {640, 480}, {0, 0}},
        {"rumore.gif", bytes("GIF89a" + QByteArray(3000, '\xA7')), none, {640, 480}, {0, 0}},
        {"rumore.bmp", bytes("BM" + QByteArray(3000, '\x5C')), none, {640, 480}, {0, 0}},
        {"rumore.jpg", bytes("\xFF\xD8\xFF" + QByteArray(3000, '\x33')), none, {640, 480}, {0, 0}},
        {"vuota.png", bytes({}), none, {640, 480}, {0, 0}},
        {"testo.jpg", bytes("Questa non e' una immagine.\r\n"), none, {640, 480}, {0, 0}},
        {"mancante.jpg", [](const std::string&) { return true; }, none, {640, 480}, {0, 0}},
        {"alta zero.gif", bytes(QByteArray::fromHex("474946383961100000008000000000ffffff2c000000001000000000020244013b")), none, {640, 480}, {0, 0}},
        // A sound header claiming 100000 x 100000 pixels (40 GB) is refused from the header.
        {"enorme.png", bytes(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a0080200000027309c9f")), none, {640, 480}, {0, 0}},
        // 30000 x 30000: a JPEG decodes at an eighth; a progressive one needs
        // all its coefficients at once (1.8 GB), a PNG all its pixels: refused.
        {"enorme.jpg", hugeGreyJpeg(30000, false), QSize(30000, 30000), {640, 480}, {480, 480}},
        {"enorme progressiva.jpg", hugeGreyJpeg(30000, true), none, {640, 480}, {0, 0}},
        {"enorme vera.png", hugeGreyPng(30000), none, {640, 480}, {0, 0}},
    };
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
        EXPECT_EQ(platform.picture(qpath(path), c.room).size(), c.decoded);
        EXPECT_LE(peakSinceLastCall(), PictureDecoder::kPictureBudget);
    }
}

// A picture whose top half is red and bottom half blue (left and right halves
// when `leftAndRight`); with `greenMiddle` a green band across the middle third.
QByteArray halves(QSize size, const char* format, bool leftAndRight = false, bool greenMiddle = false) {
    QImage image = filled(size, Qt::blue);
    const QRect red = leftAndRight ? QRect(0, 0, size.width() / 2, size.height()) : QRect(0, 0, size.width(), size.height() / 2);
    const QRect green(0, size.height() / 3, size.width(), greenMiddle ? size.height() / 3 : 0);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (green.contains(x, y) || red.contains(x, y)) image.setPixel(x, y, green.contains(x, y) ? qRgb(0, 255, 0) : qRgb(255, 0, 0));
    return encoded(image, format, 60);
}

TEST(Thumbnails, EachPictureGivesAnUprightThumbnailOfTheSlidesProportionsOrNone) {
    const QByteArray photo = halves({1200, 800}, "JPEG");
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0), white = qRgb(255, 255, 255), none = 0;
    struct Case { const char* name; QByteArray bytes; QRgb top, bottom; };  // the thumbnail's colours, none for no thumbnail
    std::vector<Case> cases = {
        {"paesaggio.jpg", photo, red, blue},
        {"girata.jpg", withOrientation(halves({400, 200}, "JPEG", true), 6), red, blue},  // a quarter clockwise
        {"ritratto.png", halves({300, 900}, "PNG", false, true), green, green},  // only its middle is shown
        {"piccola.gif", {}, red, blue},  // Qt writes no GIF: ImageMagick makes it below
        {"bitmap.bmp", halves({640, 480}, "BMP"), red, blue},
        {"panorama.jpg", halves({6000, 30}, "JPEG"), red, blue},
        {"48 megapixel.jpg", halves({8000, 6000}, "JPEG"), red, blue},
        {"trasparente.png", encoded(filled({64, 64}, Qt::transparent, QImage::Format_ARGB32), "PNG"), white, white},
        {"troncata.jpg", photo.left(photo.size() * 6 / 10), none, none},
        {"finta.jpg", "not a picture at all", none, none},
        {"vuota.png", {}, none, none},
        {"mancante.jpg", {}, none, none},
    };
    if (QImageWriter::supportedImageFormats().contains("webp")) cases.push_back({"moderna.webp", halves({800, 600}, "WEBP"), red, blue});
    else ADD_FAILURE() << "no WebP support: scripts/deps.sh installs qt6-image-formats-plugins";

    TempDir dir;
    std::vector<sb::ThumbnailOrder> orders;
    for (const Case& c : cases) {
        if (std::string(c.name) != "mancante.jpg") {
            ASSERT_TRUE(writeBytes(dir / c.name, c.bytes));
        }
        orders.push_back({dir / c.name, {230, 160}});
    }
    ASSERT_TRUE(magick("-size 40x15 xc:red xc:blue -append")(dir / "piccola.gif"));
    std::map<std::size_t, QImage> made;
    std::size_t calls = 0;
    QtPlatform platform(qpath(dir.str()));
    EXPECT_TRUE(platform.makeThumbnails(orders, [&](std::size_t i, sb::MadePicture picture) {
        ++calls;
        const std::string& jpeg = picture.thumbnail;
        made[i] = jpeg.empty() ? QImage() : QImage::fromData(QByteArray::fromStdString(jpeg), "JPEG");
        EXPECT_TRUE(jpeg.empty() || !made[i].isNull()) << cases.at(i).name << ": not a JPEG";
    }));
    EXPECT_EQ(calls, cases.size()) << "each thumbnail handed over once";

    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 60 && std::abs(qGreen(a) - qGreen(b)) < 60 && std::abs(qBlue(a) - qBlue(b)) < 60;
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const QImage& image = made[i];
        const QRgb top = cases[i].top, bottom = cases[i].bottom;
        if (top == none) {
            EXPECT_TRUE(image.isNull());
            continue;
        }
        ASSERT_EQ(image.size(), QSize(230, 160));
        for (const int x : {5, 115, 224}) {
            EXPECT_TRUE(near(image.pixel(x, 10), top)) << "top at " << x << ": " << std::hex << image.pixel(x, 10);
            EXPECT_TRUE(near(image.pixel(x, 150), bottom)) << "bottom at " << x << ": " << std::hex << image.pixel(x, 150);
        }
    }
}

// The web-sized copies come from the thumbnail's decoding: upright, the
// long side 2048 or 1024 and never enlarged, none where a JPEG is its own,
// in the picture's colour profile.
TEST(Thumbnails, WebSizedCopiesAreUprightNeverEnlargedAndKeepTheColourProfile) {
    QImage wide = QImage::fromData(halves({3000, 1500}, "JPEG", true));  // left red: on top once turned
    wide.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    struct Case { const char* name; QByteArray bytes; QSize thumbnail, large, small, upright; };
    const Case cases[] = {
        {"girata.jpg", withOrientation(encoded(wide, "JPEG"), 6), {230, 160}, {1024, 2048}, {512, 1024}, {1500, 3000}},
        {"media.jpg", halves({1600, 1200}, "JPEG"), {}, {}, {1024, 768}, {1600, 1200}},
        {"piccola.png", halves({800, 600}, "PNG"), {}, {800, 600}, {800, 600}, {800, 600}},
        {"solo misurata.jpg", halves({3000, 2000}, "JPEG"), {}, {}, {}, {3000, 2000}},
    };
    TempDir dir;
    std::vector<sb::ThumbnailOrder> orders;
    for (const Case& c : cases) {
        ASSERT_TRUE(writeBytes(dir / c.name, c.bytes));
        const bool measured = std::string(c.name) == "solo misurata.jpg";
        orders.push_back({dir / c.name, {c.thumbnail.width(), c.thumbnail.height()},
                          measured ? std::vector<int>{} : std::vector<int>{sb::kLargeCopySide, sb::kSmallCopySide}});
    }
    std::map<std::size_t, sb::MadePicture> made;
    QtPlatform platform(qpath(dir.str()));
    EXPECT_TRUE(platform.makeThumbnails(orders, [&](std::size_t i, sb::MadePicture picture) { made[i] = std::move(picture); }));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QSize(made[i].upright.width, made[i].upright.height), c.upright);
        EXPECT_EQ(made[i].thumbnail.empty(), c.thumbnail.isEmpty());
        const QSize sizes[] = {c.large, c.small};
        for (std::size_t k = 0; k < made[i].copies.size(); ++k) {
            const QImage copy = QImage::fromData(QByteArray::fromStdString(made[i].copies[k]), "JPEG");
            EXPECT_EQ(copy.isNull() ? QSize() : copy.size(), sizes[k]) << "copy " << k;
            if (copy.isNull()) continue;
            EXPECT_TRUE(reddish(copy.pixelColor(copy.width() / 2, copy.height() / 8))) << "upright, copy " << k;
            EXPECT_FALSE(reddish(copy.pixelColor(copy.width() / 2, copy.height() * 7 / 8))) << "upright, copy " << k;
            if (i == 0) {
                EXPECT_EQ(copy.colorSpace(), QColorSpace(QColorSpace::DisplayP3)) << "copy " << k;
            }
        }
    }
}

// FIFOs nobody writes to in the place of pictures: the batch never waits on
// them, and Cancel, or a stop asked by SIGTERM or SIGINT, returns at once
// (the FIFOs are unblocked after 5 s, so that a fault fails instead of hanging).
TEST(Thumbnails, CancelAndStopReturnAtOnceWhateverStandsInPlaceOfAPicture) {
    TempDir dir;
    const QByteArray photo = halves({2000, 1500}, "JPEG");
    std::vector<sb::ThumbnailOrder> orders;
    std::vector<std::string> fifos;
    for (int i = 0; i < 120; ++i) {
        const std::string path = dir / ("foto " + std::to_string(i) + ".jpg");
        if (i % 30 < 3) {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            fifos.push_back(path);
        } else {
            ASSERT_TRUE(writeBytes(path, photo));
        }
        orders.push_back({path, {230, 160}});
    }
    enum Ending { Whole, Cancelled, Stopped };
    for (const Ending ending : {Whole, Cancelled, Stopped}) {
        SCOPED_TRACE(ending);
        std::mutex mutex;
        std::condition_variable over;
        bool done = false;
        std::thread unstick([&] {
            std::unique_lock lock(mutex);
            while (!over.wait_for(lock, std::chrono::seconds(5), [&] { return done; }))
                for (const std::string& fifo : fifos) ::close(::open(fifo.c_str(), O_RDWR | O_NONBLOCK));
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
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        over.notify_all();
        unstick.join();
        EXPECT_EQ(whole, made == orders.size());
        EXPECT_TRUE(whole || ending != Whole);
        EXPECT_LT(returned - std::max<qint64>(askedAt, 0), ending == Whole ? 4000 : 1000);
    }
}

}  // namespace
}  // namespace sbqt
