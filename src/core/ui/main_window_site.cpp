#include "ui/main_window.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "site/site_reader.h"
#include "site/site_writer.h"

namespace sb {

// The confirm button: moves on to the next tab and writes the site; on the
// last tabs it also tells how the writing went and opens the home page.
// The program runs it on its own behalf (Esecuzione_Automatica set) to write
// the site silently, without moving on.
void MainWindow::Pulsante_Conferma_Click() {
    Module1& s = state_;
    platform_.setBusyPointer(true);
    if (s.Caricamento_In_Corso == 0) s.Tab_Corrente = static_cast<std::int16_t>(selectedTab);

    const int previewTab = s.Ultimo_Tab_Parametri + 1;
    if (s.Tab_Corrente != previewTab) {
        const int selected = selectedTab;
        const int count = static_cast<int>(tabs.size());
        if (selected < count && s.Esecuzione_Automatica == 0) {
            s.Tab_Corrente = static_cast<std::int16_t>(s.Tab_Corrente + 1);
            // The tab strip's click runs at once: it commits the new tab's
            // fields and, on the preview tab, writes the site silently.
            selectTab(s.Tab_Corrente);
            if (s.Tab_Corrente == s.Ultimo_Tab_Parametri) {
                setText("Pulsante_Conferma", -1, kConfirmSite.italian);
                Vedo_Campi_TAB();
                platform_.setBusyPointer(false);
                return;
            }
            setText("Pulsante_Conferma", -1, kConfirmParameters.italian);
        }
        Vedo_Campi_TAB();
    }
    if (s.Tab_Corrente == previewTab) {
        setText("Pulsante_Conferma", -1, kConfirmSite.italian);
        if (s.Caricamento_In_Corso == 0 && s.Esecuzione_Automatica == 0) Vedo_Campi_TAB();
    }

    platform_.setBusyPointer(true);
    const SiteReport report = writeSiteNow();

    if (s.Tab_Corrente >= s.Ultimo_Tab_Parametri && s.Esecuzione_Automatica == 0) {
        platform_.beep();
        platform_.showMessage(siteMessage(report), kProgramName);
        // The next run takes the arrow icons and group buttons from the site,
        // once it holds them: after a failed run they are still taken from
        // where they came from this time.
        if (report.written() && report.uncopiedImages.empty()) {
            platform_.changeWorkingDirectory(s.Parametri.Cartella_Sito);
        }
        if (report.homePageWritten) platform_.openInUserBrowser(report.homePage());
    }
    platform_.setBusyPointer(false);
}

SiteReport MainWindow::writeSiteNow() {
    Module1& s = state_;
    SiteReport report = writeSite(SiteRequest{
        s.Parametri, text("Titolo_Sito"), text("Des_Sito"), Cartella_Applicazione(), platform_.workingDirectory(), &platform_,
        Lingua_Inglese(*this)});
    if (report.written()) {
        kept_ = {s.Parametri, trimBlanks(text("Titolo_Sito")), trimBlanks(text("Des_Sito"))};
        if (s.Caricamento_In_Corso == 0) platform_.setRecentSites(withRecentSite(platform_.recentSites(), s.Parametri.Cartella_Sito));
    }
    return report;
}

// --- a site read back and kept ---------------------------------------------------

bool MainWindow::loadSite(const std::string& folder) {
    const bool english = Lingua_Inglese(*this);
    SiteReading defaults{defaultParameters(Cartella_Applicazione()), kTitlePlaceholder.in(english),
                         kDescriptionPlaceholder.in(english), {}};
    defaults.parametri.Cartella_Sito = folder;
    const SiteReading site = readSiteFolder(std::move(defaults));
    state_.Parametri = site.parametri;
    setText("Titolo_Sito", -1, site.title);
    setText("Des_Sito", -1, site.description);
    refillAllFields();
    kept_ = {site.parametri, site.title, site.description};
    if (site.unread.empty()) return true;
    std::string message = kUnreadValues.in(english);
    for (const std::string& name : site.unread) {
        // The title and the description by their labels, the others as the script names them.
        const int label = name == "Titolo_Sito" ? 0 : name == "Des_Sito" ? 6 : -1;
        std::string shown = name;
        for (const ControlCaption& c : kMainWindowCaptions) {
            if (label >= 0 && std::string_view(c.control) == "Text4" && c.index == label) shown = c.caption.in(english);
        }
        message += "\r\n" + shown;
    }
    message += "\r\n" + std::string(kUnreadSiteKept.in(english)) + "\r\n" + kFolderLine.in(english) + folder;
    platform_.showMessage(message, kProgramName);
    return false;
}

Parametri_Sito MainWindow::parametersFromFields() {
    const Parametri_Sito& stored = state_.Parametri;
    Parametri_Sito p = stored;
    for (int tab = 1; tab <= kPreviewTab; ++tab) takeFields(tab, p);
    // The one field of both close buttons, as shown, leaves the second alone.
    if (trimBlanks(text("Text1", 8)) == stored.Nome_Immagine_Pulsante_X_1) {
        p.Nome_Immagine_Pulsante_X_2 = stored.Nome_Immagine_Pulsante_X_2;
    }
    return p;
}

namespace {

// Two parameter sets that write the same site.
bool sameSite(const Parametri_Sito& a, const Parametri_Sito& b) {
    auto pictures = [](const Parametri_Sito& p) {
        return std::array{p.Nome_Immagine_Sfondo_Sito,        p.Nome_Immagine_Pulsanti_Argomenti,
                          p.Nome_Sfondo_Pagina_Immagini,      p.Nome_Immagine_Sfondo_Diapositiva,
                          p.Nome_Immagine_Testata,            p.Nome_Immagine_Sfondo_Fumetto_1,
                          p.Nome_Immagine_Pulsante_X_1,       p.Nome_Immagine_Pulsante_X_2};
    };
    return a.Cartella_Sito == b.Cartella_Sito && pictures(a) == pictures(b) &&
           composeParameterScript(a).lines == composeParameterScript(b).lines;
}

// Texts alike, a placeholder in either language being the same placeholder.
bool sameText(const std::string& a, const std::string& b, const Caption& placeholder) {
    auto isPlaceholder = [&placeholder](const std::string& t) { return t == placeholder.italian || t == placeholder.english; };
    return a == b || (isPlaceholder(a) && isPlaceholder(b));
}

}  // namespace

bool MainWindow::hasUnwrittenChanges() {
    return !sameSite(parametersFromFields(), kept_.parametri) ||
           !sameText(trimBlanks(text("Titolo_Sito")), kept_.title, kTitlePlaceholder) ||
           !sameText(trimBlanks(text("Des_Sito")), kept_.description, kDescriptionPlaceholder);
}

bool MainWindow::mayClose() {
    if (!hasUnwrittenChanges()) return true;
    const bool english = Lingua_Inglese(*this);
    Parametri_Sito p = parametersFromFields();
    const std::string question = std::string(kCloseQuestion.in(english)) + "\r\n" + kFolderLine.in(english) + p.Cartella_Sito;
    switch (platform_.askYesNoCancel(question, kProgramName)) {
    case Platform::Answer::No: return true;
    case Platform::Answer::Cancel: return false;
    case Platform::Answer::Yes: break;
    }
    platform_.setBusyPointer(true);
    state_.Parametri = std::move(p);
    setText("Titolo_Sito", -1, trimBlanks(text("Titolo_Sito")));
    setText("Des_Sito", -1, trimBlanks(text("Des_Sito")));
    const SiteReport report = writeSiteNow();
    platform_.setBusyPointer(false);
    // What did not land is told; a site not written at all keeps the window open.
    if (!report.complete()) platform_.showMessage(siteMessage(report), kProgramName);
    return report.written();
}

std::vector<std::string> withRecentSite(std::vector<std::string> sites, const std::string& folder) {
    constexpr std::size_t kKept = 10;
    if (!folder.empty()) sites.insert(sites.begin(), folder);
    std::vector<std::string> kept;
    for (std::string& site : sites) {
        if (kept.size() == kKept) break;
        if (std::find(kept.begin(), kept.end(), site) == kept.end() && files::isFolder(site)) kept.push_back(std::move(site));
    }
    return kept;
}

std::vector<std::string> MainWindow::recentSiteFolders() {
    const std::vector<std::string> stored = platform_.recentSites();
    std::vector<std::string> sites = withRecentSite(stored, {});
    if (sites != stored) platform_.setRecentSites(sites);
    return sites;
}

}  // namespace sb
