// Thumbnails as the real platform makes them, on every core: upright by the
// orientation tag, cut to the slide's proportions around the middle, and
// none at all for a picture that cannot be read whole.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "qt/qt_platform.h"
#include "temp_dir.h"

namespace sbqt {
namespace {

using sb::test::TempDir;

// A picture whose top half is red and bottom half blue (left and right
// halves when `leftAndRight`), as `format` bytes; with `greenMiddle` a
// green band across the middle third.
QByteArray halves(QSize size, const char* format, bool leftAndRight = false, bool greenMiddle = false) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QRect red = leftAndRight ? QRect(0, 0, size.width() / 2, size.height()) : QRect(0, 0, size.width(), size.height() / 2);
    const QRect green(0, size.height() / 3, size.width(), greenMiddle ? size.height() / 3 : 0);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (green.contains(x, y)) image.setPixel(x, y, qRgb(0, 255, 0));
            else if (red.contains(x, y)) image.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 60);
    return bytes;
}

// The same JPEG with an orientation tag saying "turn a quarter clockwise".
QByteArray turnedClockwise(QByteArray jpeg) {
    const char exif[] = "\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08"
                        "\x00\x01" "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00" "\x00\x00\x00\x00";
    return jpeg.insert(2, QByteArray(exif, sizeof exif - 1));
}

enum class Shows { TopRedBottomBlue, Green, White, Nothing };

TEST(Thumbnails, EachPictureGivesAnUprightThumbnailOfTheSlidesProportionsOrNone) {
    TempDir dir;
    QImage clear(64, 64, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QByteArray transparent;
    QBuffer buffer(&transparent);
    buffer.open(QIODevice::WriteOnly);
    clear.save(&buffer, "PNG");
    const QByteArray photo = halves({1200, 800}, "JPEG");

    struct Case { const char* name; QByteArray bytes; Shows shows; };
    std::vector<Case> cases = {
        {"paesaggio.jpg", photo, Shows::TopRedBottomBlue},
        {"girata.jpg", turnedClockwise(halves({400, 200}, "JPEG", true)), Shows::TopRedBottomBlue},
        {"ritratto.png", halves({300, 900}, "PNG", false, true), Shows::Green},  // only its middle is shown
        {"piccola.gif", {}, Shows::TopRedBottomBlue},  // Qt writes no GIF: ImageMagick makes it below
        {"bitmap.bmp", halves({640, 480}, "BMP"), Shows::TopRedBottomBlue},
        {"panorama.jpg", halves({6000, 30}, "JPEG"), Shows::TopRedBottomBlue},
        {"48 megapixel.jpg", halves({8000, 6000}, "JPEG"), Shows::TopRedBottomBlue},
        {"trasparente.png", transparent, Shows::White},
        {"troncata.jpg", photo.left(photo.size() * 6 / 10), Shows::Nothing},
        {"finta.jpg", "not a picture at all", Shows::Nothing},
        {"vuota.png", {}, Shows::Nothing},
        {"mancante.jpg", {}, Shows::Nothing},
    };
    if (QImageWriter::supportedImageFormats().contains("webp")) {
        cases.push_back({"moderna.webp", halves({800, 600}, "WEBP"), Shows::TopRedBottomBlue});
    } else {
        ADD_FAILURE() << "no WebP support: scripts/deps.sh installs qt6-image-formats-plugins";
    }

    std::vector<sb::ThumbnailOrder> orders;
    for (const Case& c : cases) {
        QFile file(QString::fromStdString(dir / c.name));
        if (std::string(c.name) != "mancante.jpg") {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.bytes) == c.bytes.size());
        }
        orders.push_back({file.fileName().toStdString(), {230, 160}});
    }
    ASSERT_EQ(std::system(("convert -size 40x15 xc:red xc:blue -append '" + dir / "piccola.gif" + "'").c_str()), 0);
    std::map<std::size_t, QImage> made;
    std::size_t calls = 0;
    QtPlatform platform(QString::fromStdString(dir.str()));
    EXPECT_TRUE(platform.makeThumbnails(orders, [&](std::size_t i, std::string jpeg) {
        ++calls;
        made[i] = jpeg.empty() ? QImage() : QImage::fromData(QByteArray::fromStdString(jpeg), "JPEG");
        EXPECT_TRUE(jpeg.empty() || !made[i].isNull()) << cases.at(i).name << ": not a JPEG";
    }));
    EXPECT_EQ(calls, cases.size()) << "each thumbnail handed over once";

    auto near = [](QRgb pixel, QRgb colour) {
        return std::abs(qRed(pixel) - qRed(colour)) < 60 && std::abs(qGreen(pixel) - qGreen(colour)) < 60 &&
               std::abs(qBlue(pixel) - qBlue(colour)) < 60;
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const QImage& image = made[i];
        if (cases[i].shows == Shows::Nothing) {
            EXPECT_TRUE(image.isNull());
            continue;
        }
        ASSERT_EQ(image.size(), QSize(230, 160));
        const std::map<Shows, std::pair<QRgb, QRgb>> colours = {
            {Shows::TopRedBottomBlue, {qRgb(255, 0, 0), qRgb(0, 0, 255)}},
            {Shows::Green, {qRgb(0, 255, 0), qRgb(0, 255, 0)}},
            {Shows::White, {qRgb(255, 255, 255), qRgb(255, 255, 255)}},
        };
        const auto [top, bottom] = colours.at(cases[i].shows);
        for (const int x : {5, 115, 224}) {
            EXPECT_TRUE(near(image.pixel(x, 10), top)) << "top at " << x << ": " << std::hex << image.pixel(x, 10);
            EXPECT_TRUE(near(image.pixel(x, 150), bottom)) << "bottom at " << x << ": " << std::hex << image.pixel(x, 150);
        }
    }
}

}  // namespace
}  // namespace sbqt
