// What the render tests share: a browser engine that starts on any machine,
// waits with a time limit, and scripts run in the page.
#pragma once

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace render {

// Before the QApplication: no screen needed, and the engine refuses to start
// as root with its sandbox on.
inline void prepare() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

[[noreturn]] inline void fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), message.c_str());
    std::exit(1);
}

// Runs the event loop until `done` says so or 30 seconds are up.
template <typename Done>
bool waitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 30000) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// What a script gives in the page; nothing when the page does not answer.
inline std::optional<QVariant> evaluate(QWebEngineView& view, const QString& script) {
    std::optional<QVariant> answer;
    view.page()->runJavaScript(script, [&answer](const QVariant& value) { answer = value; });
    if (!waitFor([&] { return answer.has_value(); })) return std::nullopt;
    return answer;
}

// Loads a page; false when it failed or did not finish in time.
inline bool load(QWebEngineView& view, const QUrl& url) {
    std::optional<bool> loaded;
    const auto connection = QObject::connect(&view, &QWebEngineView::loadFinished, [&loaded](bool ok) { loaded = ok; });
    view.load(url);
    const bool finished = waitFor([&] { return loaded.has_value(); }) && *loaded;
    QObject::disconnect(connection);
    return finished;
}

}  // namespace render
