// Home pages whose background and site folder bear awkward names, loaded in
// the program's own browser engine: the background the page names is the
// picture copied beside it, and it loads. Exit status 0 when every name
// holds, 1 with the names that do not.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "qt/qt_platform.h"
#include "site/home_page.h"
#include "site/site_writer.h"

namespace {

constexpr int kTimeoutMs = 20000;

template <typename Done>
bool waitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < kTimeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

std::optional<QString> evaluate(QWebEngineView& view, const QString& script) {
    std::optional<QString> answer;
    view.page()->runJavaScript(script, [&answer](const QVariant& value) { answer = value.toString(); });
    if (!waitFor([&] { return answer.has_value(); })) return std::nullopt;
    return answer;
}

// What the page makes of its background: "loaded", "error" or "none".
constexpr const char* kLoadBackground =
    "(() => { window.__background = 'none';"
    " const m = /url\\(\"(.*)\"\\)/.exec(getComputedStyle(document.body).backgroundImage);"
    " if (!m) return; window.__background = 'pending'; const i = new Image();"
    " i.onload = () => window.__background = i.naturalWidth > 0 ? 'loaded' : 'error';"
    " i.onerror = () => window.__background = 'error'; i.src = m[1]; })()";

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    // Made and removed by bytes: Qt's own folder helpers cannot remove a
    // name that is not UTF-8.
    std::string root = std::filesystem::temp_directory_path().string() + "/odd-names-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) return 1;
    const std::string picture = std::string(SB_APP_DIR) + "/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg";
    std::ifstream in(picture, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};

    const std::string names[] = {"pct%20", "hash#x", "q?x=1", "  ai lati  ", "riga\nnuova", "caf\xE9 \x81",
                                 "l'alba & \"mare\" <b>", "\xF0\x9F\x98\x80 c:x"};
    QWebEngineView view;
    view.resize(800, 600);
    view.show();
    int failures = 0;
    for (const std::string& name : names) {
        const std::string folder = root + "/sito " + name + "/";
        const std::string source = root + "/" + name + ".jpg";
        std::ofstream(source, std::ios::binary) << bytes;
        sb::Parametri_Sito p;
        p.Cartella_Sito = folder;
        p.Nome_Immagine_Sfondo_Sito = source;
        if (!sb::writeSite({p, "Titolo", "Descrizione", SB_APP_DIR, SB_APP_DIR}).written()) {
            std::fprintf(stderr, "odd_names_render: no site for \"%s\"\n", name.c_str());
            ++failures;
            continue;
        }
        std::optional<bool> loaded;
        const auto connection =
            QObject::connect(&view, &QWebEngineView::loadFinished, [&loaded](bool ok) { loaded = ok; });
        view.load(sbqt::QtPlatform::addressToUrl("file://" + folder + sb::kHomePageFileName));
        const bool finished = waitFor([&] { return loaded.has_value(); }) && *loaded;
        QObject::disconnect(connection);
        std::optional<QString> background;
        if (finished && evaluate(view, kLoadBackground)) {
            waitFor([&] {
                background = evaluate(view, "window.__background");
                return background && *background != "pending";
            });
        }
        const QString outcome = !finished ? "page not loaded" : background.value_or("no answer");
        std::printf("odd_names_render: \"%s\": background %s\n", name.c_str(), qPrintable(outcome));
        failures += outcome != "loaded";
    }
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return failures == 0 ? 0 : 1;
}
