// Pictures decoded ahead and kept: bounded, never stale, upright; and a step
// of the viewer shows the same whether its picture was decoded ahead or not.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <filesystem>
#include <optional>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "qt/picture_cache.h"
#include "ui/main_window.h"

namespace sbqt {
namespace {

using sb::test::TempDir;
namespace fs = std::filesystem;

QString qpath(const std::string& path) { return QString::fromStdString(path); }

bool save(const QImage& image, const std::string& path, const char* format = nullptr) {
    return image.save(qpath(path), format, 90);
}

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QColor colourAt(const QImage& image, QPoint at) { return image.pixelColor(at); }
bool reddish(QColor c) { return c.red() > 150 && c.blue() < 100; }

// A JPEG that says which way up it was taken: an Exif block holding only
// the orientation tag, written right after the start of the file.
QByteArray jpegWithOrientation(const QImage& image, int orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    const char tiff[] = {'I', 'I', 42, 0, 8, 0, 0, 0,                       // little-endian, first block at 8
                         1, 0,                                              // one entry:
                         0x12, 0x01, 3, 0, 1, 0, 0, 0, char(orientation), 0, 0, 0,  // orientation, one short
                         0, 0, 0, 0};                                       // no next block
    QByteArray exif = QByteArray("Exif\0\0", 6) + QByteArray(tiff, sizeof tiff);
    const int length = exif.size() + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
}

TEST(Pictures, TurnedUprightByTheirOrientationTag) {
    TempDir dir;
    QtPlatform platform(qpath(dir.str()));
    // Stored 32x16 with its top-left quarter red; where the red quarter ends up once upright.
    QImage stored = filled({32, 16}, Qt::blue);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) stored.setPixelColor(x, y, Qt::red);
    enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };
    struct Case { int tag; QSize upright; Corner red; };
    const Case cases[] = {
        {1, {32, 16}, TopLeft}, {2, {32, 16}, TopRight}, {3, {32, 16}, BottomRight}, {4, {32, 16}, BottomLeft},
        {5, {16, 32}, TopLeft}, {6, {16, 32}, TopRight}, {7, {16, 32}, BottomRight}, {8, {16, 32}, BottomLeft},
    };
    for (const Case& c : cases) {
        const std::string path = dir / ("turned " + std::to_string(c.tag) + ".jpg");
        QFile file(qpath(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(jpegWithOrientation(stored, c.tag)) > 0);
        file.close();
        platform.setDisplayBound({1000, 1000});
        EXPECT_EQ(platform.loadPicture(path), (sb::PixelSize{c.upright.width(), c.upright.height()})) << c.tag;
        // Decoded whole, and scaled down to half the room while decoding.
        for (const int divisor : {1, 2}) {
            const QImage image = PictureCache::decode(qpath(path), c.upright / divisor).value_or(PictureCache::Picture{}).image;
            ASSERT_EQ(image.size(), c.upright / divisor) << c.tag;
            const int w = image.width(), h = image.height();
            const QPoint corners[] = {{w / 4, h / 4}, {w * 3 / 4, h / 4}, {w * 3 / 4, h * 3 / 4}, {w / 4, h * 3 / 4}};
            for (int corner = TopLeft; corner <= BottomLeft; ++corner)
                EXPECT_EQ(reddish(colourAt(image, corners[corner])), corner == c.red) << c.tag << " corner " << corner;
        }
    }
}

TEST(PictureCache, KeepsTheRecentPicturesWithinItsBound) {
    TempDir dir;
    for (const char* name : {"a.png", "b.png", "c.png"}) ASSERT_TRUE(save(filled({100, 100}, Qt::gray), dir / name));
    ASSERT_TRUE(save(filled({300, 300}, Qt::gray), dir / "big.png"));
    const qint64 one = filled({100, 100}, Qt::gray).sizeInBytes();
    PictureCache cache(2 * one + one / 2);  // room for two
    const auto load = [&](const char* name) { return cache.load(qpath(dir / name), {}).has_value(); };
    struct Step { const char* name; int decodes; };
    const Step steps[] = {
        {"a.png", 1}, {"b.png", 2}, {"a.png", 2},  // kept
        {"c.png", 3},                              // b, used longest ago, goes
        {"a.png", 3}, {"b.png", 4}, {"c.png", 5},  // a went for b, then c came back
        {"big.png", 6}, {"big.png", 6},            // larger than the bound alone: kept all the same
        {"c.png", 7},
    };
    for (const Step& s : steps) {
        EXPECT_TRUE(load(s.name)) << s.name;
        EXPECT_EQ(cache.decodes(), s.decodes) << s.name;
        EXPECT_LE(cache.bytes(), std::max(cache.maxBytes(), filled({300, 300}, Qt::gray).sizeInBytes())) << s.name;
    }
    // A larger room decodes again; a smaller one takes the copy kept.
    ASSERT_TRUE(save(filled({800, 600}, Qt::gray), dir / "photo.jpg"));
    EXPECT_EQ(cache.load(qpath(dir / "photo.jpg"), {400, 300})->image.size(), QSize(400, 300));
    EXPECT_EQ(cache.load(qpath(dir / "photo.jpg"), {800, 800})->image.size(), QSize(800, 600));
    EXPECT_EQ(cache.load(qpath(dir / "photo.jpg"), {200, 200})->image.size(), QSize(800, 600));
}

// A picture changed on disk since it was decoded, by any of the ways a file changes, is decoded again.
TEST(PictureCache, AChangedPictureIsDecodedAgain) {
    TempDir dir;
    const auto setTime = [](const std::string& path, const QDateTime& time) {
        QFile file(qpath(path));
        return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
    };
    const QDateTime then = QDateTime::currentDateTime().addSecs(-100);
    struct Case {
        const char* what;
        std::function<bool(const std::string&)> change;  // turns the red picture green
    };
    const Case cases[] = {
        {"rewritten, larger", [](const std::string& p) { return save(filled({64, 48}, Qt::green), p, "BMP"); }},
        {"rewritten in place, same length, later time",
         [&](const std::string& p) { return save(filled({32, 24}, Qt::green), p, "BMP") && setTime(p, then.addSecs(5)); }},
        {"replaced by another file, same length and time", [&](const std::string& p) {
             const std::string other = p + ".new";
             return save(filled({32, 24}, Qt::green), other, "BMP") && setTime(other, then) &&
                    std::rename(other.c_str(), p.c_str()) == 0;
         }},
    };
    for (const bool preloaded : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (preloaded ? ", decoded ahead" : ""));
            const std::string path = dir / "picture.bmp";
            ASSERT_TRUE(save(filled({32, 24}, Qt::red), path, "BMP") && setTime(path, then));
            PictureCache cache;
            if (preloaded) {
                cache.preload({qpath(path)}, {});
                cache.waitForPreloads();
                ASSERT_EQ(cache.decodes(), 1);
            }
            ASSERT_EQ(colourAt(cache.load(qpath(path), {})->image, {0, 0}), QColor(Qt::red));
            EXPECT_EQ(cache.decodes(), 1);  // the picture decoded ahead is taken
            const std::uint64_t generation = cache.generation(qpath(path));
            ASSERT_TRUE(c.change(path));
            const auto again = cache.load(qpath(path), {});
            ASSERT_TRUE(again);
            EXPECT_EQ(colourAt(again->image, {0, 0}), QColor(Qt::green));
            EXPECT_NE(cache.generation(qpath(path)), generation);
        }
    }
}

TEST(PictureCache, APictureGoneIsNoPictureButStaysWhereItIsShown) {
    TempDir dir;
    const std::string path = dir / "gone.png";
    ASSERT_TRUE(save(filled({40, 30}, Qt::red), path));
    PictureCache cache;
    cache.preload({qpath(path)}, {});
    cache.waitForPreloads();
    ASSERT_TRUE(cache.kept(qpath(path), {}));
    fs::remove(path);
    EXPECT_FALSE(cache.load(qpath(path), {}));
    EXPECT_FALSE(cache.kept(qpath(path), {}));
}

// Three photos of three colours.
struct Photos : TempDir {
    Photos() {
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(save(filled({600, 400}, colours[i]), *this / ("photo " + std::to_string(i) + ".jpg")));
    }
};

// The real Main Window on the background tab, having browsed the folder of photos.
struct Viewer {
    test::ApplicationFolder app;
    test::QuietPlatform platform{app.qstr()};
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    MainWindowView view{model, platform};

    Viewer(const Photos& photos, bool preload) {
        platform.setPreloading(preload);
        view.run([this] { model.Form_Load(); });
        view.resize(1000, 700);
        view.show();
        view.run([this] { model.selectTab(2); });
        model.setText("Text1", 2, photos / "photo 0.jpg");
        click("Command1");  // the dialog gives back the picture in the field: its folder is listed
        EXPECT_EQ(state.N_Img, 3);
    }
    void click(const char* button) { static_cast<QPushButton*>(test::named(&view, button))->click(); }
    // What a person sees of the step and what the model holds.
    struct Shown {
        std::string picture, title, field;
        int width = 0, height = 0;
        QImage pixels;
        bool operator==(const Shown&) const = default;
    };
    Shown shown() {
        const sb::Control& holder = model.control("Picture1");
        return {holder.picture, model.title, model.text("Text1", 2), holder.width, holder.height,
                static_cast<QLabel*>(test::named(&view, "Picture1"))->pixmap().toImage()};
    }
    std::string neighbour(int step) { return state.Cartella_Img + model.Lista_Immagini[std::size_t(state.Img_Corrente + step)]; }
};

TEST(ViewerStep, ShowsTheSameWhetherThePictureWasDecodedAhead) {
    const Photos photos;
    Viewer ahead(photos, true), plain(photos, false);
    ahead.platform.pictureCache().waitForPreloads();
    ahead.platform.setPreloading(false);  // nothing decoded after the step is counted
    const int decodes = ahead.platform.pictureCache().decodes();
    ahead.click("Command4");
    plain.click("Command4");
    EXPECT_EQ(ahead.platform.pictureCache().decodes(), decodes);  // the step took the picture decoded ahead
    const Viewer::Shown a = ahead.shown(), p = plain.shown();
    EXPECT_EQ(a.picture, p.picture);
    EXPECT_EQ(a.title, p.title);
    EXPECT_EQ(QSize(a.width, a.height), QSize(p.width, p.height));
    EXPECT_FALSE(a.pixels.isNull());
    EXPECT_EQ(a.pixels, p.pixels);
}

// A neighbour decoded ahead and then deleted or spoilt is not shown: the holders keep their picture.
TEST(ViewerStep, APictureDecodedAheadThenLostLeavesTheHolders) {
    struct Case { const char* what; std::function<void(const std::string&)> spoil; };
    const Case cases[] = {
        {"deleted", [](const std::string& p) { fs::remove(p); }},
        {"no longer a picture", [](const std::string& p) {
             QFile file(qpath(p));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("not a picture\n") > 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Photos photos;
        Viewer v(photos, true);
        v.platform.pictureCache().waitForPreloads();
        const std::string next = v.neighbour(1);
        ASSERT_TRUE(v.platform.pictureCache().kept(qpath(next), v.platform.displayBound()));
        const Viewer::Shown before = v.shown();
        c.spoil(next);
        v.click("Command4");
        const Viewer::Shown after = v.shown();
        EXPECT_EQ(after.picture, before.picture);
        EXPECT_EQ(after.pixels, before.pixels);
        EXPECT_EQ(after.field, next);  // the field and the title move on all the same
        EXPECT_NE(after.title, before.title);
    }
}

// The picture on view changed on disk: showing its tab again shows the new one.
TEST(ViewerStep, APictureChangedOnDiskIsShownAnew) {
    const Photos photos;
    Viewer v(photos, true);
    const std::string path = v.neighbour(0);
    ASSERT_TRUE(reddish(v.shown().pixels.pixelColor(5, 5)));  // photo 0
    ASSERT_TRUE(save(filled({600, 400}, Qt::yellow), path + ".new", "JPEG") && std::rename((path + ".new").c_str(), path.c_str()) == 0);
    v.view.run([&v] { v.model.Vedo_Campi_TAB(); });
    const QColor now = v.shown().pixels.pixelColor(5, 5);
    EXPECT_TRUE(now.red() > 150 && now.green() > 150 && now.blue() < 100);  // yellow
}

}  // namespace
}  // namespace sbqt
