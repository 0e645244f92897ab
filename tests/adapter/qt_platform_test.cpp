#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QImage>
#include <QWebEngineView>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "adapter_support.h"
#include "qt/qt_platform.h"
#include "temp_dir.h"

namespace sbqt {
namespace {

using sb::test::TempDir;
using test::QuietPlatform;

bool savePicture(const std::string& path, QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(QColor(40, 90, 160));
    return image.save(QString::fromStdString(path), format, 50);
}

bool writeBytes(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A PNG whose header is sound but whose picture data is not.
bool saveBrokenPng(const std::string& path) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::red);
    if (!image.save(QString::fromStdString(path), "PNG")) return false;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = file.readAll();
    file.close();
    for (qsizetype i = 40; i < bytes.size() - 12; ++i) bytes[i] = static_cast<char>(0xA5);
    return writeBytes(path, bytes);
}

struct PictureCase {
    const char* name;
    std::function<bool(const std::string&)> make;
    std::optional<sb::PixelSize> expected;
};

TEST(QtPlatformPictures, ReadsTheNaturalSizeAndRefusesWhatIsNoPicture) {
    TempDir dir;
    const PictureCase cases[] = {
        {"photo.jpg", [](const std::string& p) { return savePicture(p, {1024, 768}, "JPEG"); }, sb::PixelSize{1024, 768}},
        {"small.png", [](const std::string& p) { return savePicture(p, {100, 50}, "PNG"); }, sb::PixelSize{100, 50}},
        {"nome con spazi è.gif", [](const std::string& p) { return savePicture(p, {40, 28}, "PNG"); }, sb::PixelSize{40, 28}},
        {"notes.txt", [](const std::string& p) { return writeBytes(p, "not a picture at all\r\n"); }, std::nullopt},
        {"empty.jpg", [](const std::string& p) { return writeBytes(p, {}); }, std::nullopt},
        {"broken.png", saveBrokenPng, std::nullopt},
        {"missing.jpg", [](const std::string&) { return true; }, std::nullopt},
    };
    QuietPlatform platform(QString::fromStdString(dir.str()));
    for (const PictureCase& c : cases) {
        const std::string path = dir / c.name;
        ASSERT_TRUE(c.make(path)) << c.name;
        EXPECT_EQ(platform.loadPicture(path), c.expected) << c.name;
    }
}

TEST(QtPlatformPictures, DecodesOnlyAtTheSizeShown) {
    TempDir dir;
    QuietPlatform platform(QString::fromStdString(dir.str()));
    struct Case {
        QSize natural;
        QSize bound;
        QSize decoded;
    };
    const Case cases[] = {
        {{1024, 768}, {640, 480}, {640, 480}},
        {{1024, 768}, {300, 600}, {300, 225}},   // proportions kept
        {{200, 100}, {640, 480}, {200, 100}},    // never enlarged
        {{7000, 5000}, {1000, 700}, {980, 700}}, // too large for a full decode
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir / ("p" + std::to_string(n++) + ".jpg");
        ASSERT_TRUE(savePicture(path, c.natural, "JPEG"));
        platform.setDisplayBound(c.bound);
        const auto size = platform.loadPicture(path);
        ASSERT_TRUE(size.has_value()) << c.natural.width();
        EXPECT_EQ(QSize(size->width, size->height), c.natural);
        const QImage kept = platform.picture(QString::fromStdString(path), c.bound);
        EXPECT_EQ(kept.size(), c.decoded) << c.natural.width() << "x" << c.natural.height();
    }
}

TEST(QtPlatformPictures, DecodesAgainWhenTheRoomGrows) {
    TempDir dir;
    QuietPlatform platform(QString::fromStdString(dir.str()));
    const std::string path = dir / "photo.jpg";
    ASSERT_TRUE(savePicture(path, {1600, 1200}, "JPEG"));
    platform.setDisplayBound({400, 300});
    ASSERT_TRUE(platform.loadPicture(path));
    const QString file = QString::fromStdString(path);
    EXPECT_EQ(platform.picture(file, {400, 300}).size(), QSize(400, 300));
    EXPECT_EQ(platform.picture(file, {800, 600}).size(), QSize(800, 600));
    // A smaller room takes the copy already kept.
    EXPECT_EQ(platform.picture(file, {200, 150}).size(), QSize(800, 600));
}

TEST(QtPlatformBrowser, AddressesBecomeUrlsOfTheVeryFile) {
    const std::string paths[] = {
        "/tmp/Site Builder/index_TMP.htm",
        "/tmp/a#b/c%20d.htm",
        "/tmp/città/Pagina di prova è.htm",
    };
    for (const std::string& path : paths) {
        const QUrl url = QtPlatform::addressToUrl("file://" + path);
        EXPECT_TRUE(url.isLocalFile()) << path;
        EXPECT_EQ(url.toLocalFile().toStdString(), path);
    }
    EXPECT_EQ(QtPlatform::addressToUrl("about:blank").toString(), QStringLiteral("about:blank"));
}

TEST(QtPlatformBrowser, LoadsOnlyWhatCanBeSeen) {
    TempDir dir;
    const std::string first = dir / "first page.htm";
    const std::string second = dir / "second page.htm";
    ASSERT_TRUE(writeBytes(first, "<html><body>1</body></html>"));
    ASSERT_TRUE(writeBytes(second, "<html><body>2</body></html>"));
    QuietPlatform platform;
    QWebEngineView browser;
    std::vector<QUrl> loaded;
    QObject::connect(&browser, &QWebEngineView::urlChanged, [&loaded](const QUrl& url) { loaded.push_back(url); });
    bool onView = false;
    platform.setBrowser(&browser, [&onView] { return onView; });

    platform.browserNavigate("about:blank");
    platform.browserNavigate("file://" + first);
    platform.browserNavigate("file://" + second);
    const QUrl secondUrl = QUrl::fromLocalFile(QString::fromStdString(second));
    EXPECT_EQ(platform.pendingNavigation(), secondUrl);
    EXPECT_FALSE(platform.browserBusy());

    // Stopping does not drop a page that waits to be seen.
    platform.browserStop();
    platform.flushPendingNavigation();
    QApplication::processEvents();
    EXPECT_TRUE(loaded.empty());

    onView = true;
    platform.flushPendingNavigation();
    EXPECT_TRUE(platform.pendingNavigation().isEmpty());
    EXPECT_TRUE(test::waitUntil([&] { return std::find(loaded.begin(), loaded.end(), secondUrl) != loaded.end(); }));
    // The page asked for before it was never loaded.
    const QUrl firstUrl = QUrl::fromLocalFile(QString::fromStdString(first));
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), firstUrl), 0);
    platform.setBrowser(nullptr);
}

TEST(QtPlatformPointer, BusyPointerNestsAndNeverSticks) {
    QuietPlatform platform;
    struct Case {
        const char* name;
        std::vector<bool> calls;
        bool busyAfter;
    };
    const Case cases[] = {
        {"one", {true, false}, false},
        {"nested", {true, true, false, false}, false},
        {"inner done", {true, true, false}, true},
        {"extra default", {false, true, false, false}, false},
    };
    for (const Case& c : cases) {
        for (bool busy : c.calls) platform.setBusyPointer(busy);
        EXPECT_EQ(QApplication::overrideCursor() != nullptr, c.busyAfter) << c.name;
        platform.resetBusyPointer();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
    }
    // A pointer set by someone else is not taken away by an extra default.
    QApplication::setOverrideCursor(Qt::CrossCursor);
    platform.setBusyPointer(false);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
}

TEST(QtPlatformFolders, ApplicationFolderHasNoTrailingSeparator) {
    const std::pair<QString, std::string> cases[] = {
        {QStringLiteral("/opt/Site Builder/"), "/opt/Site Builder"},
        {QStringLiteral("/opt/sb"), "/opt/sb"},
        {QStringLiteral("/"), "/"},
    };
    for (const auto& [given, expected] : cases) EXPECT_EQ(QuietPlatform(given).applicationFolder(), expected);
    EXPECT_EQ(QuietPlatform().applicationFolder(), QCoreApplication::applicationDirPath().toStdString());
}

}  // namespace
}  // namespace sbqt
