// Home pages whose background and site folder bear awkward names, loaded in
// the program's own browser engine: the background the page names is the
// picture copied beside it, and it loads. Exit status 0 when every name
// holds, 1 with the names that do not.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "qt/qt_platform.h"
#include "render_support.h"
#include "site/home_page.h"
#include "site/site_writer.h"

namespace {

// What the page makes of its background: "loaded", "error" or "none".
constexpr const char* kLoadBackground =
    "(() => { window.__background = 'none';"
    " const m = /url\\(\"(.*)\"\\)/.exec(getComputedStyle(document.body).backgroundImage);"
    " if (!m) return; window.__background = 'pending'; const i = new Image();"
    " i.onload = () => window.__background = i.naturalWidth > 0 ? 'loaded' : 'error';"
    " i.onerror = () => window.__background = 'error'; i.src = m[1]; })()";

}  // namespace

int main(int argc, char** argv) {
    render::prepare();
    QApplication application(argc, argv);
    // Made and removed by bytes: Qt's own folder helpers cannot remove a
    // name that is not UTF-8.
    std::string root = std::filesystem::temp_directory_path().string() + "/odd-names-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) return 1;
    std::ifstream in(std::string(SB_APP_DIR) + "/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};

    const std::string names[] = {"Sfondo_Azzurro", "pct%20", "hash#x", "q?x=1", "  ai lati  ", "riga\nnuova", "caf\xE9 \x81",
                                 "l'alba & \"mare\" <b>", "\xF0\x9F\x98\x80 c:x"};
    QWebEngineView view;
    view.resize(800, 600);
    view.show();
    int failures = 0;
    for (const std::string& name : names) {
        const std::string folder = root + "/sito " + name + "/", source = root + "/" + name + ".jpg";
        std::ofstream(source, std::ios::binary) << bytes;
        sb::Parametri_Sito p;
        p.Cartella_Sito = folder;
        p.Nome_Immagine_Sfondo_Sito = source;
        QString outcome = "no site";
        if (sb::writeSite({p, "Titolo", "Descrizione", SB_APP_DIR, SB_APP_DIR}).written()) {
            outcome = "page not loaded";
            if (render::load(view, sbqt::QtPlatform::addressToUrl("file://" + folder + sb::kHomePageFileName))) {
                outcome = "no answer";
                std::optional<QVariant> background;
                if (render::evaluate(view, kLoadBackground)) {
                    render::waitFor([&] { return (background = render::evaluate(view, "window.__background")) && background->toString() != "pending"; });
                    if (background) outcome = background->toString();
                }
            }
        }
        std::printf("odd_names_render: \"%s\": background %s\n", name.c_str(), qPrintable(outcome));
        failures += outcome != "loaded";
    }
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return failures == 0 ? 0 : 1;
}
