// A written site in the program's own browser engine, used as a visitor uses it,
// in a desktop window and on a phone (390 x 844 CSS pixels at three device pixels,
// the program run again for it); then home pages of awkward names, and sample
// pages. Screenshots go to the artifacts folder; exit status 0 when all holds.
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QDir>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "adapter_support.h"
#include "common/files.h"
#include "site/home_page.h"
#include "site/site_writer.h"
#include "viewer/sample_pages.h"

namespace {

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "gallery_render: %s\n", message.c_str());
    std::exit(1);
}

using sbqt::test::waitFor;
constexpr int kPatience = 30000;  // for the engine, on a busy machine

// Runs a script in the page (or beside the page's own, in `world`); what it gives, as JSON.
QJsonValue run(QWebEngineView& view, const QString& script, quint32 world = QWebEngineScript::MainWorld) {
    std::optional<QVariant> result;
    view.page()->runJavaScript("JSON.stringify((function(){" + script + "})())", world, [&](const QVariant& v) { result = v; });
    if (!waitFor([&] { return result.has_value(); }, kPatience)) fail("the page did not answer " + script.toStdString());
    return QJsonDocument::fromJson("[" + result->toString().toUtf8() + "]").array().at(0);
}

std::string compact(const QJsonValue& value) {
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}
// A text as a script's string literal.
QString quoted(const QString& text) { return QString::fromStdString(compact(text)).mid(1).chopped(1); }

void waitUntil(QWebEngineView& view, const QString& condition, const std::string& what) {
    if (!waitFor([&] { return run(view, "return !!(" + condition + ");").toBool(); }, kPatience)) fail("never " + what);
}
// The big picture on view, loaded, with this caption (and `also` true).
void waitForPicture(QWebEngineView& view, const QString& caption, const std::string& what, const QString& also = "true") {
    waitUntil(view, "document.querySelector('.gv-foto.gv-pronta') && document.querySelector('.gv-fumetto').textContent == " +
                        quoted(caption) + " && " + also, what);
}
// Fails with `what` and the facts unless they are `expected`.
void expectFacts(QWebEngineView& view, const QString& facts, const QJsonValue& expected, const std::string& what) {
    const QJsonValue found = run(view, "return " + facts + ";");
    if (found != expected) fail(what + ": " + compact(found));
}
const QString kSlidesLoaded = "Array.from(document.querySelectorAll('.gv-mini')).every(i => i.complete && i.naturalWidth > 0)";

// A click on the middle of an element, as a person's (Back keeps only what a person did).
void click(QWebEngineView& view, const QString& selector) {
    const QJsonArray r = run(view, "const r = " + selector + ".getBoundingClientRect();"
                                   " return [r.left + r.width / 2, r.top + r.height / 2];").toArray();
    sbqt::test::click(view.focusProxy(), QPointF(r.at(0).toDouble(), r.at(1).toDouble()));
}
// A drag of the mouse from one point to another, in steps, as a swipe.
void drag(QWebEngineView& view, QPointF from, QPointF to) {
    sbqt::test::mouse(view.focusProxy(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int k = 1; k <= 8; ++k) {
        waitFor([] { return false; }, 15);
        sbqt::test::mouse(view.focusProxy(), QEvent::MouseMove, from + (to - from) * k / 8.0, Qt::NoButton, Qt::LeftButton);
    }
    sbqt::test::mouse(view.focusProxy(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}
void key(QWebEngineView& view, Qt::Key which) { view.setFocus(), sbqt::test::pressKey(view.focusProxy(), which); }

// A landscape of its own colours for each seed, so that the screenshots show photos.
QImage landscape(int seed) {
    QImage image(1200, 800, QImage::Format_RGB32);
    QPainter painter(&image);
    const int hue = (seed * 53) % 360;
    QLinearGradient sky(0, 0, 0, 800);
    sky.setColorAt(0, QColor::fromHsv(hue, 150, 220));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 60, 255));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((hue + 120) % 360, 140, 150));
    painter.drawEllipse(QPointF(300 + 300 * (seed % 3), 900), 700, 450);
    return image;
}

// Saved once the page has had half a second to settle (the big picture fades in).
void screenshot(QWebEngineView& view, const char* name) {
    waitFor([] { return false; }, 500);
    QDir().mkpath(SB_ARTIFACTS_DIR);
    if (!view.grab().save(QStringLiteral(SB_ARTIFACTS_DIR "/") + name)) fail(std::string("could not save ") + name);
}

// Loads a page as the program's `navigate` does; false when it did not load.
template <typename Navigate>
bool loaded(QWebEngineView& view, Navigate navigate) {
    std::optional<bool> ok;
    const auto connection = QObject::connect(&view, &QWebEngineView::loadFinished, [&ok](bool done) { ok = done; });
    navigate();
    waitFor([&] { return ok.has_value(); }, kPatience);
    QObject::disconnect(connection);
    return ok.value_or(false);
}

// What the page makes of its body's background ("none", "loaded" or "error"), seen from `world`.
QString background(QWebEngineView& view, quint32 world = QWebEngineScript::MainWorld) {
    run(view, "window.__background = 'none'; const m = /url\\(\"(.*)\"\\)/.exec(getComputedStyle(document.body).backgroundImage);"
              " if (!m) return; window.__background = 'pending'; const i = new Image();"
              " i.onload = () => window.__background = i.naturalWidth > 0 ? 'loaded' : 'error';"
              " i.onerror = () => window.__background = 'error'; i.src = m[1];", world);
    QString outcome;
    waitFor([&] { return (outcome = run(view, "return window.__background;", world).toString()) != "pending"; }, kPatience);
    return outcome;
}

// On a small screen, in every view: no sideways scrolling, captions of 12 CSS pixels
// at least, every link and button at least 44 pixels each way and inside the window.
void checkFitsPhone(QWebEngineView& view, const std::string& where) {
    expectFacts(view, R"((() => {
        const faults = [], w = innerWidth;
        const wide = Math.max(document.documentElement.scrollWidth, document.body.scrollWidth);
        if (wide > w) faults.push('scrolls sideways: ' + wide);
        for (const c of document.querySelectorAll('.gv-didascalia'))
          if (parseFloat(getComputedStyle(c).fontSize) < 12) faults.push('caption ' + c.textContent + ' ' + getComputedStyle(c).fontSize);
        for (const e of document.querySelectorAll('a[href], button')) {
          const r = e.getBoundingClientRect();
          if (r.width == 0 || getComputedStyle(e).visibility == 'hidden' || getComputedStyle(e).opacity == '0') continue;
          if (r.width < 44 || r.height < 44 || r.left < 0 || r.right > w)
            faults.push((e.textContent || e.title || e.className) + ' ' + [r.left, r.width, r.height].map(Math.round));
        }
        return faults; })())", QJsonArray{}, "on the phone, " + where);
}

// The group button of `name` shows the whole name inside the window.
void checkWholeName(QWebEngineView& view, const QString& name) {
    expectFacts(view, "(() => { const n = Array.from(document.querySelectorAll('.gv-nome span')).find(s => s.textContent == " + quoted(name) + ");"
                      " if (!n) return 'missing'; const b = n.parentNode, r = n.getBoundingClientRect();"
                      " return b.scrollHeight <= b.clientHeight + 1 && n.scrollWidth <= n.clientWidth + 1 &&"
                      " r.left >= 0 && r.right <= innerWidth && parseFloat(getComputedStyle(n).fontSize) >= 8; })()",
                true, "the name " + name.toStdString() + " is not whole");
}

// The page bar inside the window, its current page lit and its "Pagina k di n" on view.
void checkPageBar(QWebEngineView& view, int page, int pages) {
    const QString lit = "document.querySelector('.gv-attuale')";
    waitUntil(view, QStringLiteral("%1 && (%1.textContent.trim() == '%2' || %1.querySelector('img') && %1.querySelector('img').alt == '%2')").arg(lit).arg(page),
              "page " + std::to_string(page) + " lit");
    expectFacts(view, "(() => { const b = document.querySelector('.gv-barra').getBoundingClientRect(), c = document.querySelector('.gv-conta'),"
                      " r = c.getBoundingClientRect(); return b.left >= 0 && b.right <= innerWidth && r.right <= innerWidth &&"
                      " r.bottom <= innerHeight && c.textContent; })()",
                QStringLiteral("Pagina %1 di %2").arg(page).arg(pages), "the page bar of page " + std::to_string(page) + " leaves the window or lacks its count");
}

const QString kLongGroup = QString::fromUtf8("Citt\xC3\xA0 d'arte e borghi dell'Italia centrale");
QString groupAddress(const QString& group, const QString& rest) {
    return "location.hash = '#gruppo=' + encodeURIComponent(" + quoted(group) + ") + " + quoted(rest) + ";";
}

// The phone's part, on the site the desktop part wrote: in a run of its own at three device
// pixels each, and in the desktop run's window made as narrow, which saves the screenshots.
void phone(QWebEngineView& view, const QString& site, bool screenshots) {
    view.resize(390, 844);
    view.show();
    view.load(QUrl::fromLocalFile(site + QString::fromUtf8(sb::kHomePageFileName)));
    waitUntil(view, "document.querySelectorAll('.gv-gruppo').length == 3 && document.documentElement.classList.contains('gv-stretta') && "
                    "Array.from(document.images).every(i => i.complete)", "the phone's home page");
    expectFacts(view, "devicePixelRatio", screenshots ? 1 : 3, "the phone's density");
    checkFitsPhone(view, "the home page");
    checkWholeName(view, kLongGroup);
    if (screenshots) screenshot(view, "gallery_phone_home.png");

    run(view, groupAddress(kLongGroup, "&pagina=12"));
    waitUntil(view, "document.querySelectorAll('.gv-dia').length == 3 && " + kSlidesLoaded, "the long group's page 12");
    checkPageBar(view, 12, 25);
    checkFitsPhone(view, "a group's page");
    if (screenshots) screenshot(view, "gallery_phone_group.png");

    click(view, "document.querySelectorAll('.gv-dia')[1]");
    waitForPicture(view, "Foto 35", "the big picture on the phone");
    // As wide as the window or as its pixels, whichever is less, and centred.
    expectFacts(view, "(() => { const i = document.querySelector('.gv-foto'), r = i.getBoundingClientRect(),"
                      " v = document.querySelector('.gv-velo').getBoundingClientRect();"
                      " return Math.abs(r.width - Math.min(v.width, i.naturalWidth)) < 1 && Math.abs(r.left + r.right - v.left - v.right) < 1; })()",
                true, "the big picture does not fill the phone's width, centred");
    checkFitsPhone(view, "a big picture");
    if (screenshots) screenshot(view, "gallery_phone_picture.png");
    drag(view, QPointF(320, 420), QPointF(60, 430));
    waitForPicture(view, "Foto 36", "the next picture after a swipe", "location.hash.endsWith('foto=Foto%2036.jpg')");
    view.back();
    waitUntil(view, "!document.querySelector('.gv-velo') && location.hash.endsWith('&pagina=12')", "the page again after one Back");
}

// Home pages whose background and site folder bear an awkward name (made and removed
// by bytes: Qt cannot remove a name that is not UTF-8); how many lost their background.
int oddNamesFailing(QWebEngineView& view) {
    const sb::test::TempDir root;
    const std::string bytes = sb::test::readFile(std::string(SB_APP_DIR) + "/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg");
    int failures = 0;
    for (const std::string name : {"Sfondo_Azzurro", "pct%20", "hash#x", "q?x=1", "  ai lati  ", "riga\nnuova", "caf\xE9 \x81",
                                   "l'alba & \"mare\" <b>", "\xF0\x9F\x98\x80 c:x"}) {
        const std::string folder = root / ("sito " + name + "/"), source = root / (name + ".jpg");
        sb::test::makeFile(source, bytes);
        sb::Parametri_Sito p;
        p.Cartella_Sito = folder;
        p.Nome_Immagine_Sfondo_Sito = source;
        QString outcome = "no site";
        if (sb::writeSite({p, "Titolo", "Descrizione", SB_APP_DIR, SB_APP_DIR}).written())
            outcome = loaded(view, [&] { view.load(sbqt::QtPlatform::addressToUrl("file://" + folder + sb::kHomePageFileName)); })
                          ? background(view) : "page not loaded";
        std::printf("gallery_render: background of \"%s\": %s\n", name.c_str(), qPrintable(outcome));
        failures += outcome != "loaded";
    }
    return failures;
}

// The background page of a picture whose name is markup, and a page whose script reads
// another local file and whose frame shows one (red). As a sample page nothing runs and
// no other file is read or shown, the background still shows; as the site's preview the
// script runs and the frame shows. Returns how many pages were not as expected.
int samplePagesFailing(QWebEngineView& view) {
    sbqt::QtPlatform platform;
    platform.setBrowser(&view);
    const sb::test::TempDir folder;
    const std::string dir = folder.str() + "/";
    sb::test::makeFile(dir + "segreto.txt", "SEGRETO");
    sb::test::makeFile(dir + "segreto.htm", "<html><body style='background: #f00'></body></html>");
    sb::test::makeFile(dir + "pagina.htm", "<html><head><title>pagina</title></head><body style='margin: 0'>"
                                           "<iframe src='segreto.htm' style='border: 0; width: 300px; height: 200px'></iframe>"
                                           "<script>document.title = 'ran';"
                                           " const x = new XMLHttpRequest(); x.open('GET', 'segreto.txt', false); x.send();"
                                           " document.title = x.responseText;</script></body></html>");
    const std::string name = "<img src=x onerror=\"document.title='ran'\">.jpg", picture = dir + name;
    if (!landscape(1).save(QString::fromStdString(picture), "JPEG")) fail("no picture");
    sb::files::writeLines(*sb::viewer::backgroundPageName(picture), sb::viewer::backgroundPage(picture));
    const std::pair<std::string, QJsonArray> steps[] = {  // title, pictures, text, background, whether the frame shows
        {*sb::viewer::backgroundPageName(picture), {sbqt::test::qpath(picture), 0, sbqt::test::qpath(picture), "loaded", false}},
        {dir + "pagina.htm", {"pagina", 0, "", "none", false}},
        {"site " + dir + "pagina.htm", {"SEGRETO", 0, "", "none", true}},
        {dir + "pagina.htm", {"pagina", 0, "", "none", false}},
    };
    int failures = 0;
    for (const auto& [page, expected] : steps) {
        loaded(view, [&] { page.starts_with("site ") ? platform.browserNavigateSite("file://" + page.substr(5)) : platform.browserNavigate("file://" + page); });
        const QJsonValue text = run(view, "return [document.title, document.images.length, document.body.innerText.trim()];",
                                    QWebEngineScript::ApplicationWorld);
        bool red = false;  // the frame, given the time to show
        waitFor([&] { return (red = view.grab().toImage().pixelColor(100, 100) == Qt::red); }, 1000);
        const QJsonArray shown = text.toArray() + background(view, QWebEngineScript::ApplicationWorld) + red;
        std::printf("gallery_render: %s: %s\n", page.c_str(), compact(shown).c_str());
        failures += shown != expected;
    }
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWebEngineView view;
    if (argc == 3 && std::string(argv[1]) == "--phone") return phone(view, QString::fromLocal8Bit(argv[2]), false), 0;

    const sb::test::TempDir temporary;
    const QString site = sbqt::test::qpath(temporary.str()) + "/";
    // Two groups of seven photos, and the long group of 75 small ones (25 pages of 3), the accented one first.
    std::pair<QString, QStringList> groups[] = {
        {"Mare", {"Mare #1 & \"Sole\" 100%.jpg", "Faro_al_tramonto.jpg", "Scogli.jpg", "Onde.jpg", "Barche nel porto.jpg", "Spiaggia.jpg", "Gabbiani.jpg"}},
        {"Montagna", {"Alba sul lago.jpg", "Baita.jpg", "Cascata.jpg", "Ghiacciaio.jpg", "Neve.jpg", "Rifugio.jpg", "Vetta.jpg"}},
        {kLongGroup, {QString::fromUtf8("Caff\xC3\xA8 in piazza.jpg")}},
    };
    for (int i = 2; i <= 75; ++i) groups[2].second << QStringLiteral("Foto %1.jpg").arg(i, 2, 10, QLatin1Char('0'));
    int seed = 0;
    for (const auto& [group, files] : groups) {
        QDir().mkpath(site + group);
        for (const QString& file : files)
            if (!(group == kLongGroup ? landscape(3).scaled(300, 200) : landscape(seed++)).save(site + group + "/" + file, "JPEG", 85))
                fail("no picture");
    }

    sb::Parametri_Sito p = sb::defaultParameters(SB_APP_DIR);
    p.Cartella_Sito = site.toStdString();
    p.MAX_NUM_RIGHE = 1, p.MAX_NUM_IMG_RIGA = 3;
    p.POS_Y_GRUPPI = 60, p.ALT_GRUPPI = 170;
    p.LARGH_X_DIA = 220, p.ALT_DIA = 160, p.POS_X_DIA = 400, p.POS_Y_DIA = 200, p.POS_Y_IMG = 210;
    sbqt::QtPlatform platform;
    const sb::SiteReport report = sb::writeSite({p, "Fotografie", "Mare e montagna, estate 2024", SB_APP_DIR, SB_APP_DIR, &platform});
    if (!report.complete()) fail("the site was not written whole: " + sb::siteMessage(report));

    view.resize(1280, 800);
    view.show();
    view.load(QUrl::fromLocalFile(site + QString::fromUtf8(sb::kHomePageFileName)));

    // The home page: its background, title, description, what it tells search engines
    // and phones, and one button per group where POS_Y_GRUPPI and ALT_GRUPPI put them.
    waitUntil(view, "document.querySelectorAll('.gv-gruppo').length == 3 && "
                    "Array.from(document.images).every(i => i.complete && i.naturalWidth > 0)", "three group buttons");
    const QString backdrop = QString::fromStdString(std::filesystem::path(p.Nome_Immagine_Sfondo_Sito).filename().string());
    expectFacts(view, "[document.body.background, getComputedStyle(document.body).backgroundImage.includes(" + quoted(backdrop) + "),"
                      " document.title, document.body.innerText.includes('Mare e montagna, estate 2024'),"
                      " document.documentElement.lang, document.querySelector('meta[name=description]').content,"
                      " document.querySelector('meta[name=viewport]').content.includes('width=device-width'),"
                      " document.querySelector('link[rel=icon]').href.endsWith('/favicon_by_Velmora.png'), getComputedStyle(document.body).backgroundSize]",
                QJsonArray{backdrop, true, "Fotografie - Layout creato da Velmora(c)", true, "it", "Mare e montagna, estate 2024", true, true, "cover"},
                "the home page's background, title, description, language or icon");
    expectFacts(view, "Array.from(document.querySelectorAll('.gv-gruppo'), b => [b.getBoundingClientRect().left, b.getBoundingClientRect().top, b.textContent])",
                QJsonArray{QJsonArray{100, 60, kLongGroup}, QJsonArray{100, 230, "Mare"}, QJsonArray{100, 400, "Montagna"}}, "the group buttons");
    checkWholeName(view, kLongGroup);
    screenshot(view, "gallery_home.png");

    // The second group: three slides, three page buttons, then its next page.
    click(view, "document.querySelectorAll('.gv-gruppo')[2]");
    waitUntil(view, "location.hash == '#gruppo=Montagna' && document.querySelectorAll('.gv-dia').length == 3 && "
                    "document.querySelectorAll('.gv-numero').length == 3 && " + kSlidesLoaded, "the second group's page");
    expectFacts(view, "(r => [r.left, r.top, r.width, r.height])(document.querySelector('.gv-telaio').getBoundingClientRect())",
                QJsonArray{400, 200, 220, 160}, "the first slide's place");
    screenshot(view, "gallery_group.png");
    click(view, "document.querySelector('.gv-attuale').nextElementSibling.nextElementSibling.nextElementSibling");
    waitUntil(view, "location.hash == '#gruppo=Montagna&pagina=2' && document.querySelector('.gv-attuale img').alt == '2' && "
                    "Array.from(document.querySelectorAll('.gv-didascalia'), c => c.textContent).join() == "
                    "'Ghiacciaio,Neve,Rifugio' && " + kSlidesLoaded, "the next page");

    // A big picture with its caption; arrows step on, one Back leaves for the page, Escape closes.
    click(view, "document.querySelectorAll('.gv-dia')[1]");
    waitForPicture(view, "Neve", "the big picture with its caption",
                   "document.querySelector('.gv-foto').naturalWidth == 1200 && document.querySelector('.gv-foto').alt == 'Neve'");
    screenshot(view, "gallery_picture.png");
    for (const char* next : {"Rifugio", "Vetta"}) {
        key(view, Qt::Key_Right);
        waitForPicture(view, next, std::string("the next picture, ") + next);
    }
    const QString onPage2 = "!document.querySelector('.gv-velo') && location.hash == '#gruppo=Montagna&pagina=2'";
    view.back();
    waitUntil(view, onPage2, "the page after one Back");
    click(view, "document.querySelectorAll('.gv-dia')[0]");
    waitForPicture(view, "Ghiacciaio", "a picture again");
    key(view, Qt::Key_Escape);
    waitUntil(view, onPage2, "closed by Escape");

    // The long group: its last page by a key, the bar inside the window; its accented picture.
    click(view, "document.querySelector('.gv-casa')");
    waitUntil(view, "document.querySelectorAll('.gv-gruppo').length == 3", "the home page again");
    click(view, "document.querySelectorAll('.gv-gruppo')[0]");
    waitUntil(view, "document.querySelector('.gv-didascalia') && document.querySelector('.gv-didascalia').textContent == 'Caff\\u00e8 in piazza'",
              "the long group's first page with its accented caption");
    checkPageBar(view, 1, 25);
    key(view, Qt::Key_End);
    waitUntil(view, "location.hash.endsWith('&pagina=25') && document.querySelectorAll('.gv-dia').length == 3", "the last page by a key");
    checkPageBar(view, 25, 25);
    expectFacts(view, "Math.max(document.documentElement.scrollWidth, document.body.scrollWidth) <= innerWidth", true,
                "the desktop page scrolls sideways");
    run(view, groupAddress(kLongGroup, "&foto=Caff%C3%A8%20in%20piazza.jpg"));
    waitForPicture(view, QString::fromUtf8("Caff\xC3\xA8 in piazza"), "the accented picture", "document.querySelector('.gv-foto').naturalWidth == 300");

    // The picture with blanks, quotes, "#", "&" and "%" in its name.
    run(view, groupAddress("Mare", "&foto=" + QUrl::toPercentEncoding("Mare #1 & \"Sole\" 100%.jpg")));
    waitForPicture(view, "Mare #1 & \"Sole\" 100%", "the odd name loaded", "document.querySelector('.gv-foto').naturalWidth > 0");

    // The phone, on the same site.
    if (std::system(("QT_SCALE_FACTOR=3 '" + std::string(argv[0]) + "' --phone '" + site.toStdString() + "'").c_str()) != 0)
        fail("the phone's part failed");
    phone(view, site, true);

    if (oddNamesFailing(view) > 0) fail("a background of an awkward name did not load");
    if (samplePagesFailing(view) > 0) fail("a sample page ran a script, read a file or lost its background");
    std::printf("gallery_render: home page, group buttons, pages, big picture, keys, Back, accented and odd names, the phone and sample pages work\n");
    return 0;
}
