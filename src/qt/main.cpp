// Site Builder: composes a photo-gallery web site from parameters and shows
// pictures and sample pages. Works in its application folder (its own folder
// in the build, or the user's own folder once installed), loads the Main
// Window and runs until the window closes or the process is asked to stop
// (SIGTERM, SIGINT).
//
// SB_EXIT_WHEN_SHOWN=1 quits as soon as the Main Window has been shown and
// painted once, and prints when that was (qt/first_paint.h): used to time
// the start and by the tests.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <string_view>

#include "app/application_folder.h"
#include "app/display_check.h"
#include "app/state.h"
#include "publish/publish.h"
#include "qt/curl_transport.h"
#include "qt/first_paint.h"
#include "qt/main_window_view.h"
#include "qt/picture_decoder.h"
#include "qt/qt_platform.h"
#include "ui/main_window.h"

namespace {

// The name of the program's command, desktop entry, package and user folder.
constexpr const char* kCommandName = "sitebuilder";

std::array<int, 2> signalPipe = {-1, -1};

extern "C" void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

bool installStopSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe.data()) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool hasArgument(int argc, char** argv, std::initializer_list<std::string_view> names) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--webEngineArgs") break;
        for (std::string_view name : names) {
            if (argv[i] == name) return true;
        }
    }
    return false;
}

// The window-system plugin asked for: -platform NAME wins over QT_QPA_PLATFORM.
std::string_view requestedPlatform(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "-platform" || argument == "--platform") return argv[i + 1];
    }
    return environment("QT_QPA_PLATFORM");
}

constexpr const char* kScreenAdvice =
    "Start it from a desktop session, or on a virtual screen with: xvfb-run -a sitebuilder\n";

// While the window system starts, a fatal failure (a display that cannot be
// reached) ends the program with a plain sentence instead of an abort.
QtMessageHandler defaultMessageHandler = nullptr;
bool startingWindowSystem = false;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg && startingWindowSystem) {
        const std::string_view display = environment("DISPLAY");
        std::fprintf(stderr, "%s: cannot open a window: the display \"%.*s\" could not be reached.\n%s", kCommandName,
                     static_cast<int>(display.size()), display.data(), kScreenAdvice);
        std::_Exit(EXIT_FAILURE);
    }
    defaultMessageHandler(type, context, text);
}

void describeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Site Builder composes a photo-gallery web site from a set of parameters and shows\n"
        "pictures in sample pages. Site Builder compone un sito web di gallerie fotografiche\n"
        "da un insieme di parametri e mostra le immagini in pagine di esempio.\n\n"
        "Options for the embedded browser follow --webEngineArgs."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("publish"),
        QStringLiteral(
            "Publish the site written in SITE_FOLDER to the web space at URL\n"
            "(sftp://[user@]host[:port]/path/, ftps://... or ftp://...) without\n"
            "opening a window: sitebuilder --publish SITE_FOLDER URL. Only what\n"
            "changed since the last publish is sent. The SFTP server's key must\n"
            "already be in ~/.ssh/known_hosts (ssh-keyscan adds it); the login\n"
            "uses the SSH key or agent, or the password in the environment\n"
            "variable SITEBUILDER_PASSWORD; the user is the URL's or the current\n"
            "one. Progress goes to standard error; the exit status is 0 only when\n"
            "the server holds the whole site.")));
}

// The arguments up to --webEngineArgs: the rest belong to the browser engine.
QStringList ownArguments() {
    QStringList arguments = QCoreApplication::arguments();
    const qsizetype browserPart = arguments.indexOf(QStringLiteral("--webEngineArgs"));
    if (browserPart > 0) arguments.resize(browserPart);
    return arguments;
}

// Parses the command line; prints help or the version and ends the program
// when asked to, ends it with a message on anything it does not know.
void processCommandLine() {
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(ownArguments());
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s: unexpected argument \"%s\" (see --help)\n", kCommandName,
                     qPrintable(parser.positionalArguments().constFirst()));
        std::exit(EXIT_FAILURE);
    }
}

std::atomic<bool> publishCancelled = false;

extern "C" void onPublishStop(int) { publishCancelled = true; }

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// sitebuilder --publish SITE_FOLDER URL: publishes without a window, in the
// language of the user's locale, and says how it went on standard error.
int publishFromCommandLine() {
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(ownArguments());
    std::string_view locale = environment("LC_ALL");
    if (locale.empty()) locale = environment("LC_MESSAGES");
    if (locale.empty()) locale = environment("LANG");
    const bool english = !startsWith(locale, "it");
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        std::fprintf(stderr, "%s: %s: %s --publish SITE_FOLDER URL\n", kCommandName,
                     english ? "publishing needs the site folder and the address" : "per pubblicare servono la cartella del sito e l'indirizzo",
                     kCommandName);
        return EXIT_FAILURE;
    }
    const auto address = sb::publish::parseAddress(positional[1].toStdString());
    if (!address) {
        std::fprintf(stderr, "%s: \"%s\": %s\n", kCommandName, qPrintable(positional[1]),
                     english ? "not an address to publish to (sftp://host/path/, ftps://host/path/ or ftp://host/path/)"
                             : "non è un indirizzo a cui pubblicare (sftp://host/percorso/, ftps://host/percorso/ o ftp://host/percorso/)");
        return EXIT_FAILURE;
    }
    if (address->scheme == sb::publish::Address::Scheme::Ftp) {
        std::fprintf(stderr, "%s: %s\n", kCommandName,
                     english ? "warning: over ftp:// the password and the files travel in clear."
                             : "attenzione: con ftp:// la password e i file viaggiano in chiaro.");
    }
    sb::publish::Credentials credentials;
    credentials.password = std::string(environment("SITEBUILDER_PASSWORD"));
    // No one to ask: an unknown host key or certificate is refused.
    auto transport = sb::makeCurlTransport(*address, credentials, {});

    std::signal(SIGINT, onPublishStop);
    std::signal(SIGTERM, onPublishStop);
    int done = 0, total = 0;
    sb::publish::Events events;
    events.progress = [&](const sb::publish::Progress& progress) {
        done = progress.filesDone;
        total = progress.filesTotal;
    };
    events.log = [&](const std::string& line) { std::fprintf(stderr, "[%d/%d] %s\n", done, total, line.c_str()); };
    const QString folder = QDir(positional[0]).absolutePath() + QLatin1Char('/');
    const sb::publish::Outcome outcome =
        sb::publish::publishSite(folder.toStdString(), *transport, events, publishCancelled, english);
    std::fprintf(stderr, "%s\n", outcome.message.c_str());
    return outcome.complete ? EXIT_SUCCESS : EXIT_FAILURE;
}

// The folder the program works in: its own when it holds the data files and
// can be written there, the user's own folder once installed.
QString applicationFolder() {
    const QString program = QCoreApplication::applicationDirPath();
    const QString data = QDir::cleanPath(program + QLatin1Char('/') + QStringLiteral(SB_DATA_FROM_PROGRAM));
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QString::fromStdString(
        sb::chooseApplicationFolder({program.toStdString(), data.toStdString(), user.toStdString()}));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QString::fromLatin1(kCommandName));
    QCoreApplication::setApplicationVersion(QStringLiteral(SB_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(SB_APP_ID));

    // Help and version need no screen.
    if (hasArgument(argc, argv, {"-h", "--help", "-?", "-v", "--version"})) {
        QCoreApplication app(argc, argv);
        processCommandLine();
        return EXIT_SUCCESS;
    }
    // Nor does publishing, nor the browser engine.
    if (hasArgument(argc, argv, {"--publish"})) {
        QCoreApplication app(argc, argv);
        return publishFromCommandLine();
    }

    const std::string noDisplay =
        sb::missingDisplay(requestedPlatform(argc, argv), environment("DISPLAY"), environment("WAYLAND_DISPLAY"));
    if (!noDisplay.empty() && !hasArgument(argc, argv, {"-display", "--display"})) {
        if (hasArgument(argc, argv, {"--help-all"})) {  // without the window system's own options then
            QCoreApplication app(argc, argv);
            processCommandLine();
        }
        std::fprintf(stderr, "%s: cannot open a window: %s.\n%s", kCommandName, noDisplay.c_str(), kScreenAdvice);
        return EXIT_FAILURE;
    }

    // The embedded browser's sandbox cannot run as root; an ordinary user
    // keeps it.
    const bool sandboxTurnedOff = ::geteuid() == 0 && environment("QTWEBENGINE_DISABLE_SANDBOX").empty();
    if (sandboxTurnedOff) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);

    const bool signalsReady = installStopSignals();

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    defaultMessageHandler = qInstallMessageHandler(onQtMessage);
    startingWindowSystem = true;
    QApplication app(argc, argv);
    startingWindowSystem = false;

    processCommandLine();
    if (sandboxTurnedOff) {
        std::fprintf(stderr, "%s: running as root: the embedded browser's sandbox is turned off.\n", kCommandName);
    }

    const QString folder = applicationFolder();
    QDir::setCurrent(folder);

    bool stopRequested = false;
    std::unique_ptr<QSocketNotifier> stopNotifier;
    if (signalsReady) {
        stopNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &app, [&stopRequested] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
            stopRequested = true;
            sbqt::QtPlatform::requestStop();  // a batch of thumbnails under way stops too
            // Asked to stop, the program stops: no window asks a question first.
            QCoreApplication::exit(0);
        });
    }

    sbqt::QtPlatform platform(folder);
    sb::Module1 state;
    sb::MainWindow model(state, platform);
    sbqt::MainWindowView view(model, platform);

    view.run([&model] { model.Form_Load(); });
    if (stopRequested) return 0;  // asked to stop before the loop ran

    if (qEnvironmentVariable("SB_EXIT_WHEN_SHOWN") == QLatin1String("1"))
        view.installEventFilter(new sbqt::QuitWhenPainted(&view));
    view.show();
    const int exitCode = QApplication::exec();
    const int status = stopRequested ? 0 : exitCode;
    // A thumbnail left to finish after a cancel gets a moment; one still
    // reading then is not waited for (its results are dropped anyway, and
    // nothing it writes is a file).
    if (!sbqt::PictureDecoder::waitForBackground(std::chrono::milliseconds(500))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
