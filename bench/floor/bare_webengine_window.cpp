// The floor of the start-up timing: the least a program with an embedded
// browser must do before its window is on screen. One top-level widget holding
// one QWebEngineView that loads about:blank, nothing else.
//
// With SB_EXIT_WHEN_SHOWN=1 it quits as soon as the window has been shown and
// painted once, exactly as the Site Builder does, so that bench/startup.sh can
// compare the two.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>

namespace {

class QuitWhenPainted : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest)) {
            done_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setApplicationName("Bare WebEngine window");

    QWidget window;
    window.setWindowTitle("Bare WebEngine window");
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new QWebEngineView(&window);
    layout->addWidget(view);
    view->setUrl(QUrl("about:blank"));
    window.resize(844, 525);

    if (qEnvironmentVariable("SB_EXIT_WHEN_SHOWN") == "1") window.installEventFilter(new QuitWhenPainted(&window));
    window.show();
    return app.exec();
}
