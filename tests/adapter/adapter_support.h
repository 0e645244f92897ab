// Helpers of the tests that drive the program's windows: a platform whose dialogs answer
// at once, a private application folder, user input as events, picture files made to order.
#pragma once

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <ostream>

#include "qt/qt_platform.h"
#include "temp_dir.h"
#include "ui/window_model.h"

inline void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << "x" << s.height(); }
inline void PrintTo(const QRect& r, std::ostream* os) { *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height(); }

namespace sbqt::test {

// Modal dialogs answer at once and are counted; the user's browser never starts.
class QuietPlatform : public QtPlatform {
public:
    using QtPlatform::QtPlatform;
    int messages = 0, beeps = 0, browserStops = 0;

    void showMessage(const std::string&, const std::string&) override { ++messages; }
    bool askYesNo(const std::string&, const std::string&) override { return ++messages, false; }
    std::string showOpenDialog(const std::string&, const std::string& file) override { return file; }
    std::string showFolderDialog(const std::string&) override { return {}; }
    bool openInUserBrowser(const std::string&) override { return true; }
    void beep() override { ++beeps; }
    void browserStop() override { ++browserStops, QtPlatform::browserStop(); }
};

// The program's pictures in a folder of the test's own, where start-up may write.
struct ApplicationFolder : sb::test::TempDir {
    ApplicationFolder() { sb::test::copyPictures(SB_APP_DIR, str()); }
    QString qstr() const { return QString::fromStdString(str()); }
};

// A control's widget, found by the name the window gives it ("Text1(2)", "Command1").
inline QWidget* named(const QWidget* window, const QString& key) { return window->findChild<QWidget*>(key); }
inline QWidget* named(const QWidget* window, const sb::Control& c) { return named(window, QString::fromStdString(c.key())); }
inline QTabBar* tabBarOf(const QWidget* window) {
    const QWidget* strip = named(window, QStringLiteral("TabStrip1"));
    return strip ? strip->findChild<QTabBar*>() : nullptr;
}

// Where a control must stand on screen: twips / 15, worked out here on purpose.
inline QRect pixels(const sb::Control& c) { return QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15); }

// Presses and releases a key as a person does, unless the widget has gone; typing sends its text.
inline void pressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    const QPointer<QWidget> target(widget);
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, modifiers, text);
        if (target) QApplication::sendEvent(target, &event);
    }
}
// Types each character as a key with its text, as a keyboard of any layout does; "\n" is Enter.
inline void typeText(QWidget* widget, const QString& text) {
    const QPointer<QWidget> target(widget);  // gone: the keys go nowhere
    for (const char32_t code : text.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        const int key = code == U'\n' ? int{Qt::Key_Return} : code == U'\t' ? int{Qt::Key_Tab} : code < 0x80 ? int{QChar(code).toUpper().unicode()} : int{Qt::Key_unknown};
        pressKey(target, key, Qt::NoModifier, code == U'\n' ? QStringLiteral("\r") : character);
    }
}

inline void mouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
inline void click(QWidget* widget, QPointF at) {
    mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void click(QWidget* widget) { click(widget, widget->rect().center()); }

inline bool isWithin(const QWidget* inner, const QWidget* outer) { return inner && (inner == outer || outer->isAncestorOf(inner)); }

// Lets events run until `done` holds or the time is up.
inline bool waitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer timer;
    for (timer.start(); !done() && timer.elapsed() < milliseconds;) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// --- picture files ----------------------------------------------------------------

inline QString qpath(const std::string& path) { return QString::fromStdString(path); }

inline QImage filled(QSize size, QColor colour, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(colour);
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);  // opened by the writer
    image.save(&buffer, format, quality);
    return bytes;
}

inline bool writeBytes(const std::string& path, const QByteArray& content) {
    QFile file(qpath(path));
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Makes a file at the path it is given; false when it could not.
using Maker = std::function<bool(const std::string&)>;
inline Maker bytes(const QByteArray& content) {
    return [content](const std::string& path) { return writeBytes(path, content); };
}
// ImageMagick makes what Qt cannot write (GIF, progressive JPEG).
inline Maker magick(const std::string& arguments) {
    return [arguments](const std::string& path) { return std::system(("convert " + arguments + " '" + path + "' 2>/dev/null").c_str()) == 0; };
}

// The JPEG with an Exif block that holds only the orientation tag (1-8).
inline QByteArray withOrientation(QByteArray jpeg, int tag) {
    const char exif[] = "\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08"
                        "\x00\x01" "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00" "\x00\x00\x00\x00";
    QByteArray block(exif, sizeof exif - 1);
    block[29] = char(tag);
    return jpeg.insert(2, block);
}

}  // namespace sbqt::test
