// The Main Window as an image viewer: the start-up routine, the browse
// button, the stepping buttons and the three sample pages.
#include "ui/main_window.h"

#include "common/text.h"
#include "viewer/navigation.h"
#include "viewer/sample_pages.h"
#include "viewer/scan.h"

namespace sb {

namespace {

constexpr int kEnter = 13;

// Reads the selected tab's number from the tab strip, as every viewer
// button does before it uses it.
int readSelectedTab(MainWindow& w) {
    w.state().Tab_Corrente = static_cast<std::int16_t>(w.selectedTab);
    return w.state().Tab_Corrente;
}

// The path field of a tab; tabs 6, 7 and 11 have none.
Control* pathField(MainWindow& w, int tab) { return w.has("Text1", tab) ? &w.Text1(tab) : nullptr; }

std::string trimmedPath(MainWindow& w, int tab) {
    const Control* field = pathField(w, tab);
    return field ? trimBlanks(field->text) : std::string{};
}

void setViewerCaption(MainWindow& w) {
    const Module1& s = w.state();
    w.title = std::string(kProgramTitle) + formatInteger(s.Img_Corrente) + "/" + formatInteger(s.N_Img);
    w.touch();
}

// Takes the images of a listing into Lista_Immagini and sets N_Img and
// Img_Corrente.
void takeListing(MainWindow& w, const std::vector<std::string>& listing, const std::string& wanted) {
    const viewer::ScanResult result = viewer::scanListing(listing, wanted, w.Lista_Immagini);
    w.state().N_Img = result.count;
    w.state().Img_Corrente = result.found;
}

// Puts the image on view into both holders, into the selected tab's path
// field and into the title. A picture that cannot be read leaves the holders
// as they were; no image at all (number 0, or a folder without images)
// clears them.
void showImageOnView(MainWindow& w) {
    Module1& s = w.state();
    const std::string name = w.imageOnView();
    const std::string path = s.Cartella_Img + name;
    if (name.empty()) {
        w.clearPicture("Picture1", -1);
        w.clearPicture("Image1", -1);
    } else if (w.loadPicture("Picture1", -1, path)) {
        // Image1 takes the picture Picture1 has just read: a large photo is
        // not decoded twice for one step.
        Control& image = w.edit("Image1");
        if (image.autoSize) {
            w.loadPicture("Image1", -1, path);
        } else {
            image.picture = w.control("Picture1").picture;
            image.pictureSize = w.control("Picture1").pictureSize;
        }
    }
    if (Control* field = pathField(w, s.Tab_Corrente)) field->text = path;
    setViewerCaption(w);
    w.platform().doEvents();
}

void refuseMove(MainWindow& w) {
    w.platform().beep();
    w.platform().showMessage(viewer::kNoMoreImages, kProgramName);
}

void moveTo(MainWindow& w, std::optional<std::int16_t> target) {
    if (!target) {
        refuseMove(w);
        return;
    }
    readSelectedTab(w);
    w.state().Img_Corrente = *target;
    w.setText("Text2", -1, formatInteger(*target));
    showImageOnView(w);
    w.Command2_Click();
}

}  // namespace

std::string MainWindow::imageOnView() const {
    const int i = state_.Img_Corrente;
    if (i < 0 || i >= static_cast<int>(Lista_Immagini.size())) return {};
    return Lista_Immagini[static_cast<std::size_t>(i)];
}

void MainWindow::Inizializza_Finestra() {
    Module1& s = state();
    Parametri_Sito& p = s.Parametri;
    platform().setBusyPointer(true);

    // The default background is the one image on view at start.
    setText("Text1", 2, p.Nome_Immagine_Sfondo_Sito);
    const std::string path = trimBlanks(text("Text1", 2));
    const std::size_t separator = lastSeparator(path);
    s.Cartella_Img = separator > 0 ? path.substr(0, separator) : path;
    const auto listing = platform().listNormalFiles(path);
    takeListing(*this, listing, listing.empty() ? std::string{} : listing.front());
    setText("Text2", -1, formatInteger(s.Img_Corrente));
    setText("Text1", 2, p.Nome_Immagine_Sfondo_Sito);
    setViewerCaption(*this);
    platform().doEvents();

    // Visit every tab once; on the preview tab the site (the default one, or
    // the one read back) is written without a word.
    for (int t = 1; t <= 12; ++t) {
        s.Tab_Corrente = static_cast<std::int16_t>(t);
        if (t == 11) {
            s.Esecuzione_Automatica = 1;
            // A site read back in part is left as the user left it.
            if (!keepSiteAsItIs_) Pulsante_Conferma_Click();
            platform().doEvents();
            s.Tab_Corrente = 11;
        }
        Vedo_Campi_TAB();
    }
    s.Tab_Corrente = 1;
    layOutLinkIcons();

    s.Caricamento_In_Corso = 0;
    platform().doEvents();
    platform().setBusyPointer(false);
}

std::string MainWindow::placeSamplePage(const std::string& page, const std::vector<std::string>& lines) {
    const std::string& site = state().Parametri.Cartella_Sito;
    const std::string folder = platform().temporaryFolder();
    if (!site.empty() && !folder.empty() && files::sameFile(Separa_Percorso(page).folder, Separa_Percorso(site).folder)) {
        const std::string elsewhere = folder + Separa_Percorso(page).name;
        files::writeLines(elsewhere, lines);
        return elsewhere;
    }
    return viewer::placePage(platform(), page, lines);
}

void MainWindow::Command1_Click() {
    Module1& s = state();
    const int tab = readSelectedTab(*this);
    const std::string current = trimmedPath(*this, tab);
    const std::string chosen = platform().showOpenDialog(Separa_Percorso(current).folder, current);
    if (trimBlanks(chosen).empty()) return;
    if (Control* field = pathField(*this, tab)) field->text = trimBlanks(chosen);

    const std::size_t separator = lastSeparator(chosen);
    s.Cartella_Img = chosen.substr(0, separator);
    takeListing(*this, platform().listNormalFiles(s.Cartella_Img), chosen.substr(separator));
    setText("Text2", -1, formatInteger(s.Img_Corrente));
    showImageOnView(*this);
    Conferma_Variazione_Parametri();
}

void MainWindow::Command2_Click() {
    platform().setBusyPointer(true);
    const int tab = readSelectedTab(*this);
    const std::string image = trimmedPath(*this, tab);
    const auto page = viewer::backgroundPageName(image);
    std::string placed;
    if (page) placed = placeSamplePage(*page, viewer::backgroundPage(image));

    // Events may have changed the field meanwhile: show the page of what it
    // holds now (the path itself when it names no page).
    platform().doEvents();
    const std::string now = trimmedPath(*this, tab);
    const std::string shown = viewer::backgroundPageName(now).value_or(now);
    platform().browserNavigate("file://" + (page && shown == *page ? placed : shown));
    platform().doEvents();
    platform().setBusyPointer(false);
}

void MainWindow::Command7_Click() {
    Module1& s = state();
    if (s.Esecuzione_Automatica == 1) return;
    const Parametri_Sito& p = s.Parametri;
    std::string placed;
    if (const auto page = viewer::slidePageName(p.Nome_Immagine_Sfondo_Diapositiva)) {
        if (s.POS_X_IMG.isEmpty() || (s.POS_X_IMG.isNumber() && s.POS_X_IMG.number() == 0)) s.POS_X_IMG = 110;
        viewer::SlidePageValues values;
        values.slide = p.Nome_Immagine_Sfondo_Diapositiva;
        values.background = p.Nome_Sfondo_Pagina_Immagini;
        values.photo = underApplication("image1.jpg");
        values.width = p.LARGH_X_DIA;
        values.height = p.ALT_DIA;
        values.slideTop = p.POS_Y_DIA;
        values.photoTop = p.POS_Y_IMG;
        values.photoLeft = s.POS_X_IMG;
        placed = placeSamplePage(*page, viewer::slidePage(values));
    }
    platform().doEvents();
    platform().browserNavigate("file://" + placed);
    platform().doEvents();
}

void MainWindow::Command8_Click() {
    Module1& s = state();
    if (s.Esecuzione_Automatica == 1) return;
    const Parametri_Sito& p = s.Parametri;
    std::string placed;
    if (const auto page = viewer::groupsPageName(p.Nome_Immagine_Sfondo_Diapositiva)) {
        viewer::GroupsPageValues values;
        values.slide = p.Nome_Immagine_Sfondo_Diapositiva;
        values.background = p.Nome_Immagine_Sfondo_Sito;
        values.button = p.Nome_Immagine_Pulsanti_Argomenti;
        values.groups = p.MAX_NUM_ARG.number();
        values.buttonHeightTwips = control("Picture1").height;
        placed = placeSamplePage(*page, viewer::groupsPage(values));
    }
    platform().doEvents();
    platform().browserNavigate("file://" + placed);
    platform().doEvents();
}

void MainWindow::Command3_Click() { moveTo(*this, viewer::previousImage(state().Img_Corrente)); }

void MainWindow::Command4_Click() { moveTo(*this, viewer::nextImage(state().Img_Corrente, state().N_Img)); }

void MainWindow::Command6_Click() { moveTo(*this, viewer::typedImage(text("Text2"), state().N_Img)); }

void MainWindow::Text2_KeyPress(int keyAscii) {
    if (keyAscii == kEnter) Command6_Click();
}

}  // namespace sb
