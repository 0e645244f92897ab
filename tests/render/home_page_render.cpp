// Renders the default home page in the program's own browser engine: the
// background picture written beside it must be the page's background, the
// site description must be on the page, and the page must not be blank.
// The remote gallery engine cannot load here (no network); the page must
// stand without it.
//
// Exit status 0 when all holds, 1 with a message otherwise.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <optional>
#include <string>

#include "common/files.h"
#include "site/home_page.h"
#include "site/parametri.h"
#include "site/script_file.h"

namespace {

const std::string kApp = SB_APP_DIR;
const std::string kBackgroundName = "Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg";
const std::string kDescription = "Descrizione del Sito";
constexpr int kTimeoutMs = 30000;

int fail(const std::string& message) {
    std::fprintf(stderr, "home_page_render: %s\n", message.c_str());
    return 1;
}

// Runs the event loop until `done` says so or the time is up.
template <typename Done>
bool waitFor(Done done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::optional<QVariant> evaluate(QWebEnginePage* page, const QString& script) {
    std::optional<QVariant> result;
    page->runJavaScript(script, [&result](const QVariant& value) { result = value; });
    if (!waitFor([&] { return result.has_value(); }, kTimeoutMs)) return std::nullopt;
    return result;
}

// True when the picture holds more than one colour.
bool hasSeveralColours(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixel(x, y) != first) return true;
        }
    }
    return false;
}

sb::Parametri_Sito defaults(const std::string& site) {
    sb::Parametri_Sito p;
    p.Cartella_Sito = site;
    p.MAX_NUM_ARG = 5;
    p.MAX_NUM_RIGHE = 4;
    p.MAX_NUM_IMG_RIGA = 4;
    p.POS_Y_GRUPPI = 30;
    p.ALT_GRUPPI = 95;
    p.LARGH_X_DIA = 135;
    p.ALT_DIA = 100;
    p.POS_X_DIA = 400;
    p.POS_Y_DIA = 190;
    p.POS_Y_IMG = 200;
    p.POS_X_IMG_GRANDE = 220;
    p.POS_Y_IMG_GRANDE = 80;
    p.Nome_Immagine_Sfondo_Sito = kApp + "/SFONDI/" + kBackgroundName;
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine refuses to start as root with its sandbox on.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QApplication application(argc, argv);

    QTemporaryDir temporary;
    if (!temporary.isValid()) return fail("no temporary folder");
    const std::string site = temporary.path().toStdString() + "/";
    const sb::Parametri_Sito p = defaults(site);
    if (!sb::files::copyFile(p.Nome_Immagine_Sfondo_Sito, site + kBackgroundName)) {
        return fail("could not copy the background " + p.Nome_Immagine_Sfondo_Sito);
    }
    if (!sb::files::writeLines(site + sb::kScriptFileName, sb::composeParameterScript(p).lines) ||
        !sb::files::writeLines(site + sb::kHomePageFileName,
                               sb::composeHomePage("Titolo del Sito", kDescription, p.Nome_Immagine_Sfondo_Sito))) {
        return fail("could not write the site into " + site);
    }

    QWebEngineView view;
    view.resize(1024, 768);
    view.show();
    std::optional<bool> loaded;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&loaded](bool ok) { loaded = ok; });
    view.load(QUrl::fromLocalFile(QString::fromStdString(site + sb::kHomePageFileName)));
    if (!waitFor([&] { return loaded.has_value(); }, kTimeoutMs)) return fail("the page did not finish loading in 30 s");
    if (!*loaded) return fail("the page failed to load");

    const auto facts = evaluate(view.page(),
                                "JSON.stringify({attribute: document.body.background,"
                                " computed: getComputedStyle(document.body).backgroundImage,"
                                " text: document.body.innerText, title: document.title})");
    if (!facts) return fail("the page did not answer");
    const QJsonObject page = QJsonDocument::fromJson(facts->toString().toUtf8()).object();
    const QString background = QString::fromStdString(kBackgroundName);
    if (page["attribute"].toString() != background) {
        return fail("body background is \"" + page["attribute"].toString().toStdString() + "\"");
    }
    if (!page["computed"].toString().contains(background)) {
        return fail("computed background image is \"" + page["computed"].toString().toStdString() + "\"");
    }
    if (!page["text"].toString().contains(QString::fromStdString(kDescription))) {
        return fail("the description is not on the page; its text is \"" + page["text"].toString().toStdString() + "\"");
    }
    if (page["title"].toString() != "Titolo del Sito - Layout creato da Velmora(c)") {
        return fail("the title is \"" + page["title"].toString().toStdString() + "\"");
    }

    // The background picture is decoded and painted a little after loading.
    const bool painted = waitFor([&] { return hasSeveralColours(view.grab().toImage()); }, kTimeoutMs);
    if (!painted) return fail("the rendered page is a single flat colour");

    std::printf("home_page_render: background, description and title on the page; rendering not flat\n");
    return 0;
}
