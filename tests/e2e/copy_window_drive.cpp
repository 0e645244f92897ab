// The real program's two windows on a real X server, driven as a user does:
// "Copia Img." opens the Copy Window, which copies the image on view into a
// fresh folder, then moves it into another one, the move's question answered
// Yes in its real message box. The source must go only once its copy is in
// place; the window opens at its design size with the copy button focused,
// and its close box closes it. Saves pictures of the Copy Window and of the
// screen.
//
//   copy_window_drive APP_DIR ARTIFACT_DIR
#include <sys/inotify.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "ui/main_window.h"

namespace {

int failures = 0;
void check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    failures += !ok;
}

// What happened in the watched folders, in order: "+name" for a name that
// appeared, "-name" for one that went.
std::vector<std::string> changes(int watch) {
    std::vector<std::string> seen;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->len > 0) seen.push_back(((e->mask & (IN_DELETE | IN_MOVED_FROM)) ? "-" : "+") + std::string(e->name));
            p += sizeof(inotify_event) + e->len;
        }
    }
    return seen;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc != 3) return std::fprintf(stderr, "usage: %s APP_DIR ARTIFACT_DIR\n", argv[0]), 2;
    namespace fs = std::filesystem;
    using sbqt::test::named, sbqt::test::waitFor;
    const QString artifacts = QString::fromLocal8Bit(argv[2]) + "/";
    // The program's pictures in a folder of this run's own: the move takes one away.
    sb::test::TempDir appFolder, first, second;
    sb::test::copyPictures(argv[1], appFolder.str());
    fs::current_path(appFolder.str());

    sbqt::QtPlatform platform(QString::fromStdString(appFolder.str()));
    sb::Module1 state;
    sb::MainWindow model(state, platform);
    sbqt::MainWindowView view(model, platform);
    view.run([&model] { model.Form_Load(); });
    view.show();
    check(waitFor([&] { return view.windowHandle() && view.windowHandle()->isExposed(); }), "the Main Window is on screen");

    // The move's question is answered Yes in its own message box.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("question: %s\n", qPrintable(box->text()));
            box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->click() : box->reject();
        }
    });
    answerer.start(50);

    const auto copyWindow = [&] { return model.Form2() ? platform.windowView(*model.Form2()) : nullptr; };
    const auto closed = [&] { return !copyWindow() && !model.Form2()->isOpen(); };
    const auto openCopyWindow = [&]() -> QWidget* {
        auto* launcher = static_cast<QPushButton*>(named(&view, QStringLiteral("Command5")));
        check(launcher->text() == "Copia Img.", "the launcher reads \"Copia Img.\"");
        sbqt::test::click(launcher);
        const bool shown = waitFor([&] { return copyWindow() && copyWindow()->windowHandle() && copyWindow()->windowHandle()->isExposed(); });
        check(shown, "the Copy Window is on screen");
        return shown ? copyWindow() : nullptr;
    };
    const auto press = [&](QWidget* window, const std::string& folder, const char* button) {
        auto* field = static_cast<QLineEdit*>(named(window, QStringLiteral("Text1")));
        field->clear();
        sbqt::test::typeText(field, QString::fromStdString(folder));
        sbqt::test::click(named(window, QString::fromLatin1(button)));
        check(waitFor(closed), std::string(button) + " closed the window");
    };

    QWidget* window = openCopyWindow();
    if (!window) return 1;
    const std::string source = state.copySourcePath, name = state.Nome_Img_Copia;
    const std::string bytes = sb::test::readFile(source);
    check(!bytes.empty() && window->windowTitle().toStdString() == "Copia Immagine " + source, "the title names the image on view");
    check(window->focusWidget() == named(window, QStringLiteral("Command2")), "the copy button has the focus");
    check(window->size() == QSize(10875 / 15, 1260 / 15), "the Copy Window opens at the size its controls were laid out for");
    window->grab().save(artifacts + "copy_window.png");
    QGuiApplication::primaryScreen()->grabWindow(0).save(artifacts + "screen_with_copy_window.png");

    press(window, first.str() + "/", "Command2");
    check(sb::test::readFile(first / name) == bytes && fs::exists(source), "the copy is byte-equal to the image on view, the source kept");

    const int watch = ::inotify_init1(IN_NONBLOCK);
    ::inotify_add_watch(watch, fs::path(source).parent_path().c_str(), IN_DELETE | IN_MOVED_FROM);
    ::inotify_add_watch(watch, second.str().c_str(), IN_CREATE | IN_MOVED_TO);
    if (!(window = openCopyWindow())) return 1;
    press(window, second.str() + "/", "Command3");
    const std::vector<std::string> seen = changes(watch);
    for (const auto& change : seen) std::printf("  %s\n", change.c_str());
    const auto landed = std::find(seen.begin(), seen.end(), "+" + name), gone = std::find(seen.begin(), seen.end(), "-" + name);
    check(landed != seen.end() && gone != seen.end() && landed < gone, "the source went only after its copy had its name");
    check(sb::test::readFile(second / name) == bytes && !fs::exists(source), "the move left the whole image and no source");
    if ((window = openCopyWindow())) window->close();
    check(waitFor(closed), "the close box closes the Copy Window");
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
