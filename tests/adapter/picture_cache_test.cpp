// Pictures decoded ahead and kept: bounded and never stale; and a step of the
// viewer shows the same whether its picture was decoded ahead or not, and
// keeps what it shows when the next picture cannot be shown.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QPushButton>

#include <filesystem>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "qt/picture_cache.h"
#include "ui/main_window.h"

namespace sbqt {
namespace {

using sb::test::TempDir;
using namespace test;
namespace fs = std::filesystem;

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

// A picture changed on disk since it was decoded, by any of the ways a file
// changes, is decoded again; one gone is no picture.
TEST(PictureCache, AChangedPictureIsDecodedAgain) {
    TempDir dir;
    const auto setTime = [](const std::string& path, const QDateTime& time) {
        QFile file(qpath(path));
        return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
    };
    const QDateTime then = QDateTime::currentDateTime().addSecs(-100);
    struct Case { const char* what; Maker change; };  // turns the red picture green
    const Case cases[] = {
        {"rewritten, larger", [](const std::string& p) { return save(filled({64, 48}, Qt::green), p, "BMP"); }},
        {"rewritten in place, same length, later time",
         [&](const std::string& p) { return save(filled({32, 24}, Qt::green), p, "BMP") && setTime(p, then.addSecs(5)); }},
        {"replaced by another file, same length and time", [&](const std::string& p) {
             return save(filled({32, 24}, Qt::green), p + ".new", "BMP") && setTime(p + ".new", then) && std::rename((p + ".new").c_str(), p.c_str()) == 0;
         }},
        {"removed", [](const std::string& p) { return fs::remove(p); }},
    };
    const std::string path = dir / "picture.bmp";
    for (const bool preloaded : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (preloaded ? ", decoded ahead" : ""));
            ASSERT_TRUE(save(filled({32, 24}, Qt::red), path, "BMP") && setTime(path, then));
            PictureCache cache;
            if (preloaded) {
                cache.preload({qpath(path)}, {});
                cache.waitForPreloads();
                ASSERT_EQ(cache.decodes(), 1);
            }
            ASSERT_EQ(cache.load(qpath(path), {})->image.pixelColor(0, 0), QColor(Qt::red));
            EXPECT_EQ(cache.decodes(), 1);  // the picture decoded ahead is taken
            const std::uint64_t generation = cache.generation(qpath(path));
            ASSERT_TRUE(c.change(path));
            const auto again = cache.load(qpath(path), {});
            if (!fs::exists(path)) {
                EXPECT_FALSE(again || cache.kept(qpath(path), {}));
                continue;
            }
            ASSERT_TRUE(again);
            EXPECT_EQ(again->image.pixelColor(0, 0), QColor(Qt::green));
            EXPECT_NE(cache.generation(qpath(path)), generation);
        }
    }
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
    ApplicationFolder app;
    QuietPlatform platform{app.qstr()};
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
        if (preload) platform.pictureCache().waitForPreloads();
    }
    void click(const char* button) { static_cast<QPushButton*>(named(&view, button))->click(); }
    // What a person sees of the step and what the model holds.
    struct Shown {
        std::string picture, title, field;
        QSize size;
        QImage pixels;
    };
    Shown shown() {
        // The picture on view is decoded off the main thread: taken once ready.
        platform.pictureCache().waitForPreloads();
        QApplication::processEvents();
        const sb::Control& holder = model.control("Picture1");
        return {holder.picture, model.title, model.text("Text1", 2), QSize(holder.width, holder.height),
                static_cast<QLabel*>(named(&view, "Picture1"))->pixmap().toImage()};
    }
    std::string neighbour(int step) { return state.Cartella_Img + model.Lista_Immagini[std::size_t(state.Img_Corrente + step)]; }
};

TEST(ViewerStep, ShowsTheSameWhetherThePictureWasDecodedAhead) {
    const Photos photos;
    Viewer ahead(photos, true), plain(photos, false);
    ahead.platform.setPreloading(false);  // nothing decoded after the step is counted
    const int decodes = ahead.platform.pictureCache().decodes();
    ahead.click("Command4");
    plain.click("Command4");
    EXPECT_EQ(ahead.platform.pictureCache().decodes(), decodes);  // the step took the picture decoded ahead
    const Viewer::Shown a = ahead.shown(), p = plain.shown();
    EXPECT_EQ(a.picture, p.picture);
    EXPECT_EQ(a.title, p.title);
    EXPECT_EQ(a.size, p.size);
    EXPECT_FALSE(a.pixels.isNull());
    EXPECT_EQ(a.pixels, p.pixels);
}

// The next picture, decoded ahead, then changed on disk: one that cannot be
// shown leaves the holders as they were, one that can is shown anew; the
// field, the title and the sample page move on all the same.
TEST(ViewerStep, ANeighbourChangedAfterItWasDecodedAhead) {
    const QByteArray photo = encoded(filled({600, 400}, Qt::yellow), "JPEG");
    struct Case { const char* what; Maker spoil; bool shown; };
    const Case cases[] = {
        {"deleted", [](const std::string& p) { return fs::remove(p); }, false},
        {"no longer a picture", bytes("not a picture\n"), false},
        {"a header claiming 100000 x 100000 pixels",
         bytes(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a0080200000027309c9f")), false},
        {"cut short", bytes(photo.left(photo.size() / 2)), true},
        {"another photo", bytes(photo), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Photos photos;
        Viewer v(photos, true);
        const std::string next = v.neighbour(1);
        ASSERT_TRUE(v.platform.pictureCache().kept(qpath(next), v.platform.displayBound()));
        const Viewer::Shown before = v.shown();
        ASSERT_TRUE(c.spoil(next));
        v.click("Command4");
        const Viewer::Shown after = v.shown();
        EXPECT_EQ(after.picture, c.shown ? next : before.picture);
        EXPECT_EQ(after.pixels == before.pixels, !c.shown);
        EXPECT_EQ(after.field, next);
        EXPECT_TRUE(after.title.ends_with(" 2/3")) << after.title;
        EXPECT_TRUE(fs::exists(next.substr(0, next.rfind('.')) + ".HTM"));
        EXPECT_EQ(v.platform.messages, 0);
    }
}

// The picture on view changed on disk: showing its tab again shows the new one.
TEST(ViewerStep, APictureChangedOnDiskIsShownAnew) {
    const Photos photos;
    Viewer v(photos, true);
    const std::string path = v.neighbour(0);
    const QColor was = v.shown().pixels.pixelColor(5, 5);
    ASSERT_TRUE(was.red() > 150 && was.blue() < 100);  // photo 0, red
    ASSERT_TRUE(save(filled({600, 400}, Qt::yellow), path + ".new", "JPEG") && std::rename((path + ".new").c_str(), path.c_str()) == 0);
    v.view.run([&v] { v.model.Vedo_Campi_TAB(); });
    const QColor now = v.shown().pixels.pixelColor(5, 5);
    EXPECT_TRUE(now.red() > 150 && now.green() > 150 && now.blue() < 100);  // yellow
}

}  // namespace
}  // namespace sbqt
