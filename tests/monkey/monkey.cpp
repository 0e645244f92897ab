// The seeded monkey: the real program under random events a seed fixes
// (clicks, keys, text in several scripts, pastes, resizes with a paste before
// the window has followed, dialogs answered at random); each event is logged
// before it is delivered, so a failure replays.
//
//   sitebuilder_monkey --seed S --events N --app DIR --pictures DIR --root DIR
//
// Status 2: a file outside the root that was there was changed or removed;
// 3: a hang (no event loop for 5 s, or a handler running for 30); a crash ends it by its signal.
#include <QClipboard>
#include <QFileDialog>
#include <QKeySequence>
#include <QTest>

#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "ui/main_window.h"

// --- the file watch ------------------------------------------------------------
// The C library's entries below stand in for its own for the whole process and
// note every path changed outside the allowed folders: a file made there (where
// a typed path led) is listed, one that was there and is changed is a fault.

namespace monkey {
namespace {

std::mutex mutex;
std::vector<std::string> allowed;      // absolute, without a trailing separator; set before watching
std::vector<std::string> outside;      // files that were there, changed or removed
std::set<std::string> createdOutside;  // made by this run where a typed path led
std::atomic<bool> watching{false};
thread_local bool inside = false;  // our own calls are not watched

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

std::string folderOfDescriptor(int dirfd) {
    char path[PATH_MAX];
    if (dirfd == AT_FDCWD) return ::getcwd(path, sizeof path) ? path : "?";
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(dirfd)).c_str(), path, sizeof path);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "?";
}

// One call that may change a file: looked at before it runs, judged after.
class Change {
public:
    // `made`: the call has made the file already (its name was not known before).
    Change(int dirfd, const char* path, bool made = false) {
        if (!watching || inside || path == nullptr) return;
        inside = true;
        full_ = path;
        if (full_.empty() || full_[0] != '/') full_ = folderOfDescriptor(dirfd) + "/" + full_;
        struct stat st {};
        existed_ = !made && ::lstat(full_.c_str(), &st) == 0;
        watched_ = std::none_of(allowed.begin(), allowed.end(),
                                [this](const std::string& root) { return full_.starts_with(root + "/") || full_ == root; });
        inside = false;
    }
    // `succeeded`: the call did what it was asked.
    void done(bool succeeded) {
        if (!watched_ || !succeeded) return;
        const std::lock_guard<std::mutex> lock(mutex);
        if (existed_ && createdOutside.count(full_) == 0) outside.push_back(full_);
        else createdOutside.insert(full_);
    }

private:
    std::string full_;
    bool existed_ = false;
    bool watched_ = false;
};

bool writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0 && (flags & O_TMPFILE) != O_TMPFILE; }
bool writes(const char* mode) { return mode && std::strpbrk(mode, "wa+") != nullptr; }

}  // namespace
}  // namespace monkey

// --- the library's entries ------------------------------------------------------
// Each notes the paths it may change (FROM, TO or NONE); OK says from `result` whether it succeeded.

#define WATCHED(Result, name, Parameters, Arguments, FROM, TO, OK)        \
    Result name Parameters {                                             \
        monkey::Change first FROM, second TO;                            \
        static const auto next = monkey::real<Result(*) Parameters>(#name); \
        const auto result = next Arguments;                              \
        first.done(OK), second.done(OK);                                 \
        return result;                                                   \
    }

// The open calls take a mode only when they may create a file.
#define WATCHED_OPEN(name, Parameters, Arguments, dirfd)                                          \
    int name Parameters {                                                                         \
        va_list args;                                                                             \
        va_start(args, flags);                                                                    \
        const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0; \
        va_end(args);                                                                             \
        monkey::Change change(dirfd, monkey::writes(flags) ? path : nullptr);                    \
        static const auto next = monkey::real<int(*) Parameters>(#name);                         \
        const int result = next Arguments;                                                        \
        change.done(result >= 0);                                                                 \
        return result;                                                                            \
    }

// A temporary name is known only once the file is made.
#define WATCHED_TEMPORARY(Result, name, Parameters, Arguments, OK)              \
    Result name Parameters {                                                   \
        static const auto next = monkey::real<Result(*) Parameters>(#name);    \
        const auto result = next Arguments;                                    \
        monkey::Change(AT_FDCWD, (OK) ? pattern : nullptr, true).done(OK);     \
        return result;                                                         \
    }

#define NONE (AT_FDCWD, nullptr)

extern "C" {

WATCHED_OPEN(open, (const char* path, int flags, ...), (path, flags, mode), AT_FDCWD)
WATCHED_OPEN(open64, (const char* path, int flags, ...), (path, flags, mode), AT_FDCWD)
WATCHED_OPEN(openat, (int dirfd, const char* path, int flags, ...), (dirfd, path, flags, mode), dirfd)
WATCHED_OPEN(openat64, (int dirfd, const char* path, int flags, ...), (dirfd, path, flags, mode), dirfd)
WATCHED(int, creat, (const char* path, mode_t mode), (path, mode), (AT_FDCWD, path), NONE, result == 0)
WATCHED(FILE*, fopen, (const char* path, const char* mode), (path, mode),
        (AT_FDCWD, monkey::writes(mode) ? path : nullptr), NONE, result != nullptr)
WATCHED(FILE*, fopen64, (const char* path, const char* mode), (path, mode),
        (AT_FDCWD, monkey::writes(mode) ? path : nullptr), NONE, result != nullptr)
WATCHED(int, mkdir, (const char* path, mode_t mode), (path, mode), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, mkdirat, (int dirfd, const char* path, mode_t mode), (dirfd, path, mode), (dirfd, path), NONE, result == 0)
WATCHED_TEMPORARY(char*, mkdtemp, (char* pattern), (pattern), result != nullptr)
WATCHED_TEMPORARY(int, mkstemp, (char* pattern), (pattern), result >= 0)
WATCHED_TEMPORARY(int, mkostemp, (char* pattern, int flags), (pattern, flags), result >= 0)
WATCHED(int, unlink, (const char* path), (path), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, unlinkat, (int dirfd, const char* path, int flags), (dirfd, path, flags), (dirfd, path), NONE, result == 0)
WATCHED(int, rmdir, (const char* path), (path), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, rename, (const char* from, const char* to), (from, to), (AT_FDCWD, from), (AT_FDCWD, to), result == 0)
WATCHED(int, renameat, (int fromfd, const char* from, int tofd, const char* to), (fromfd, from, tofd, to),
        (fromfd, from), (tofd, to), result == 0)
WATCHED(int, renameat2, (int fromfd, const char* from, int tofd, const char* to, unsigned flags),
        (fromfd, from, tofd, to, flags), (fromfd, from), (tofd, to), result == 0)
WATCHED(int, link, (const char* from, const char* to), (from, to), (AT_FDCWD, to), NONE, result == 0)
WATCHED(int, linkat, (int fromfd, const char* from, int tofd, const char* to, int flags),
        (fromfd, from, tofd, to, flags), (tofd, to), NONE, result == 0)
WATCHED(int, symlink, (const char* target, const char* path), (target, path), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, truncate, (const char* path, off_t length), (path, length), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, chmod, (const char* path, mode_t mode), (path, mode), (AT_FDCWD, path), NONE, result == 0)

}  // extern "C"

// --- the monkey --------------------------------------------------------------

namespace {

std::atomic<long> heartbeat{0};  // the event loop ran
std::atomic<long> delivered{0};  // an event of the monkey was delivered and its handlers returned

// Shows where the main thread is stuck, then ends the run as a hang.
extern "C" void onHang(int) {
    void* frames[64];
    ::backtrace_symbols_fd(frames, ::backtrace(frames, 64), 2);
    std::_Exit(3);
}

// Texts the monkey types: several scripts, digits, characters that break names; never a path
// separator, so whatever the program makes of a typed path stays in the run's folders.
const char* const kPieces[] = {"a", "Z", "0", "7", "-1", "2.5", "&H1F", " ", ".", ".jpg", "%", "#", "?", "'", "\"",
                               "&", "<", ">", "é", "ß", "Ω", "Ж", "東京", "😀", "ا", "\t", "99999"};

const QKeyCombination kKeys[] = {
    Qt::Key_Return, Qt::KeypadModifier | Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Tab, Qt::ShiftModifier | Qt::Key_Backtab,
    Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::ShiftModifier | Qt::Key_End,
    Qt::ControlModifier | Qt::Key_A, Qt::ControlModifier | Qt::Key_C, Qt::ControlModifier | Qt::Key_V,
    Qt::ControlModifier | Qt::Key_X, Qt::ControlModifier | Qt::Key_Z, Qt::Key_Space,
};

class Monkey {
public:
    Monkey(unsigned seed, int events, std::vector<QString> pictures)
        : events_(seed), answers_(seed ^ 0x5eed5eedu), total_(events), pictures_(std::move(pictures)) {}

    void run() {
        for (done_ = 0; done_ < total_; ++done_) {
            step();
            for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            ++heartbeat, ++delivered;
        }
        // Let the last events settle, then close every window.
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    // Answers the dialog on top, if any, after this call returns: a dialog may open another
    // while it takes its answer, and that one must find this timer free.
    void answerDialogs() {
        ++heartbeat;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || answering_ == modal) return;
        answering_ = modal;
        std::function<void()> answer;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const auto buttons = box->buttons();
            QPointer<QAbstractButton> button = buttons.isEmpty() ? nullptr : buttons[pick(answers_, buttons.size())];
            log("answer message box: " + (button ? button->text() : QStringLiteral("close")));
            answer = [box = QPointer<QMessageBox>(box), button] { button ? button->click() : box ? box->reject() : void(); };
        } else if (qobject_cast<QFileDialog*>(modal)) {
            QPointer<QFileDialog> dialog(static_cast<QFileDialog*>(modal));
            if (pictures_.empty() || pick(answers_, 4) == 0) {
                log("answer file dialog: cancel");
                answer = [dialog] { if (dialog) dialog->reject(); };
            } else {
                const QString chosen = pictures_[static_cast<std::size_t>(pick(answers_, pictures_.size()))];
                log("answer file dialog: " + chosen);
                answer = [dialog, chosen] { if (dialog) dialog->selectFile(chosen), static_cast<QDialog*>(dialog.data())->accept(); };
            }
        } else {
            log(QStringLiteral("answer dialog %1: close").arg(modal->metaObject()->className()));
            answer = [m = QPointer<QWidget>(modal)] { if (m) m->close(); };
        }
        QTimer::singleShot(0, modal, [this, answer] { answering_ = nullptr, answer(); });
    }

private:
    template <typename Engine>
    static int pick(Engine& engine, qsizetype n) {
        return static_cast<int>(std::uniform_int_distribution<qsizetype>(0, n - 1)(engine));
    }
    int pick(qsizetype n) { return pick(events_, n); }
    template <typename T>
    T* pickOf(const std::vector<T*>& v) { return v[static_cast<std::size_t>(pick(static_cast<int>(v.size())))]; }

    void log(const QString& what) { std::fprintf(stderr, "[%d] %s\n", done_, qPrintable(what)); }

    static std::vector<QWidget*> windows() {
        std::vector<QWidget*> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !w->isModal() && !qobject_cast<QFileDialog*>(w) && !qobject_cast<QMessageBox*>(w)) shown.push_back(w);
        return shown;
    }

    // Widgets a user can reach with the mouse in a window.
    static std::vector<QWidget*> targets(QWidget* window) {
        std::vector<QWidget*> found;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->isVisible() && w->isEnabled() && w->width() > 0 && w->height() > 0 && w->window() == window &&
                (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QTabBar*>(w) ||
                 w->inherits("QLabel") || w->inherits("QAbstractScrollArea")))
                found.push_back(w);
        }
        return found;
    }

    // The widget with the keyboard focus in the window, or else one the monkey gives it to.
    QWidget* keyTarget(QWidget* window) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->window() == window) return focus;
        const auto reachable = targets(window);
        if (reachable.empty()) return window;
        QWidget* target = pickOf(reachable);
        target->setFocus(Qt::OtherFocusReason);
        return target;
    }

    QString typedText() {
        QString text;
        for (int n = 1 + pick(6); n > 0; --n) text += QString::fromUtf8(kPieces[pick(std::size(kPieces))]);
        return text;
    }

    void step() {
        // The program's own windows, never a dialog that has just closed.
        const auto shown = windows();
        if (shown.empty()) return;
        QWidget* window = pickOf(shown);
        const QString title = window->windowTitle();
        const int kind = pick(100);
        if (kind < 45) {
            const auto reachable = targets(window);
            if (reachable.empty()) return;
            QWidget* target = pickOf(reachable);
            QPoint at(pick(std::max(1, target->width())), pick(std::max(1, target->height())));
            if (auto* bar = qobject_cast<QTabBar*>(target); bar && bar->count() > 0) at = bar->tabRect(pick(bar->count())).center();
            const QString name = target->objectName().isEmpty() ? target->metaObject()->className() : target->objectName();
            log(QStringLiteral("click %1 at %2,%3 in \"%4\"").arg(name).arg(at.x()).arg(at.y()).arg(title));
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
        } else if (kind < 55) {
            const QPoint at(pick(std::max(1, window->width())), pick(std::max(1, window->height())));
            QWidget* target = window->childAt(at);
            log(QStringLiteral("click \"%1\" at %2,%3").arg(title).arg(at.x()).arg(at.y()));
            if (target) QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(window, at));
        } else if (kind < 75) {
            const QKeyCombination key = kKeys[pick(std::size(kKeys))];
            QWidget* target = keyTarget(window);
            log(QStringLiteral("key %1 to %2").arg(QKeySequence(key).toString(), target->objectName()));
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
        } else if (kind < 88) {
            const QString text = typedText();
            QWidget* target = keyTarget(window);
            log(QStringLiteral("type \"%1\" into %2").arg(text, target->objectName()));
            sbqt::test::typeText(target, text);
        } else if (kind < 94) {
            const QString text = pick(3) == 0 ? QString(pick(4000) + 1, QChar(0x263A)) : typedText() + "\n" + typedText();
            log(QStringLiteral("clipboard holds %1 characters").arg(text.size()));
            QApplication::clipboard()->setText(text);
        } else if (const int how = pick(10); how == 0) {
            log("maximize");
            window->showMaximized();
        } else if (how == 1) {
            log("minimize and restore");
            window->showMinimized();
            QCoreApplication::processEvents();
            window->showNormal();
        } else {
            const QSize size(100 + pick(1500), 80 + pick(1000));
            log(QStringLiteral("resize to %1x%2").arg(size.width()).arg(size.height()));
            window->showNormal();
            window->resize(size);
            if (pick(2) == 0) {  // a paste or a cut before the window has followed the resize
                QWidget* target = keyTarget(window);
                const bool cut = pick(4) == 0;
                log(QStringLiteral("key %1 to %2 at once").arg(cut ? "Ctrl+X" : "Ctrl+V", target->objectName()));
                QTest::keyClick(target, cut ? Qt::Key_X : Qt::Key_V, Qt::ControlModifier);
            }
        }
    }

    std::mt19937 events_, answers_;
    int total_, done_ = 0;
    std::vector<QString> pictures_;
    QPointer<QWidget> answering_;
};

QString argument(const QStringList& args, const QString& name, const QString& fallback = {}) {
    const int at = static_cast<int>(args.indexOf(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

// No answer for 5 seconds is a hang, and so is a handler that lets events run but never
// returns (30 seconds without the next event: start-up and the first page take a few).
void startWatchdog() {
    ::signal(SIGUSR1, onHang);
    std::thread([main = ::pthread_self()] {
        using Clock = std::chrono::steady_clock;
        long beat = -1, event = -1;
        auto beatSince = Clock::now(), eventSince = Clock::now();
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (heartbeat != beat) beat = heartbeat, beatSince = Clock::now();
            if (delivered != event) event = delivered, eventSince = Clock::now();
            const char* what = Clock::now() - beatSince > std::chrono::seconds(5)    ? "no answer for 5 seconds"
                               : Clock::now() - eventSince > std::chrono::seconds(30) ? "a handler runs for 30 seconds"
                                                                                      : nullptr;
            if (!what) continue;
            std::fprintf(stderr, "monkey: HANG - %s; the main thread is at:\n", what);
            ::pthread_kill(main, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::seconds(2));
            std::_Exit(3);
        }
    }).detach();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Site Builder"));
    const QStringList args = QApplication::arguments();
    const unsigned seed = argument(args, "--seed", "1").toUInt();
    const int events = argument(args, "--events", "2000").toInt();
    const QString appFolder = argument(args, "--app"), pictureFolder = argument(args, "--pictures");
    const std::string root = std::filesystem::weakly_canonical(argument(args, "--root").toStdString()).string();
    std::fprintf(stderr, "monkey: seed %u, %d events\n", seed, events);

    std::vector<QString> pictures;
    if (!pictureFolder.isEmpty()) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(pictureFolder.toStdString()))
            if (entry.is_regular_file()) pictures.push_back(QString::fromStdString(entry.path().string()));
        std::sort(pictures.begin(), pictures.end());
    }

    // The program starts in its own folder, as a desktop shortcut starts it.
    std::filesystem::current_path(appFolder.toStdString());
    monkey::allowed = {root, "/dev", "/proc", "/sys"};
    monkey::watching = true;
    startWatchdog();

    sbqt::QtPlatform platform(appFolder);
    sb::Module1 state;
    sb::MainWindow model(state, platform);
    sbqt::MainWindowView view(model, platform);
    Monkey monkey(seed, events, pictures);
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&monkey] { monkey.answerDialogs(); });
    answerer.start(30);

    view.run([&model] { model.Form_Load(); });
    view.show();
    view.activateWindow();
    QApplication::setActiveWindow(&view);
    // Ends without the Main Window's question on unwritten values (Cancel would keep it open).
    QTimer::singleShot(0, [&monkey] { monkey.run(), QCoreApplication::exit(0); });
    QApplication::exec();

    // What typed paths led the program to make elsewhere goes again, the deepest first.
    monkey::watching = false;
    const std::lock_guard<std::mutex> lock(monkey::mutex);
    for (auto it = monkey::createdOutside.rbegin(); it != monkey::createdOutside.rend(); ++it) {
        std::fprintf(stderr, "monkey: made where a typed path led: %s\n", it->c_str());
        std::error_code ec;
        std::filesystem::remove(*it, ec);
    }
    const auto& outside = monkey::outside;
    for (const std::string& path : outside) std::fprintf(stderr, "monkey: file touched outside the run: %s\n", path.c_str());
    std::fprintf(stderr, "monkey: %s after %d events, seed %u\n", outside.empty() ? "passed" : "FAILED", events, seed);
    return outside.empty() ? 0 : 2;
}
