// Renders a written home page in the program's own browser engine: the
// background picture beside it is the page's background, description and title
// are on the page, and it is not blank, all without the remote gallery engine
// (no network here). Exit status 0 when all holds, 1 with a message otherwise.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "site/home_page.h"
#include "site/site_writer.h"

namespace {

constexpr int kTimeoutMs = 30000;

int fail(const std::string& message) {
    std::fprintf(stderr, "home_page_render: %s\n", message.c_str());
    return 1;
}

// Runs the event loop until `done` says so or the time is up.
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

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine refuses to start as root with its sandbox on.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);

    QTemporaryDir temporary;
    if (!temporary.isValid()) return fail("no temporary folder");
    const std::string background = "Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg", description = "Descrizione del Sito";
    sb::Parametri_Sito p;
    p.Cartella_Sito = temporary.path().toStdString() + "/";
    p.Nome_Immagine_Sfondo_Sito = std::string(SB_APP_DIR) + "/SFONDI/" + background;
    const bool written = sb::writeSite({p, "Titolo del Sito", description, SB_APP_DIR, SB_APP_DIR}).written();
    if (!written || !QFile::exists(QString::fromStdString(p.Cartella_Sito + background))) {
        return fail("could not write the site into " + p.Cartella_Sito);
    }

    QWebEngineView view;
    view.resize(1024, 768);
    view.show();
    std::optional<bool> loaded;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&loaded](bool ok) { loaded = ok; });
    view.load(QUrl::fromLocalFile(QString::fromStdString(p.Cartella_Sito + sb::kHomePageFileName)));
    if (!waitFor([&] { return loaded.has_value(); })) return fail("the page did not finish loading in 30 s");
    if (!*loaded) return fail("the page failed to load");

    std::optional<QVariant> facts;
    view.page()->runJavaScript("JSON.stringify({attribute: document.body.background,"
                               " computed: getComputedStyle(document.body).backgroundImage,"
                               " text: document.body.innerText, title: document.title})",
                               [&facts](const QVariant& value) { facts = value; });
    if (!waitFor([&] { return facts.has_value(); })) return fail("the page did not answer");
    const QJsonObject page = QJsonDocument::fromJson(facts->toString().toUtf8()).object();
    const auto shown = [&page](const char* key) { return page[key].toString().toStdString(); };
    const std::pair<bool, std::string> checks[] = {
        {shown("attribute") == background, "body background is \"" + shown("attribute") + "\""},
        {shown("computed").find(background) != std::string::npos, "computed background image is \"" + shown("computed") + "\""},
        {shown("text").find(description) != std::string::npos, "the description is not on the page: \"" + shown("text") + "\""},
        {shown("title") == "Titolo del Sito - Layout creato da Velmora(c)", "the title is \"" + shown("title") + "\""},
    };
    for (const auto& [holds, message] : checks) if (!holds) return fail(message);

    // The background picture is decoded and painted a little after loading:
    // wait for the rendering to hold more than one colour.
    const bool painted = waitFor([&] {
        const QImage image = view.grab().toImage();
        for (int y = 0; y < image.height(); y += 3) {
            for (int x = 0; x < image.width(); x += 3) if (image.pixel(x, y) != image.pixel(0, 0)) return true;
        }
        return false;
    });
    if (!painted) return fail("the rendered page is a single flat colour");

    std::printf("home_page_render: background, description and title on the page; rendering not flat\n");
    return 0;
}
