#include "ui/main_window.h"

#include "common/text.h"
#include "site/site_reader.h"

namespace sb {

MainWindow::MainWindow(Module1& state, Platform& platform)
    : WindowModel("Form1"), Lista_Immagini(kMaxImages + 1), state_(state), platform_(platform) {
    buildFromDesign(*this, kMainWindowDesign);
    edit("Command3").font = Font{"MS Sans Serif", 8.25, true};
    edit("Command4").font = Font{"MS Sans Serif", 8.25, true};
    edit("Des_Sito").multiLine = true;
    edit("Picture1").autoSize = true;
    edit("PublishSite").visible = false;  // the preview tab shows it
    for (const Caption& tab : kTabCaptions) tabs.emplace_back(tab.italian);
    selectedTab = 1;
    // The tab strip is the backdrop: every other control stands in front of it.
    sendToBack("TabStrip1");
}

std::string MainWindow::underApplication(const std::string& relative) {
    return underFolder(Cartella_Applicazione(), relative);
}

bool MainWindow::loadPicture(const std::string& name, int index, const std::string& path) {
    const std::string file = trimBlanks(path);
    if (file.empty()) return false;
    const auto size = platform_.loadPicture(file);
    if (!size) return false;
    Control& holder = edit(name, index);
    holder.picture = file;
    holder.pictureSize = *size;
    if (holder.autoSize) {
        holder.width = size->width * kTwipsPerPixel;
        holder.height = size->height * kTwipsPerPixel;
    }
    return true;
}

void MainWindow::clearPicture(const std::string& name, int index) {
    Control& holder = edit(name, index);
    holder.picture.clear();
    holder.pictureSize = {};
}

// --- events -------------------------------------------------------------------

namespace {

using Handler = void (MainWindow::*)();
struct ButtonHandler {
    const char* button;
    Handler handler;
};
constexpr ButtonHandler kButtonHandlers[] = {
    {"Command1", &MainWindow::Command1_Click},
    {"Command2", &MainWindow::Command2_Click},
    {"Command3", &MainWindow::Command3_Click},
    {"Command4", &MainWindow::Command4_Click},
    {"Command5", &MainWindow::Command5_Click},
    {"Command6", &MainWindow::Command6_Click},
    {"Command7", &MainWindow::Command7_Click},
    {"Command8", &MainWindow::Command8_Click},
    {"Pulsante_Conferma", &MainWindow::Pulsante_Conferma_Click},
    {"PublishSite", &MainWindow::PublishSite_Click},
};

const ButtonHandler* buttonHandler(const std::string& name) {
    for (const ButtonHandler& b : kButtonHandlers) {
        if (name == b.button) return &b;
    }
    return nullptr;
}

}  // namespace

bool MainWindow::handlesClick(const std::string& name, int index) const {
    if (name == "Image2" || name == "Picture2") return has(name, index);
    return index < 0 && buttonHandler(name) != nullptr;
}

void MainWindow::click(const std::string& name, int index) {
    if (!handlesClick(name, index)) return;
    if (name == "Image2") {
        Image2_Click(index);
    } else if (name == "Picture2") {
        Picture2_Click(index);
    } else {
        (this->*buttonHandler(name)->handler)();
    }
}

void MainWindow::keyPress(const std::string& name, int index, int keyAscii) {
    if (name == "Text2" && index < 0) Text2_KeyPress(keyAscii);
}

void MainWindow::tabStripClick(int number) {
    selectedTab = number;
    touch();
    TabStrip1_Click();
}

void MainWindow::selectTab(int number) {
    if (number < 1 || number > static_cast<int>(tabs.size()) || number == selectedTab) return;
    selectedTab = number;
    touch();
    TabStrip1_Click();
}

// --- start-up ---------------------------------------------------------------

void MainWindow::Form_Load() {
    Module1& s = state_;
    Parametri_Sito& p = s.Parametri;

    platform_.browserNavigate("about:blank");
    platform_.doEvents();

    // Every start begins from the built-in defaults, or from the site the
    // default folder holds when this program wrote it: start-up then writes
    // that site again, not the defaults over it. The number of groups is the
    // one field given its text here.
    p = defaultParameters(Cartella_Applicazione());
    setText("Titolo_Sito", -1, kTitlePlaceholder.italian);
    setText("Des_Sito", -1, kDescriptionPlaceholder.italian);
    kept_ = {p, kTitlePlaceholder.italian, kDescriptionPlaceholder.italian};
    if (holdsWrittenSite(p.Cartella_Sito)) keepSiteAsItIs_ = !loadSite(p.Cartella_Sito);
    s.Ultimo_Tab_Parametri = 10;
    setText("Text3", -1, p.MAX_NUM_ARG.toText());

    Control& image1 = edit("Image1");
    image1.top = 1800;
    edit("Picture1").top = 4195;
    Control& browser = edit("WebBrowser1");
    browser.top = image1.top;
    browser.left = image1.left + image1.width + 100;
    auto row = [this](int label, const char* field, int top) {
        Text4(label).top = top;
        edit(field).top = top;
    };
    row(7, "Text5", 1920);
    row(8, "Text6", 2280);
    row(10, "Text7", 1920);
    row(11, "Text8", 2280);
    row(12, "Text9", 1920);
    row(13, "Text10", 2280);
    row(14, "Text11", 2640);
    row(15, "Text12", 1920);
    row(18, "Text13", 2280);
    for (int label : {12, 13, 14, 15, 18}) Text4(label).left = 240;
    const Control& label14 = control("Text4", 14);
    const Control& label15 = control("Text4", 15);
    for (const char* field : {"Text9", "Text10", "Text11"}) edit(field).left = label14.left + label14.width;
    for (const char* field : {"Text12", "Text13"}) edit(field).left = label15.left + label15.width;
    for (int n : kPathFields) {
        if (n == 2) continue;
        Text1(n).left = Text1(2).left;
        Text1(n).top = Text1(2).top;
    }

    s.Tab_Corrente = 0;
    s.Caricamento_In_Corso = 1;
    Inizializza_Finestra();
}

// --- parameters -------------------------------------------------------------

namespace {

// A site folder typed without its last separator is a folder all the same.
std::string siteFolder(std::string typed) {
    if (!typed.empty() && !isSeparator(typed.back())) typed += kSeparator;
    return typed;
}

}  // namespace

void MainWindow::takeFields(int tab, Parametri_Sito& p) {
    auto trimmed = [this](const char* name, int index = -1) { return trimBlanks(text(name, index)); };
    auto number = [this](const char* name) { return Value(readNumber(text(name))); };
    switch (tab) {
    case 1: p.Cartella_Sito = siteFolder(trimmed("Text1", 1)); break;
    case 2: p.Nome_Immagine_Sfondo_Sito = trimmed("Text1", 2); break;
    case 3:
        p.Nome_Immagine_Pulsanti_Argomenti = trimmed("Text1", 3);
        p.MAX_NUM_ARG = number("Text3");
        p.POS_Y_GRUPPI = trimmed("Text14");
        p.ALT_GRUPPI = trimmed("Text15");
        break;
    case 4:
        p.Nome_Sfondo_Pagina_Immagini = trimmed("Text1", 4);
        p.MAX_NUM_RIGHE = number("Text5");
        p.MAX_NUM_IMG_RIGA = number("Text6");
        break;
    case 5:
        p.Nome_Immagine_Sfondo_Diapositiva = trimmed("Text1", 5);
        p.LARGH_X_DIA = number("Text7");
        p.ALT_DIA = number("Text8");
        break;
    case 6:
        p.POS_X_DIA = number("Text9");
        p.POS_Y_DIA = number("Text10");
        p.POS_Y_IMG = number("Text11");
        break;
    case 7:
        p.POS_X_IMG_GRANDE = number("Text12");
        p.POS_Y_IMG_GRANDE = number("Text13");
        break;
    case 8:
        p.Nome_Immagine_Pulsante_X_1 = trimmed("Text1", 8);
        p.Nome_Immagine_Pulsante_X_2 = trimmed("Text1", 8);
        break;
    case 9: p.Nome_Immagine_Testata = trimmed("Text1", 9); break;
    case 10:
    case 11: p.Nome_Immagine_Sfondo_Fumetto_1 = trimmed("Text1", 10); break;
    default: break;
    }
}

void MainWindow::Conferma_Variazione_Parametri() {
    Parametri_Sito& p = state_.Parametri;
    const int tab = state_.Tab_Corrente;
    const std::string folderBefore = p.Cartella_Sito;
    takeFields(tab, p);
    switch (tab) {
    case 1:
        setText("Titolo_Sito", -1, trimBlanks(text("Titolo_Sito")));
        setText("Des_Sito", -1, trimBlanks(text("Des_Sito")));
        // Another folder that holds a site of this program: its values may
        // come with it.
        if (p.Cartella_Sito != folderBefore && holdsWrittenSite(p.Cartella_Sito)) {
            const bool english = Lingua_Inglese(*this);
            const std::string question =
                std::string(kLoadSiteQuestion.in(english)) + "\r\n" + kFolderLine.in(english) + p.Cartella_Sito;
            if (platform_.askYesNo(question, kLoadSiteTitle.in(english))) loadSite(p.Cartella_Sito);
        }
        break;
    case 2: Command2_Click(); break;
    case 3: Command8_Click(); break;
    case 4:
    case 5:
    case 6: Command7_Click(); break;
    default: break;
    }
    platform_.doEvents();
}

}  // namespace sb
