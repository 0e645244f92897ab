// Site Builder: composes a photo-gallery web site from parameters and shows
// pictures and sample pages. Starts in its own folder, as a desktop shortcut
// would, loads the Main Window and runs until the window closes or the
// process is asked to stop (SIGTERM, SIGINT).
//
// SB_EXIT_WHEN_SHOWN=1 quits as soon as the Main Window has been shown and
// painted once: used only to time the start.
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <filesystem>
#include <system_error>

#include "app/state.h"
#include "qt/main_window_view.h"
#include "qt/qt_platform.h"
#include "ui/main_window.h"

namespace {

std::array<int, 2> signalPipe = {-1, -1};

extern "C" void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// The folder of the executable, found before Qt is up.
void enterApplicationFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return;
    std::filesystem::current_path(exe.parent_path(), ec);
}

bool installStopSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe.data()) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

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
    enterApplicationFolder();
    const bool signalsReady = installStopSignals();

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Site Builder"));

    bool stopRequested = false;
    std::unique_ptr<QSocketNotifier> stopNotifier;
    if (signalsReady) {
        stopNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &app, [&stopRequested] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
            stopRequested = true;
            QCoreApplication::quit();
        });
    }

    sbqt::QtPlatform platform;
    sb::Module1 state;
    sb::MainWindow model(state, platform);
    sbqt::MainWindowView view(model, platform);

    view.run([&model] { model.Form_Load(); });
    if (stopRequested) return 0;  // asked to stop before the loop ran

    if (qEnvironmentVariable("SB_EXIT_WHEN_SHOWN") == QLatin1String("1"))
        view.installEventFilter(new QuitWhenPainted(&view));
    view.show();
    const int status = QApplication::exec();
    return stopRequested ? 0 : status;
}
