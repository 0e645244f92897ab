#include "ui/main_window.h"

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
    const SiteReport report = writeSite(SiteRequest{
        s.Parametri, text("Titolo_Sito"), text("Des_Sito"), Cartella_Applicazione(), platform_.workingDirectory(), &platform_,
        Lingua_Inglese(*this)});

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

}  // namespace sb
