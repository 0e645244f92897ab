// Helpers of the adapter tests: a platform whose dialogs answer at once, a
// private copy of the application folder, and user input sent as events.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRect>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "qt/qt_platform.h"
#include "temp_dir.h"
#include "ui/window_model.h"

// Readable values in test failures.
inline void PrintTo(const QUrl& url, std::ostream* os) { *os << '"' << url.toString().toStdString() << '"'; }
inline void PrintTo(const QSize& size, std::ostream* os) { *os << size.width() << "x" << size.height(); }
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}
inline void PrintTo(const QPoint& p, std::ostream* os) { *os << "(" << p.x() << "," << p.y() << ")"; }

namespace sbqt::test {

// The real platform, but the modal dialogs answer at once and are recorded,
// and the user's browser is never started.
class QuietPlatform : public QtPlatform {
public:
    using QtPlatform::QtPlatform;

    std::vector<std::string> messages;
    int beeps = 0;
    int browserStops = 0;
    std::vector<std::string> openedPages;

    void showMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool askYesNo(const std::string& text, const std::string&) override {
        messages.push_back(text);
        return false;
    }
    std::string showOpenDialog(const std::string&, const std::string& file) override { return file; }
    bool openInUserBrowser(const std::string& path) override {
        openedPages.push_back(path);
        return true;
    }
    void beep() override { ++beeps; }
    void browserStop() override {
        ++browserStops;
        QtPlatform::browserStop();
    }
};

// The program's pictures copied into a folder of the test's own, so that
// start-up can write its default site there.
class ApplicationFolder {
public:
    ApplicationFolder() {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(SB_APP_DIR, ec)) {
            const std::string name = entry.path().filename().string();
            if (name == "sitebuilder" || name.starts_with('.') || name.starts_with("LAYOUT_")) continue;
            fs::copy(entry.path(), fs::path(dir_.str()) / name, fs::copy_options::recursive, ec);
        }
    }
    std::string str() const { return dir_.str(); }
    QString qstr() const { return QString::fromStdString(dir_.str()); }
    std::string operator/(const std::string& relative) const { return dir_ / relative; }

private:
    sb::test::TempDir dir_;
};

inline QRect pixels(int left, int top, int width, int height) {
    return QRect(left / sb::kTwipsPerPixel, top / sb::kTwipsPerPixel, width / sb::kTwipsPerPixel,
                 height / sb::kTwipsPerPixel);
}

inline QRect pixels(const sb::Control& c) { return pixels(c.left, c.top, c.width, c.height); }

// Types text into a widget as key presses, one character at a time.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        const int key = ch == QLatin1Char('\n') ? int(Qt::Key_Return) : int(ch.toUpper().unicode());
        const QString sent = ch == QLatin1Char('\n') ? QStringLiteral("\r") : QString(ch);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, sent);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, sent);
        QApplication::sendEvent(widget, &release);
    }
}

inline void pressKey(QWidget* widget, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

// Lets events run until `done` holds or the time is up; says whether it held.
inline bool waitUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void click(QWidget* widget, QPoint at) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

inline void click(QWidget* widget) { click(widget, widget->rect().center()); }

// The widget a person sees at a point of the window: the one that the
// point lands on, or the nearest one that holds it.
inline QWidget* seenAt(QWidget* window, QPoint at) { return window->childAt(at); }

inline bool isWithin(const QWidget* inner, const QWidget* outer) {
    return inner && outer && (inner == outer || outer->isAncestorOf(inner));
}

}  // namespace sbqt::test
