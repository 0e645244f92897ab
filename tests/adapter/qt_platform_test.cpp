#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QWebEngineView>

#include <memory>
#include <optional>
#include <vector>

#include "adapter_support.h"

namespace sbqt {
namespace {

using sb::test::TempDir;
using test::QuietPlatform;
using Maker = std::function<bool(const std::string&)>;

Maker bytes(const QByteArray& content) {
    return [=](const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    };
}

// `corrupt`: a sound PNG header over picture data that is not.
Maker picture(QSize size, const char* format, bool corrupt = false) {
    return [=](const std::string& path) {
        QImage image(size, QImage::Format_RGB888);
        image.fill(QColor(40, 90, 160));
        QFile file(QString::fromStdString(path));
        if (!image.save(file.fileName(), format, 50) || !corrupt) return file.exists();
        QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        for (qsizetype i = 40; i < content.size() - 12; ++i) content[i] = static_cast<char>(0xA5);
        return bytes(content)(path);
    };
}

TEST(QtPlatform, LoadPictureReadsTheNaturalSizeAndDecodesNoLargerThanShown) {
    TempDir dir;
    QuietPlatform platform(QString::fromStdString(dir.str()));
    using Size = std::optional<sb::PixelSize>;
    struct Case { const char* name; Maker make; QSize bound; Size natural; QSize decoded; };
    const Case cases[] = {
        {"photo.jpg", picture({1024, 768}, "JPEG"), {640, 480}, Size({1024, 768}), {640, 480}},
        {"tall room.jpg", picture({1024, 768}, "JPEG"), {300, 600}, Size({1024, 768}), {300, 225}},
        {"small.png", picture({200, 100}, "PNG"), {640, 480}, Size({200, 100}), {200, 100}},
        {"huge.jpg", picture({7000, 5000}, "JPEG"), {1000, 700}, Size({7000, 5000}), {980, 700}},
        {"nome con spazi è.gif", picture({40, 28}, "PNG"), {640, 480}, Size({40, 28}), {40, 28}},
        {"notes.txt", bytes("not a picture at all\r\n"), {640, 480}, std::nullopt, {0, 0}},
        {"empty.jpg", bytes({}), {640, 480}, std::nullopt, {0, 0}},
        {"broken.png", picture({64, 48}, "PNG", true), {640, 480}, std::nullopt, {0, 0}},
        {"missing.jpg", [](const std::string&) { return true; }, {640, 480}, std::nullopt, {0, 0}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.make(dir / c.name)) << c.name;
        platform.setDisplayBound(c.bound);
        EXPECT_EQ(platform.loadPicture(dir / c.name), c.natural) << c.name;
        EXPECT_EQ(platform.picture(QString::fromStdString(dir / c.name), c.bound).size(), c.decoded) << c.name;
    }
    // A larger room decodes again; a smaller one takes the copy kept.
    EXPECT_EQ(platform.picture(QString::fromStdString(dir / "huge.jpg"), {1400, 1000}).size(), QSize(1400, 1000));
    EXPECT_EQ(platform.picture(QString::fromStdString(dir / "huge.jpg"), {700, 500}).size(), QSize(1400, 1000));
}

TEST(QtPlatform, FileAddressesBecomeUrlsOfTheVeryFile) {
    for (const std::string path : {"/tmp/Site Builder/index_TMP.htm", "/tmp/a#b/c%20d.htm", "/tmp/città/Prova è.htm"}) {
        const QUrl url = QtPlatform::addressToUrl("file://" + path);
        EXPECT_TRUE(url.isLocalFile()) << path;
        EXPECT_EQ(url.toLocalFile().toStdString(), path);
    }
    EXPECT_EQ(QtPlatform::addressToUrl("about:blank").toString(), QStringLiteral("about:blank"));
}

// Out of sight only the last address waits and no browser is made; stopping keeps the address,
// and it loads once on view, in the one browser then made.
TEST(QtPlatform, DeferredNavigationKeepsItsAddress) {
    TempDir dir;
    ASSERT_TRUE(bytes("<html>1</html>")(dir / "first page.htm") && bytes("<html>2</html>")(dir / "second page.htm"));
    QuietPlatform platform;
    std::unique_ptr<QWebEngineView> made;
    int makes = 0;
    std::vector<QUrl> loaded;
    const auto make = [&] {
        ++makes;
        made = std::make_unique<QWebEngineView>();
        QObject::connect(made.get(), &QWebEngineView::urlChanged, [&loaded](const QUrl& url) { loaded.push_back(url); });
        return made.get();
    };
    bool onView = false;
    platform.setBrowser(make, [&onView] { return onView; });
    platform.browserNavigate("about:blank");
    for (const char* page : {"first page.htm", "second page.htm"}) platform.browserNavigate("file://" + dir / page);
    const QUrl second = QUrl::fromLocalFile(QString::fromStdString(dir / "second page.htm"));
    EXPECT_EQ(platform.pendingNavigation(), second);
    EXPECT_FALSE(platform.browserBusy());
    platform.browserStop();
    platform.flushPendingNavigation();
    QApplication::processEvents();
    EXPECT_TRUE(loaded.empty());
    EXPECT_EQ(makes, 0);
    EXPECT_EQ(platform.browser(), nullptr);
    onView = true;
    platform.flushPendingNavigation();
    platform.browserNavigate("file://" + dir / "second page.htm");
    EXPECT_EQ(makes, 1);
    EXPECT_TRUE(platform.pendingNavigation().isEmpty());
    QElapsedTimer timer;
    for (timer.start(); loaded.empty() && timer.elapsed() < 10000;) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(loaded.front(), second);  // the page asked for before it is never loaded
    platform.setBrowser(nullptr);
}

}  // namespace
}  // namespace sbqt
