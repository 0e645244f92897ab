// The floors of the start-up timing: the least a program must do before its
// window is on screen. One top-level widget of the Main Window's size with
// nothing in it. Built twice: `bare_webengine_window` links the browser
// engine's library as the Site Builder does (so its loading is counted) but
// makes no web view; `plain_qt_window` links Qt Widgets alone.
//
// With SB_EXIT_WHEN_SHOWN=1 it says when its window was first painted and
// quits, as the Site Builder does, so that bench/startup.sh can compare them.
#include <QApplication>
#include <QWidget>

#include "qt/first_paint.h"

#ifdef SB_LINK_WEBENGINE
#include <QWebEngineView>
// Taken by address, never used: the library must be loaded at start, as it
// is for the Site Builder, even where the linker drops libraries no symbol
// is taken from.
const QMetaObject* volatile keepBrowserEngineLinked = &QWebEngineView::staticMetaObject;
#endif

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setApplicationName("Bare window");

    QWidget window;
    window.setWindowTitle("Bare window");
    window.resize(844, 525);

    if (qEnvironmentVariable("SB_EXIT_WHEN_SHOWN") == "1") window.installEventFilter(new sbqt::QuitWhenPainted(&window));
    window.show();
    return app.exec();
}
