#include "ui/main_window.h"

#include <initializer_list>

#include "common/text.h"

namespace sb {

namespace {

struct Spec {
    const char* name;
    int index;
    ControlKind kind;
    const char* text;
    int left, top, width, height, tabOrder;
};

constexpr ControlKind kImage = ControlKind::Image;
constexpr ControlKind kLabel = ControlKind::Label;
constexpr ControlKind kLabelBox = ControlKind::LabelBox;
constexpr ControlKind kButton = ControlKind::Button;
constexpr ControlKind kTextBox = ControlKind::TextBox;

// The Main Window as it is created: every control at its design place.
constexpr Spec kDesign[] = {
    {"Image2", 0, kImage, "", 10800, 0, 600, 420, -1},
    {"Image2", 1, kImage, "", 11400, 0, 600, 420, -1},
    {"Label6", 0, kLabel, kSignature, 140, 20, 1695, 255, 10},
    {"Label6", 1, kLabel, kSignature, 145, 25, 1695, 255, 11},
    {"Pulsante_Conferma", -1, kButton, "Conferma parametri", 10100, 390, 2500, 375, 15},
    {"TabStrip1", -1, ControlKind::TabStrip, "", 0, 480, 12615, 495, 12},
    {"Command2", -1, kButton, "HTML SFONDO", 10560, 0, 1455, 320, 3},
    {"Command7", -1, kButton, "HTML DIAPOSITIVA", 0, 0, 2175, 320, 45},
    {"Command8", -1, kButton, "HTML GRUPPI", 2160, 0, 2175, 320, 46},
    {"Text4", 1, kLabelBox, "Nome immagine", 240, 1320, 1215, 195, 18},
    {"Text1", 2, kTextBox, "", 1545, 1320, 6725, 285, 1},
    {"Command1", -1, kButton, "Sfoglia...", 8280, 1290, 845, 375, 2},
    {"Command5", -1, kButton, "Copia Img.", 9120, 1290, 975, 375, 7},
    {"Command3", -1, kButton, "<", 10080, 1290, 375, 375, 4},
    {"Command4", -1, kButton, ">", 10455, 1290, 375, 375, 5},
    {"Text4", 2, kLabelBox, "N.Img.", 10920, 1440, 615, 195, 22},
    {"Text2", -1, kTextBox, "", 11520, 1365, 615, 285, 8},
    {"Command6", -1, kButton, "OK", 12195, 1320, 400, 375, 9},
    {"Text1", 1, kTextBox, "", 7800, 960, 6725, 285, 57},
    {"Text1", 3, kTextBox, "", 7800, 1680, 6725, 285, 51},
    {"Text1", 4, kTextBox, "", 7800, 2280, 6725, 285, 52},
    {"Text1", 5, kTextBox, "", 7680, 4200, 6725, 285, 53},
    {"Text1", 8, kTextBox, "", 7680, 4560, 6725, 285, 54},
    {"Text1", 9, kTextBox, "", 7680, 4920, 6725, 285, 55},
    {"Text1", 10, kTextBox, "", 7680, 5280, 6725, 285, 56},
    {"Text4", 16, kLabelBox, "Indicare la cartella e il Nome del Sito che volete creare o gestire", 240, 1080, 7455, 195, 41},
    {"Text4", 17, kLabelBox, "Indicare l'immagine da utilizare come Sfondo della Homepage del vostro  Sito Internet", 240, 1080, 7455, 195, 42},
    {"Text4", 4, kLabelBox, "Selezionare l'immagine da usare per i Pulsanti dei Gruppi", 240, 1080, 5535, 195, 17},
    {"Text4", 5, kLabelBox, "Selezionare l'immagine da usare come sfondo generale delle immagini del Gruppo scelto", 240, 1080, 7455, 195, 23},
    {"Text4", 9, kLabelBox, "Selezionare l'immagine da usare come sfondo per le Miniature delle immagini", 240, 1080, 7455, 195, 28},
    {"Text4", 3, kLabelBox, "Numero Gruppi desiderati (1-20..)", 240, 1920, 2415, 195, 19},
    {"Text3", -1, kTextBox, "4", 2880, 1920, 615, 285, 16},
    {"Text4", 0, kLabelBox, "Titolo Sito", 240, 2040, 1215, 195, 20},
    {"Titolo_Sito", -1, kTextBox, "", 1560, 2040, 6725, 285, 13},
    {"Text4", 6, kLabelBox, "Descrizione Sito", 240, 2520, 1215, 195, 21},
    {"Des_Sito", -1, kTextBox, "", 1545, 2520, 10080, 645, 14},
    {"Text4", 7, kLabelBox, "Numero Righe (1-4..)", 240, 3240, 2535, 195, 24},
    {"Text5", -1, kTextBox, "4", 2880, 3240, 615, 285, 25},
    {"Text4", 8, kLabelBox, "Numero Immagini per Riga  (1-4..)", 240, 3600, 2535, 195, 26},
    {"Text6", -1, kTextBox, "4", 2880, 3600, 615, 285, 27},
    {"Text4", 10, kLabelBox, "Larghezza diapositive (135)", 240, 3960, 2535, 195, 32},
    {"Text7", -1, kTextBox, "135", 2880, 3960, 615, 285, 31},
    {"Text4", 11, kLabelBox, "Altezza diapositiva (100)", 240, 4320, 2535, 195, 30},
    {"Text8", -1, kTextBox, "100", 2880, 4320, 615, 285, 29},
    {"Text4", 12, kLabelBox, "Posizione Immagine Sfondo Diapositiva (400) X=", 3840, 3240, 3615, 195, 38},
    {"Text9", -1, kTextBox, "400", 7920, 3240, 615, 285, 37},
    {"Text4", 13, kLabelBox, "Posizione Immagine Sfondo Diapositiva (190) Y=", 3840, 3600, 3615, 195, 36},
    {"Text10", -1, kTextBox, "190", 7920, 3600, 615, 285, 35},
    {"Text4", 14, kLabelBox, "Posizione Immagine Piccola sopra Diapositiva (200) Y=", 3840, 3960, 3975, 195, 33},
    {"Text11", -1, kTextBox, "200", 7920, 3960, 615, 285, 34},
    {"Text4", 15, kLabelBox, "Posizione Immagine Grande (220) X=", 3840, 4440, 2775, 195, 39},
    {"Text12", -1, kTextBox, "220", 6720, 4440, 615, 285, 40},
    {"Text4", 18, kLabelBox, "Posizione Immagine Grande  (80) Y=", 3840, 4800, 2775, 195, 44},
    {"Text13", -1, kTextBox, "80", 6720, 4800, 615, 285, 43},
    {"Text4", 19, kLabelBox, "Posizione Pulsanti Gruppi (30) Y=", 3840, 5160, 2775, 195, 50},
    {"Text14", -1, kTextBox, "30", 6720, 5160, 615, 285, 49},
    {"Text4", 20, kLabelBox, "Spaziatura verticale tra i Gruppi  (95) ", 3840, 5520, 2775, 195, 47},
    {"Text15", -1, kTextBox, "95", 6720, 5520, 615, 285, 48},
    {"Image1", -1, kImage, "", 120, 3960, 2535, 2295, -1},
    {"Picture1", -1, ControlKind::PictureBox, "", 120, 4680, 2535, 2415, 0},
    {"WebBrowser1", -1, ControlKind::WebBrowser, "", 1920, 6000, 7695, 7095, 6},
    {"CommonDialog1", -1, ControlKind::FileDialog, "", 7440, 120, 0, 0, -1},
};

constexpr int kLinkTops[7] = {5400, 5760, 6120, 6480, 6720, 6960, 7080};

const char* const kTabCaptions[kTabCount] = {
    "Titolo", "Sfondo", "Gruppi", "Argomenti", "Diapositive", "Immagini_Piccole",
    "Immagini_Grandi", "Pulsanti", "Testata", "Commenti", "Anteprima Sito"};

}  // namespace

MainWindow::MainWindow(Module1& state, Platform& platform)
    : WindowModel("Form1"), Lista_Immagini(kMaxImages + 1), state_(state), platform_(platform) {
    buildControls();
}

void MainWindow::buildControls() {
    title = kProgramTitle;
    clientWidth = 12660;
    clientHeight = 7875;
    left = 585;
    top = 840;
    iconFile = kWindowIconFile;
    for (const Spec& s : kDesign) {
        Control c;
        c.name = s.name;
        c.index = s.index;
        c.kind = s.kind;
        c.text = s.text;
        c.left = s.left;
        c.top = s.top;
        c.width = s.width;
        c.height = s.height;
        c.tabOrder = s.tabOrder;
        add(std::move(c));
    }
    for (int i = 0; i < 7; ++i) {
        Control c;
        c.name = "Picture2";
        c.index = i;
        c.kind = ControlKind::PictureBox;
        c.top = kLinkTops[i];
        c.width = 1815;
        c.height = 1095;
        c.tabOrder = 58 + i;
        add(std::move(c));
    }
    for (int i = 0; i < 2; ++i) {
        Control& signature = control("Label6", i);
        signature.font = Font{"Arial", 9.75, true};
        signature.foreColor = i == 0 ? Color{0, 0, 192, true} : Color{0, 0, 255, true};
        signature.transparent = true;
    }
    control("Command3").font = Font{"MS Sans Serif", 8.25, true};
    control("Command4").font = Font{"MS Sans Serif", 8.25, true};
    control("Des_Sito").multiLine = true;
    control("Picture1").autoSize = true;
    control("CommonDialog1").visible = false;
    const std::string flags[2] = {kItalianFlagFile, kEnglishFlagFile};
    for (int i = 0; i < 2; ++i) {
        Control& flag = control("Image2", i);
        flag.picture = flags[i];
        flag.pictureSize = {40, 28};
    }
    tabs.assign(std::begin(kTabCaptions), std::end(kTabCaptions));
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
    Control& holder = control(name, index);
    holder.picture = file;
    holder.pictureSize = *size;
    if (holder.autoSize) {
        holder.width = size->width * kTwipsPerPixel;
        holder.height = size->height * kTwipsPerPixel;
    }
    return true;
}

void MainWindow::clearPicture(const std::string& name, int index) {
    Control& holder = control(name, index);
    holder.picture.clear();
    holder.pictureSize = {};
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

    // Every start begins from the built-in defaults; the number of groups
    // is the one field given its text here.
    p = defaultParameters(Cartella_Applicazione());
    setText("Titolo_Sito", -1, "Titolo del Sito");
    setText("Des_Sito", -1, "Descrizione del Sito");
    s.Ultimo_Tab_Parametri = 10;
    setText("Text3", -1, "5");

    Control& image1 = control("Image1");
    image1.top = 1800;
    control("Picture1").top = 4195;
    Control& browser = control("WebBrowser1");
    browser.top = image1.top;
    browser.left = image1.left + image1.width + 100;
    auto row = [this](int label, const char* field, int top) {
        Text4(label).top = top;
        control(field).top = top;
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
    for (const char* field : {"Text9", "Text10", "Text11"}) control(field).left = Text4(14).left + Text4(14).width;
    for (const char* field : {"Text12", "Text13"}) control(field).left = Text4(15).left + Text4(15).width;
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

void MainWindow::Conferma_Variazione_Parametri() {
    Parametri_Sito& p = state_.Parametri;
    auto trimmed = [this](const char* name, int index = -1) { return trimBlanks(text(name, index)); };
    auto number = [this](const char* name) { return Value(readNumber(text(name))); };
    switch (state_.Tab_Corrente) {
    case 1:
        p.Cartella_Sito = trimmed("Text1", 1);
        setText("Titolo_Sito", -1, trimmed("Titolo_Sito"));
        setText("Des_Sito", -1, trimmed("Des_Sito"));
        break;
    case 2:
        p.Nome_Immagine_Sfondo_Sito = trimmed("Text1", 2);
        Command2_Click();
        break;
    case 3:
        p.Nome_Immagine_Pulsanti_Argomenti = trimmed("Text1", 3);
        p.MAX_NUM_ARG = number("Text3");
        p.POS_Y_GRUPPI = trimmed("Text14");
        p.ALT_GRUPPI = trimmed("Text15");
        Command8_Click();
        break;
    case 4:
        p.Nome_Sfondo_Pagina_Immagini = trimmed("Text1", 4);
        p.MAX_NUM_RIGHE = number("Text5");
        p.MAX_NUM_IMG_RIGA = number("Text6");
        Command7_Click();
        break;
    case 5:
        p.Nome_Immagine_Sfondo_Diapositiva = trimmed("Text1", 5);
        p.LARGH_X_DIA = number("Text7");
        p.ALT_DIA = number("Text8");
        Command7_Click();
        break;
    case 6:
        p.POS_X_DIA = number("Text9");
        p.POS_Y_DIA = number("Text10");
        p.POS_Y_IMG = number("Text11");
        Command7_Click();
        break;
    case 7:
        p.POS_X_IMG_GRANDE = number("Text12");
        p.POS_Y_IMG_GRANDE = number("Text13");
        break;
    case 8:
        p.Nome_Immagine_Pulsante_X_1 = trimmed("Text1", 8);
        p.Nome_Immagine_Pulsante_X_2 = trimmed("Text1", 8);
        break;
    case 9:
        p.Nome_Immagine_Testata = trimmed("Text1", 9);
        break;
    case 10:
    case 11:
        p.Nome_Immagine_Sfondo_Fumetto_1 = trimmed("Text1", 10);
        break;
    default:
        break;
    }
    platform_.doEvents();
}

// --- tab pages ----------------------------------------------------------------

void MainWindow::setLinkRowVisible(bool visible) {
    for (int i = 0; i < 7; ++i) control("Picture2", i).visible = visible;
}

void MainWindow::loadTabImage(int pathField) {
    const std::string path = text("Text1", pathField);
    loadPicture("Picture1", -1, path);
    loadPicture("Image1", -1, path);
}

void MainWindow::Vedo_Campi_TAB() {
    Module1& s = state_;
    platform_.setBusyPointer(true);
    if (s.Caricamento_In_Corso == 0) s.Tab_Corrente = static_cast<std::int16_t>(selectedTab);
    for (const char* name : {"Picture1", "Image1", "WebBrowser1"}) sendToBack(name);
    Control& browser = control("WebBrowser1");
    browser.top = control("Image1").top;
    browser.left = control("Image1").left + control("Image1").width;
    sendToBack("Titolo_Sito");
    sendToBack("Des_Sito");
    for (int i = 0; i <= 20; ++i) sendToBack("Text4", i);
    for (int n : kPathFields) sendToBack("Text1", n);
    sendToBack("Text2");
    sendToBack("Text3");
    for (int i = 5; i <= 15; ++i) sendToBack("Text" + std::to_string(i));
    for (const char* name : {"Command1", "Command3", "Command4", "Command6"}) sendToBack(name);

    setText("Text4", 1, "Nome Immagine");
    showTabPage(s.Tab_Corrente);

    s.Tab_Corrente = static_cast<std::int16_t>(selectedTab);
    const bool lastTabs = s.Tab_Corrente == s.Ultimo_Tab_Parametri || s.Tab_Corrente == s.Ultimo_Tab_Parametri + 1;
    setText("Pulsante_Conferma", -1, lastTabs ? "Conferma creazione Sito" : "Conferma parametri");
    if (s.Tab_Corrente != 2) {
        sendToBack("Text4", 2);
        for (const char* name : {"Text2", "Command3", "Command4", "Command6"}) sendToBack(name);
    }
    if (s.Caricamento_In_Corso == 0) {
        const std::string& browse = text("Command1");
        Image2_Click(browse == "Sfoglia ..." || browse == "Sfoglia..." ? 0 : 1);
    }
    platform_.doEvents();
    platform_.setBusyPointer(false);
}

void MainWindow::showTabPage(int tab) {
    const Parametri_Sito& p = state_.Parametri;
    auto front = [this](std::initializer_list<std::pair<const char*, int>> names) {
        for (const auto& [name, index] : names) bringToFront(name, index);
    };
    Control& browser = control("WebBrowser1");
    switch (tab) {
    case 1:
        setText("Text4", 1, "Nome Sito");
        front({{"Text4", 1}, {"Text4", 16}, {"Text1", 1}, {"Titolo_Sito", -1}, {"Des_Sito", -1}, {"Command1", -1},
               {"Text4", 0}, {"Text4", 6}, {"Pulsante_Conferma", -1}});
        setText("Text1", 1, p.Cartella_Sito);
        setText("Titolo_Sito", -1, trimBlanks(text("Titolo_Sito")));
        setText("Des_Sito", -1, trimBlanks(text("Des_Sito")));
        setLinkRowVisible(true);
        break;
    case 2:
        front({{"Text4", 1}, {"Text4", 2}, {"Text4", 17}, {"Text1", 2}, {"Text2", -1}, {"Command1", -1},
               {"Command3", -1}, {"Command4", -1}, {"Command6", -1}, {"Pulsante_Conferma", -1}, {"Picture1", -1},
               {"Image1", -1}, {"WebBrowser1", -1}});
        setText("Text1", 2, p.Nome_Immagine_Sfondo_Sito);
        control("Picture1").top = control("Text2").top + 360;
        if (state_.Img_Corrente == 0) state_.Img_Corrente = 1;
        Command2_Click();
        loadTabImage(2);
        setLinkRowVisible(false);
        break;
    case 3: {
        front({{"Text4", 1}, {"Text4", 2}, {"Text4", 3}, {"Text4", 4}, {"Text4", 19}, {"Text4", 20}, {"Text1", 3},
               {"Text2", -1}, {"Text3", -1}, {"Text14", -1}, {"Text15", -1}, {"Command1", -1}, {"Command3", -1},
               {"Command4", -1}, {"Command6", -1}, {"Pulsante_Conferma", -1}, {"Picture1", -1}, {"Image1", -1}});
        setText("Text1", 3, p.Nome_Immagine_Pulsanti_Argomenti);
        setText("Text3", -1, p.MAX_NUM_ARG.toText());
        setText("Text14", -1, p.POS_Y_GRUPPI.toText());
        setText("Text15", -1, p.ALT_GRUPPI.toText());
        const Control& text3 = control("Text3");
        control("Text14").top = text3.top + 360;
        control("Text14").left = text3.left;
        Text4(19).top = text3.top + 360;
        Text4(19).left = Text4(3).left;
        control("Text15").top = control("Text14").top + 360;
        control("Text15").left = text3.left;
        Text4(20).top = control("Text14").top + 360;
        Text4(20).left = Text4(3).left;
        control("Picture1").top = control("Text15").top + 360;
        loadTabImage(3);
        Command8_Click();
        bringToFront("WebBrowser1");
        browser.top = text3.top;
        browser.left = text3.left + text3.width + 300;
        setLinkRowVisible(false);
        break;
    }
    case 4:
        front({{"Text4", 1}, {"Text4", 2}, {"Text4", 5}, {"Text4", 7}, {"Text4", 8}, {"Text1", 4}, {"Text2", -1},
               {"Text5", -1}, {"Text6", -1}, {"Command1", -1}, {"Command3", -1}, {"Command4", -1}, {"Command6", -1},
               {"Pulsante_Conferma", -1}, {"Picture1", -1}, {"Image1", -1}});
        setText("Text1", 4, p.Nome_Sfondo_Pagina_Immagini);
        setText("Text5", -1, p.MAX_NUM_RIGHE.toText());
        setText("Text6", -1, p.MAX_NUM_IMG_RIGA.toText());
        control("Picture1").top = control("Text6").top + 360;
        loadTabImage(4);
        Command7_Click();
        bringToFront("WebBrowser1");
        browser.top = control("Text6").top + 360;
        setLinkRowVisible(false);
        break;
    case 5:
        front({{"Text4", 1}, {"Text4", 2}, {"Text4", 10}, {"Text4", 11}, {"Text1", 5}, {"Text2", -1}, {"Text7", -1},
               {"Text8", -1}, {"Command1", -1}, {"Command3", -1}, {"Command4", -1}, {"Command6", -1},
               {"Pulsante_Conferma", -1}, {"Picture1", -1}, {"Image1", -1}});
        setText("Text1", 5, p.Nome_Immagine_Sfondo_Diapositiva);
        setText("Text7", -1, p.LARGH_X_DIA.toText());
        setText("Text8", -1, p.ALT_DIA.toText());
        control("Picture1").top = control("Text8").top + 360;
        loadTabImage(5);
        Command7_Click();
        bringToFront("WebBrowser1");
        browser.top = control("Text8").top + 360;
        setLinkRowVisible(false);
        break;
    case 6:
        front({{"Text4", 12}, {"Text4", 13}, {"Text4", 14}, {"Text9", -1}, {"Text10", -1}, {"Text11", -1},
               {"Pulsante_Conferma", -1}});
        setText("Text9", -1, p.POS_X_DIA.toText());
        setText("Text10", -1, p.POS_Y_DIA.toText());
        setText("Text11", -1, p.POS_Y_IMG.toText());
        Command7_Click();
        bringToFront("WebBrowser1");
        browser.top = control("Text11").top + 360;
        setLinkRowVisible(false);
        break;
    case 7:
        front({{"Text4", 15}, {"Text4", 18}, {"Text12", -1}, {"Text13", -1}, {"Pulsante_Conferma", -1}});
        setText("Text12", -1, p.POS_X_IMG_GRANDE.toText());
        setText("Text13", -1, p.POS_Y_IMG_GRANDE.toText());
        setLinkRowVisible(true);
        break;
    case 8:
    case 9:
    case 10: {
        front({{"Text4", 1}, {"Text4", 2}, {"Text1", tab}, {"Text2", -1}, {"Command1", -1}, {"Command3", -1},
               {"Command4", -1}, {"Command6", -1}, {"Pulsante_Conferma", -1}, {"Picture1", -1}, {"Image1", -1}});
        const std::string& value = tab == 8   ? p.Nome_Immagine_Pulsante_X_1
                                   : tab == 9 ? p.Nome_Immagine_Testata
                                              : p.Nome_Immagine_Sfondo_Fumetto_1;
        setText("Text1", tab, value);
        control("Picture1").top = control("Text2").top + 360;
        loadTabImage(tab);
        setLinkRowVisible(true);
        break;
    }
    case 11:
        showPreview();
        setLinkRowVisible(false);
        break;
    default:
        break;
    }
}

void MainWindow::showPreview() {
    platform_.browserNavigate("about:blank");
    platform_.doEvents();
    Control& browser = control("WebBrowser1");
    browser.top = Text4(17).top - 130;
    browser.left = Text4(17).left - 130;
    browser.width = outerWidth - 300;
    browser.height = outerHeight - control("TabStrip1").top - 700;

    const std::string& folder = state_.Parametri.Cartella_Sito;
    const std::string home = folder + "index.htm";
    const std::string copy = folder + "index_TMP.htm";
    // The copy replaces the last one whole, or not at all; without a home
    // page there is nothing to preview and the old copy goes.
    if (files::isRegularFile(home)) {
        files::copyFile(home, copy);
    } else {
        files::removeFile(copy);
    }
    platform_.doEvents();
    for (int attempt = 0;;) {
        if (!files::isRegularFile(copy)) return;
        platform_.browserNavigate("file://" + copy);
        if (!platform_.browserBusy()) break;
        ++attempt;
        platform_.doEvents();
        if (attempt >= 100) break;
    }
    platform_.doEvents();
    bringToFront("WebBrowser1");
}

void MainWindow::TabStrip1_Click() {
    Module1& s = state_;
    s.Esecuzione_Automatica = 1;
    platform_.browserStop();
    s.Tab_Corrente = static_cast<std::int16_t>(selectedTab);
    Conferma_Variazione_Parametri();
    platform_.doEvents();
    if (s.Tab_Corrente == 11) {
        s.Esecuzione_Automatica = 1;
        Pulsante_Conferma_Click();
        platform_.doEvents();
        s.Tab_Corrente = 11;
    }
    s.Esecuzione_Automatica = 0;
    Vedo_Campi_TAB();
    platform_.doEvents();
    s.Esecuzione_Automatica = 0;
}

// --- layout -------------------------------------------------------------------

void MainWindow::Form_Resize() {
    if (windowState == WindowState::Minimized) return;
    Control& browser = control("WebBrowser1");
    Control& strip = control("TabStrip1");
    const int w = outerWidth;
    const int h = outerHeight;
    if (h > 1200) {
        browser.height = h - 1200;
        strip.height = h - strip.top - 510;
        if (h > 5565) {
            Control& first = control("Picture2", 0);
            first.top = h - first.height - 600;
            for (int i = 1; i <= 6; ++i) {
                const Control& before = control("Picture2", i - 1);
                Control& icon = control("Picture2", i);
                icon.left = before.left + before.width + 20;
                icon.top = first.top;
            }
        }
    }
    if (static_cast<float>(w) - static_cast<float>(control("Image1").width) > 300.0f) {
        browser.width = w - 300 - control("Image1").width;
        strip.width = w - 120;
    }
    if (state_.Caricamento_In_Corso == 0) Vedo_Campi_TAB();
}

}  // namespace sb
