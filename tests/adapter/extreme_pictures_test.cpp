// Broken and extreme picture files in the real program's viewer: each one is
// answered at once, a huge claimed size is refused from its header, and one
// that cannot be shown leaves the picture holders as they were while the
// path field, the title and the sample page follow it.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "adapter_support.h"
#include "app/state.h"
#include "ui/main_window.h"

namespace sbqt {
namespace {

using sb::test::TempDir;

bool write(const std::string& path, const QByteArray& content) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray bigEndian(quint32 v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

// A PNG that holds only a sound header: its IHDR chunk, checksum and all.
QByteArray pngHeader(quint32 width, quint32 height) {
    const QByteArray chunk = "IHDR" + bigEndian(width) + bigEndian(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : chunk) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + chunk + bigEndian(~crc);
}

QByteArray saved(QImage image, const char* format, int quality = 50) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

QImage filled(QSize size, QImage::Format format = QImage::Format_RGB888) {
    QImage image(size, format);
    image.fill(QColor(200, 120, 40));
    return image;
}

// ImageMagick makes what Qt cannot write (GIF, progressive JPEG).
std::function<bool(const std::string&)> magick(const std::string& arguments) {
    return [arguments](const std::string& path) {
        return std::system(("convert " + arguments + " '" + path + "' 2>/dev/null").c_str()) == 0;
    };
}

std::function<bool(const std::string&)> bytes(QByteArray content) {
    return [content](const std::string& path) { return write(path, content); };
}

struct Case {
    const char* name;
    std::function<bool(const std::string&)> make;
    std::optional<sb::PixelSize> size;  // nothing: not shown
};

TEST(ExtremePictures, AreAnsweredAtOnceAndLeaveTheHoldersAsTheyWere) {
    QImage noise(320, 240, QImage::Format_RGB888);  // picture data, not headers, make up most of the file
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x ^ y) & 255, (x * y) % 253));
    }
    const QByteArray kJpeg = saved(noise, "JPEG");
    const QByteArray kPng = saved(filled({320, 240}), "PNG");

    const Case cases[] = {
        {"troncata.jpg", bytes(kJpeg.left(kJpeg.size() / 2)), sb::PixelSize{320, 240}},  // the top half shows
        {"troncata.png", bytes(kPng.left(60)), std::nullopt},
        {"rumore.gif", bytes("GIF89a" + QByteArray(3000, '\xA7')), std::nullopt},
        {"rumore.bmp", bytes("BM" + QByteArray(3000, '\x5C')), std::nullopt},
        {"rumore.jpg", bytes("\xFF\xD8\xFF" + QByteArray(3000, '\x33')), std::nullopt},
        {"vuota.png", bytes({}), std::nullopt},
        {"alta zero.gif", bytes(QByteArray::fromHex("474946383961" "1000" "0000" "800000" "000000ffffff" "2c00000000"
                                                     "1000000000" "02" "02440100" "3b")), std::nullopt},
        {"enorme.png", bytes(pngHeader(100000, 100000)), std::nullopt},
        {"sedici bit.png", bytes(saved(filled({64, 48}, QImage::Format_RGBA64), "PNG")), sb::PixelSize{64, 48}},
        {"animata.gif", magick("-size 30x20 xc:red xc:blue -loop 0 -delay 10"), sb::PixelSize{30, 20}},
        {"progressiva.jpg", magick("-size 300x200 gradient:red-blue -interlace Plane"), sb::PixelSize{300, 200}},
        {"48 megapixel.jpg", [](const std::string& path) { return write(path, saved(filled({8000, 6000}), "JPEG", 30)); },
         sb::PixelSize{8000, 6000}},
        {"testo.jpg", bytes("Questa non e' una immagine.\r\n"), std::nullopt},
    };

    TempDir photos;
    test::ApplicationFolder app;
    test::QuietPlatform platform(app.qstr());
    sb::Module1 state;
    sb::MainWindow window(state, platform);
    window.Form_Load();
    state.Caricamento_In_Corso = state.Esecuzione_Automatica = 0;
    window.selectedTab = 2;

    // A good picture first: it is what the holders keep.
    ASSERT_TRUE(write(photos / "0 buona.jpg", kJpeg));
    for (const Case& c : cases) ASSERT_TRUE(c.make(photos / c.name)) << c.name;
    window.Text1(2).text = photos / "0 buona.jpg";
    window.Command1_Click();  // the dialog gives back the path it was given
    ASSERT_EQ(window.control("Picture1").picture, photos / "0 buona.jpg");

    // Steps to a picture of the folder by its number in the list.
    const auto goTo = [&](const std::string& name) {
        const auto first = window.Lista_Immagini.begin() + 1, end = first + state.N_Img;
        const auto slot = std::find(first, end, name);
        if (slot == end) return false;
        window.setText("Text2", -1, std::to_string(slot - window.Lista_Immagini.begin()));
        window.Command6_Click();
        return true;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = photos / c.name;
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(platform.loadPicture(path), c.size);
        EXPECT_LT(timer.elapsed(), 1000) << "the viewer hangs on it";

        timer.restart();
        ASSERT_TRUE(goTo(c.name));
        EXPECT_LT(timer.elapsed(), 1000) << "stepping hangs on it";
        const std::string shown = c.size ? path : photos / "0 buona.jpg";
        EXPECT_EQ(window.control("Picture1").picture, shown);
        EXPECT_EQ(window.control("Image1").picture, shown);
        EXPECT_EQ(window.Text1(2).text, path);
        EXPECT_TRUE(window.title.ends_with(std::to_string(state.Img_Corrente) + "/" + std::to_string(state.N_Img)));
        const std::string page = path.substr(0, path.find('.', path.rfind('/'))) + ".HTM";
        EXPECT_TRUE(std::filesystem::exists(page)) << page;

        // Drawn on screen as well: the view decodes no more than it shows.
        EXPECT_EQ(platform.picture(QString::fromStdString(path), {640, 480}).isNull(), !c.size);

        // Back to the good one, so the next row starts from it.
        ASSERT_TRUE(goTo("0 buona.jpg"));
    }
    EXPECT_EQ(platform.messages, 0);
}

// A page beside a picture whose name is not UTF-8 (or holds "#", "%", "?")
// is loaded by the browser as that very file.
TEST(ExtremePictures, PagesOfOddNamesAreAddressedByTheirBytes) {
    const std::pair<std::string, QByteArray> cases[] = {
        {"/tmp/caf\xE9 \x81.HTM", "file:///tmp/caf%E9%20%81.HTM"},
        {"/tmp/a#b/c%20d?.HTM", "file:///tmp/a%23b/c%2520d%3F.HTM"},
        {"/tmp/citt\xC3\xA0/ riga\nnuova.HTM", "file:///tmp/citt%C3%A0/%20riga%0Anuova.HTM"},
    };
    for (const auto& [path, encoded] : cases) {
        const QUrl url = QtPlatform::addressToUrl("file://" + path);
        EXPECT_EQ(url.toEncoded(), encoded) << path;
        EXPECT_EQ(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()), QByteArray::fromStdString(path));
    }
}

}  // namespace
}  // namespace sbqt
