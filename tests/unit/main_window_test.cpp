// The windows' models: both windows' captions in both languages and the Copy
// Window's design; the Main Window's commits, tab pages, preview, start-up's
// end and the layout on resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <span>
#include <string>
#include <tuple>

#include "fake_platform.h"
#include "ui/copy_window.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::Program;

// The name and index of a control's key such as "Text4(3)".
std::pair<std::string, int> split(const std::string& key) {
    const auto open = key.find('(');
    return {key.substr(0, open), open == std::string::npos ? -1 : std::stoi(key.substr(open + 1))};
}
const Control& at(const WindowModel& w, const std::string& key) { return w.control(split(key).first, split(key).second); }

// A caption by key: "title", "tab 3" or a control's key.
std::string captionOf(const WindowModel& w, const std::string& key) {
    if (key == "title") return w.title;
    if (key.starts_with("tab ")) return w.tabs.at(static_cast<std::size_t>(std::stoi(key.substr(4)) - 1));
    return w.has(split(key).first, split(key).second) ? at(w, key).text : "<no " + key + ">";
}

bool onView(const MainWindow& w, const std::string& key) {
    return at(w, key).visible && w.isAbove(split(key).first, split(key).second, "TabStrip1", -1);
}

struct CaptionRow {
    const char* key;
    const char* italian;
    const char* english = nullptr;  // nullptr: the same in both languages
    const char* design = nullptr;   // nullptr: the Italian caption
};

// Every caption of the Main Window (on a tab where neither the row label nor
// the confirm button changes) and of the Copy Window.
const CaptionRow kMainWindowCaptions[] = {
    {"title", "Site Builder "}, {"Command1", "Sfoglia ...", "Search ...", "Sfoglia..."}, {"Command5", "Copia Img.", "Copy Img."},
    {"Pulsante_Conferma", "Conferma parametri", "Confirmation of parameters"}, {"Text4(0)", "Titolo Sito", "Title of Web-Site"},
    {"Text4(1)", "Nome immagine", "Image name"}, {"Text4(2)", "N.Img."},
    {"Text4(3)", "Numero Gruppi desiderati (1-20..)", "Number favorites Groups (1-20..)"},
    {"Text4(4)", "Selezionare l'immagine da usare per i Pulsanti dei Gruppi", "Select the image for utilize for Bottons of Groups"},
    {"Text4(5)", "Selezionare l'immagine da usare come sfondo generale delle immagini del Gruppo scelto", "Select the image for utilize with Background of the select Group"},
    {"Text4(6)", "Descrizione Sito", "Description Site"}, {"Text4(7)", "Numero Righe (1-4..)", "Rows Number (1-4..)"},
    {"Text4(8)", "Numero Immagini per Riga  (1-4..)", "Number Images for Row  (1-4..)"},
    {"Text4(9)", "Selezionare l'immagine da usare come sfondo per le Miniature delle immagini", "Select the image for utilize with Background for Icons (Micro-Images)"},
    {"Text4(10)", "Larghezza diapositive (135)", "Width of Icons (Micro-Images)  (135)"},
    {"Text4(11)", "Altezza diapositiva (100)", "Height of Icons (Micro-Images) (100)"},
    {"Text4(12)", "Posizione Immagine Sfondo Diapositiva (400) X=", "Position Background of Icons (Micro-Images) (400) X="},
    {"Text4(13)", "Posizione Immagine Sfondo Diapositiva (190) Y=", "Position Background of Icons (Micro-Images) (190) Y="},
    {"Text4(14)", "Posizione Immagine Piccola sopra Diapositiva (200) Y=", "Position image over Icons (Micro-Images) (200) Y="},
    {"Text4(15)", "Posizione Immagine Grande (220) X=", "Position Big image (220) X="},
    {"Text4(16)", "Indicare la cartella e il Nome del Sito che volete creare o gestire", "Select Folder and Name of your Web-Site for create and management"},
    {"Text4(17)", "Indicare l'immagine da utilizare come Sfondo della Homepage del vostro  Sito Internet", "Select image for utilize with Background of Homepage your Web-Site"},
    {"Text4(18)", "Posizione Immagine Grande (80)  Y=", "Position Big image (80)  Y=", "Posizione Immagine Grande  (80) Y="},
    {"Text4(19)", "Posizione Pulsanti Gruppi (30) Y=", "Position of Bottons Groups (30) Y="},
    {"Text4(20)", "Spaziatura verticale tra i Gruppi  (95)", "Vertical width thru Groups (95)", "Spaziatura verticale tra i Gruppi  (95) "},
    {"Titolo_Sito", "Titolo del Sito", "Title of Web-Site", ""}, {"Des_Sito", "Descrizione del Sito", "Description of Web-Site", ""},
    {"tab 1", "Titolo", "Title"}, {"tab 2", "Sfondo", "Background"}, {"tab 3", "Gruppi", "Groups"}, {"tab 4", "Argomenti", "Argoments"},
    {"tab 5", "Diapositive", "Icons"}, {"tab 6", "Immagini_Piccole", "Micro-Images"}, {"tab 7", "Immagini_Grandi", "Big-Images"},
    {"tab 8", "Pulsanti", "Bottons"}, {"tab 9", "Testata", "Head"}, {"tab 10", "Commenti", "Note"},
    {"tab 11", "Anteprima Sito", "Preview Web-Site"}, {"Command2", "HTML SFONDO"}, {"Command3", "<"}, {"Command4", ">"}, {"Command6", "OK"},
    {"Command7", "HTML DIAPOSITIVA"}, {"Command8", "HTML GRUPPI"}, {"Label6(0)", "by Velmora"}, {"Label6(1)", "by Velmora"},
    {"PublishSite", "Pubblica il sito", "Publish the site"},
};
const CaptionRow kCopyWindowCaptions[] = {
    {"title", "Site Builder ", nullptr, "Copia Immagine"}, {"Frame1", "Copia Immagini selezionate", "Copy select Images"},
    {"Label1", "Cartella dove copiare le Immagini", "Folder to copy Images"},
    {"Command1", "Sfoglia ...", "Search ...", "Sfoglia..."}, {"Command2", "Conferma copia", "Confirmation copying"},
    {"Command3", "Sposta immagine", "Move image"}, {"Text1", ""}, {"Label6(0)", "by Velmora"}, {"Label6(1)", "by Velmora"},
};

TEST(Captions, BothWindowsAsDesignedAndInBothLanguages) {
    const auto expect = [](const WindowModel& w, std::span<const CaptionRow> rows, int english) {  // -1: as designed
        for (const CaptionRow& r : rows) {
            const char* caption = english < 0 && r.design ? r.design : english > 0 && r.english ? r.english : r.italian;
            EXPECT_EQ(captionOf(w, r.key), caption) << r.key << (english < 0 ? " as designed" : english ? " in English" : " in Italian");
        }
    };
    Program p;
    CopyWindow copy{p.state, p.platform, p.window};
    expect(p.window, kMainWindowCaptions, -1);
    expect(copy, kCopyWindowCaptions, -1);
    p.load(4);
    for (int english : {1, 0, 1, 0}) {
        p.window.Image2_Click(english);
        copy.Image2_Click(english);
        expect(p.window, kMainWindowCaptions, english);
        expect(copy, kCopyWindowCaptions, english);
    }
    // Only a placeholder follows the language; what the user typed stays.
    p.window.setText("Des_Sito", -1, "Le mie vacanze");
    p.window.Image2_Click(1);
    EXPECT_EQ(p.window.text("Des_Sito"), "Le mie vacanze");
}

// The confirm button creates the site on the last parameter tab and on the
// preview; the row label names the site's folder on the first tab.
TEST(Captions, ConfirmButtonAndRowLabelFollowTheTab) {
    const std::tuple<int, int, const char*, const char*> cases[] = {  // tab, English, confirm button, row label
        {1, 0, "Conferma parametri", "Nome Sito"},          {1, 1, "Confirmation of parameters", "Site name"},
        {2, 0, "Conferma parametri", "Nome immagine"},      {2, 1, "Confirmation of parameters", "Image name"},
        {9, 0, "Conferma parametri", "Nome immagine"},      {9, 1, "Confirmation of parameters", "Image name"},
        {10, 0, "Conferma creazione Sito", "Nome immagine"}, {10, 1, "Confirm site creation", "Image name"},
        {11, 0, "Conferma creazione Sito", "Nome immagine"}, {11, 1, "Confirm site creation", "Image name"},
    };
    for (const auto& [tab, english, confirm, label] : cases) {
        Program p;
        p.load();
        p.window.Image2_Click(english);
        p.showTab(tab);
        EXPECT_EQ(p.window.text("Pulsante_Conferma") + "|" + p.window.text("Text4", 1) + "|" + p.window.text("Command1"),
                  std::string(confirm) + "|" + label + "|" + (english ? "Search ..." : "Sfoglia ...")) << "tab " << tab;
    }
}

TEST(CopyWindow, Design) {
    Program p;
    CopyWindow w{p.state, p.platform, p.window};
    EXPECT_EQ(std::make_pair(w.clientWidth, w.clientHeight), std::make_pair(10875, 1260));
    ASSERT_EQ(w.controls().size(), 10u);
    for (const char* key : {"Label1", "Command3", "Label6(0)", "Label6(1)", "Image2(0)", "Image2(1)"}) {
        EXPECT_EQ(at(w, key).container, "Frame1") << key;
    }
    // The field and the buttons below the frame stand above it; the copy button takes the focus first.
    for (const char* name : {"Text1", "Command1", "Command2"}) {
        EXPECT_EQ(at(w, name).container, "") << name;
        EXPECT_TRUE(w.isAbove(name, -1, "Frame1", -1)) << name;
    }
    EXPECT_EQ(w.controls()[static_cast<std::size_t>(w.tabOrder().front())].key(), "Command2");
    EXPECT_EQ(w.control("Image2", 1).pictureSize, (PixelSize{40, 28}));
}

// A field's text reaches its parameter only when its tab is committed.
TEST(Conferma, CommitsTheFieldsOfTheCurrentTab) {
    using P = Parametri_Sito;
    const std::tuple<int, const char*, std::string, Value P::*, Value> cases[] = {
        {3, "Text3", "7", &P::MAX_NUM_ARG, 7},          {3, "Text14", " abc ", &P::POS_Y_GRUPPI, "abc"},
        {3, "Text15", " 95 ", &P::ALT_GRUPPI, "95"},    {4, "Text5", "3", &P::MAX_NUM_RIGHE, 3},
        {4, "Text6", "2x", &P::MAX_NUM_IMG_RIGA, 2},    {5, "Text7", "  150px  ", &P::LARGH_X_DIA, 150},
        {5, "Text8", "1,5", &P::ALT_DIA, 1},            {6, "Text9", "-0", &P::POS_X_DIA, 0},
        {6, "Text10", "1e999", &P::POS_Y_DIA, 0},       {6, "Text11", "-20", &P::POS_Y_IMG, -20},
        {7, "Text12", "0.5", &P::POS_X_IMG_GRANDE, 0.5}, {7, "Text13", "è", &P::POS_Y_IMG_GRANDE, 0},
    };
    for (const auto& [tab, field, typed, parameter, expected] : cases) {
        Program p;
        p.load();
        Parametri_Sito& s = p.state.Parametri;
        p.window.setText(field, -1, typed);
        const Value before = s.*parameter;
        p.state.Tab_Corrente = 1;  // committing another tab leaves the parameter alone
        p.window.Conferma_Variazione_Parametri();
        EXPECT_EQ(s.*parameter, before) << field;
        p.state.Tab_Corrente = static_cast<std::int16_t>(tab);
        p.window.Conferma_Variazione_Parametri();
        EXPECT_EQ(s.*parameter, expected) << field << " \"" << typed << "\"";
    }
}

TEST(Conferma, CommitsPathsAndTrimsTitleAndDescription) {
    Program p;
    p.load();
    MainWindow& w = p.window;
    Parametri_Sito& s = p.state.Parametri;
    w.setText("Text1", 1, "  /tmp/sito nuovo/ ");
    w.setText("Titolo_Sito", -1, "  Le mie foto  ");
    p.state.Tab_Corrente = 1;
    w.Conferma_Variazione_Parametri();
    EXPECT_EQ(s.Cartella_Sito + "|" + w.text("Titolo_Sito"), "/tmp/sito nuovo/|Le mie foto");
    w.setText("Text1", 8, "C:\\img\\x.gif");
    p.state.Tab_Corrente = 8;
    w.Conferma_Variazione_Parametri();
    EXPECT_EQ(s.Nome_Immagine_Pulsante_X_1 + s.Nome_Immagine_Pulsante_X_2, "C:\\img\\x.gifC:\\img\\x.gif");
    for (int tab : {10, 11}) {
        const std::string path = "/img/balloon" + std::to_string(tab) + ".gif";
        w.setText("Text1", 10, " " + path);
        p.state.Tab_Corrente = static_cast<std::int16_t>(tab);
        w.Conferma_Variazione_Parametri();
        EXPECT_EQ(s.Nome_Immagine_Sfondo_Fumetto_1, path);
    }
}

// The controls in front of the tab strip on each tab page.
TEST(TabPages, ShowOnlyTheTabsOwnControls) {
    const std::set<std::string> always = {"Pulsante_Conferma", "Command2", "Command5", "Command7", "Command8"};
    const std::map<int, std::set<std::string>> own = {
        {1, {"Text4(1)", "Text4(16)", "Text1(1)", "Titolo_Sito", "Des_Sito", "Command1", "Text4(0)", "Text4(6)"}},
        {2, {"Text4(1)", "Text4(2)", "Text4(17)", "Text1(2)", "Text2", "Command1", "Command3", "Command4", "Command6",
             "Picture1", "WebBrowser1"}},
        {3, {"Text4(1)", "Text4(3)", "Text4(4)", "Text4(19)", "Text4(20)", "Text1(3)", "Text3", "Text14", "Text15",
             "Command1", "Picture1", "WebBrowser1"}},
        {4, {"Text4(1)", "Text4(5)", "Text4(7)", "Text4(8)", "Text1(4)", "Text5", "Text6", "Command1", "Picture1", "WebBrowser1"}},
        {5, {"Text4(1)", "Text4(10)", "Text4(11)", "Text1(5)", "Text7", "Text8", "Command1", "Picture1", "WebBrowser1"}},
        {6, {"Text4(12)", "Text4(13)", "Text4(14)", "Text9", "Text10", "Text11", "WebBrowser1"}},
        {7, {"Text4(15)", "Text4(18)", "Text12", "Text13"}},
        {8, {"Text4(1)", "Text1(8)", "Command1", "Picture1"}},
        {9, {"Text4(1)", "Text1(9)", "Command1", "Picture1"}},
        {10, {"Text4(1)", "Text1(10)", "Command1", "Picture1"}},
        {11, {"WebBrowser1", "PublishSite"}},  // the preview of the site written on entering, and publishing it
    };
    const std::set<int> linkRowShown = {1, 7, 8, 9, 10};
    for (const auto& [tab, controls] : own) {
        Program p;
        p.load();
        p.showTab(tab);
        for (const Control& c : p.window.controls()) {
            // Pictures and labels are drawn beneath every windowed control.
            if (c.kind == ControlKind::Image || c.kind == ControlKind::Label || c.name == "Picture2" ||
                c.kind == ControlKind::TabStrip || c.kind == ControlKind::FileDialog)
                continue;
            const bool expected = controls.count(c.key()) > 0 || always.count(c.key()) > 0;
            EXPECT_EQ(onView(p.window, c.key()), expected) << "tab " << tab << ": " << c.key();
        }
        for (int i = 0; i < 7; ++i) EXPECT_EQ(p.window.control("Picture2", i).visible, linkRowShown.count(tab) > 0) << tab;
        EXPECT_EQ(p.state.Tab_Corrente, tab);
    }
}

// Every field of a page is refilled from its stored value; the fields of
// other pages keep what they hold.
TEST(TabPages, RefillTheirOwnFieldsFromTheStoredValues) {
    Program p;
    p.load();
    const auto f = [&p](const char* name) { return p.photo(name); };
    p.state.Parametri = {.Cartella_Sito = "/sito/", .MAX_NUM_ARG = 7, .MAX_NUM_RIGHE = 3, .MAX_NUM_IMG_RIGA = 2,
                         .POS_Y_GRUPPI = "abc", .ALT_GRUPPI = 96, .LARGH_X_DIA = 136, .ALT_DIA = 101, .POS_X_DIA = 401,
                         .POS_Y_DIA = 191, .POS_Y_IMG = 201, .POS_X_IMG_GRANDE = 0.5, .POS_Y_IMG_GRANDE = 81,
                         .Nome_Immagine_Sfondo_Sito = f("2.jpg"), .Nome_Immagine_Pulsanti_Argomenti = f("3.jpg"),
                         .Nome_Sfondo_Pagina_Immagini = f("4.jpg"), .Nome_Immagine_Sfondo_Diapositiva = f("5.gif"),
                         .Nome_Immagine_Testata = f("9.jpg"), .Nome_Immagine_Sfondo_Fumetto_1 = f("10.gif"),
                         .Nome_Immagine_Pulsante_X_1 = f("8.gif"), .Nome_Immagine_Pulsante_X_2 = f("x2.gif")};
    const std::tuple<int, const char*, std::string> rows[] = {  // tab, field, filled
        {1, "Text1(1)", "/sito/"},    {1, "Titolo_Sito", "typed"},  {1, "Des_Sito", "typed"},   {2, "Text1(2)", f("2.jpg")},
        {3, "Text1(3)", f("3.jpg")},  {3, "Text3", "7"},            {3, "Text14", "abc"},       {3, "Text15", "96"},
        {4, "Text1(4)", f("4.jpg")},  {4, "Text5", "3"},            {4, "Text6", "2"},          {5, "Text1(5)", f("5.gif")},
        {5, "Text7", "136"},          {5, "Text8", "101"},          {6, "Text9", "401"},        {6, "Text10", "191"},
        {6, "Text11", "201"},         {7, "Text12", "0.5"},         {7, "Text13", "81"},        {8, "Text1(8)", f("8.gif")},
        {9, "Text1(9)", f("9.jpg")},  {10, "Text1(10)", f("10.gif")},
    };
    for (int tab = 1; tab <= 11; ++tab) {
        for (const auto& [_, field, filled] : rows) p.window.setText(split(field).first, split(field).second, " typed ");
        p.showTab(tab);
        for (const auto& [own, field, filled] : rows) {  // the title and description are trimmed
            EXPECT_EQ(captionOf(p.window, field), own == tab ? filled : " typed ") << "tab " << tab << " " << field;
        }
    }
}

// Where the load and the pages put controls, in twips.
TEST(TabPages, PlaceTheirControls) {
    const std::tuple<int, const char*, int, int> rows[] = {  // tab (0: right after start-up), control, left, top
        {0, "Image1", 120, 1800},        {0, "Text5", 2880, 1920},        {0, "Text4(8)", 240, 2280},
        {0, "Text9", 4215, 1920},        {0, "Text11", 4215, 2640},       {0, "Text12", 3015, 1920},
        {0, "Text4(18)", 240, 2280},     {0, "Text1(5)", 1545, 1320},     {0, "Text1(10)", 1545, 1320},
        {1, "WebBrowser1", 2655, 1800},  {2, "Picture1", 120, 1725},      {2, "WebBrowser1", 2655, 1800},
        {3, "Text14", 2880, 2280},       {3, "Text4(19)", 240, 2280},     {3, "Text15", 2880, 2640},
        {3, "Text4(20)", 240, 2640},     {3, "Picture1", 120, 3000},      {3, "WebBrowser1", 3795, 1920},
        {4, "Picture1", 120, 2640},      {4, "WebBrowser1", 2655, 2640},  {5, "Picture1", 120, 2640},
        {5, "WebBrowser1", 2655, 2640},  {6, "WebBrowser1", 2655, 3000},  {8, "Picture1", 120, 1725},
    };
    for (const auto& [tab, key, left, top] : rows) {
        Program p;
        p.load();
        if (tab > 0) p.showTab(tab);
        EXPECT_EQ(std::make_pair(at(p.window, key).left, at(p.window, key).top), std::make_pair(left, top)) << "tab " << tab << " " << key;
    }
}

// Both holders take the tab's picture, the picture box at its natural size; a
// name that is no picture leaves them as they were.
TEST(TabPages, LoadTheTabsPictureIntoBothHolders) {
    const std::tuple<std::string, bool, int, int> rows[] = {  // file, loaded, Picture1's width and height in twips
        {SB_APP_DIR "/Bandiera_Italiana.gif", true, 600, 420}, {SB_APP_DIR "/image1.jpg", true, 9600, 7200},
        {SB_APP_DIR "/missing.gif", false, 240, 240}, {"  ", false, 240, 240}};
    for (const auto& [file, loaded, width, height] : rows) {
        Program p;
        p.load();
        for (const char* holder : {"Picture1", "Image1"}) p.window.loadPicture(holder, -1, SB_APP_DIR "/blank.gif");
        p.state.Parametri.Nome_Immagine_Testata = file;
        p.showTab(9);
        const std::string shown = loaded ? file : SB_APP_DIR "/blank.gif";
        const Control &box = p.window.control("Picture1"), &image = p.window.control("Image1");
        EXPECT_EQ(std::make_tuple(box.picture, image.picture, box.width, box.height, image.width),
                  std::make_tuple(shown, shown, width, height, 2535)) << file << ": the image keeps its box";
    }
}

// Tab 11 shows a fresh copy of the site's home page in the browser, enlarged
// over the page area; it keeps that size when the user leaves the tab.
TEST(TabPages, PreviewShowsAFreshCopyOfTheHomePage) {
    const std::tuple<bool, bool, bool, int> rows[] = {  // home page, stale copy, browser busy, loads
        {true, false, false, 1}, {true, true, false, 1}, {true, false, true, 100}, {false, true, false, 0}, {false, false, false, 0}};
    const auto enlarged = std::make_tuple(240 - 130, 1080 - 130, 15000 - 300, 9000 - 480 - 700);
    for (const auto& [homePage, oldCopy, busy, loads] : rows) {
        Program p;
        p.load(11);
        const std::string site = p.photos.str() + "/", copy = site + "index_TMP.htm";
        p.state.Parametri.Cartella_Sito = site;
        if (homePage) test::makeFile(site + "index.htm", "home");
        if (oldCopy) test::makeFile(copy, "stale");
        p.platform.browserAlwaysBusy = busy;
        std::tie(p.window.outerWidth, p.window.outerHeight) = std::make_pair(15000, 9000);
        p.showTab(11);
        SCOPED_TRACE(std::to_string(homePage) + std::to_string(oldCopy) + std::to_string(busy));
        EXPECT_EQ(test::readFile(copy), homePage ? "home" : "");
        EXPECT_EQ(std::count(p.platform.navigations.begin(), p.platform.navigations.end(), "file://" + copy), loads);
        EXPECT_EQ(p.platform.navigations.front(), "about:blank");
        EXPECT_EQ(onView(p.window, "WebBrowser1"), homePage);
        const Control& browser = p.window.control("WebBrowser1");
        EXPECT_EQ(std::make_tuple(browser.left, browser.top, browser.width, browser.height), enlarged);
        p.showTab(2);
        EXPECT_EQ(std::make_tuple(browser.left, browser.top, browser.width, browser.height),
                  std::make_tuple(2655, 1800, std::get<2>(enlarged), std::get<3>(enlarged)));
    }
}

// The flags and the signature are drawn beneath every windowed control: on
// each tab page and in the Copy Window nothing drawn above them covers them.
TEST(Layout, NothingCoversTheFlagsNorTheSignature) {
    Program p(true);
    p.load(1);
    const auto uncovered = [](const WindowModel& w, const std::string& where) {
        for (const char* key : {"Image2(0)", "Image2(1)", "Label6(0)", "Label6(1)"}) {
            const Control& mark = at(w, key);
            for (const Control& c : w.controls()) {
                if (!c.visible || c.name == mark.name || c.container != mark.container || !w.isAbove(c.name, c.index, mark.name, mark.index))
                    continue;
                EXPECT_TRUE(c.left >= mark.left + mark.width || mark.left >= c.left + c.width || c.top >= mark.top + mark.height ||
                            mark.top >= c.top + c.height)
                    << c.key() << " covers " << key << " on " << where;
            }
        }
    };
    for (int tab = 1; tab <= 11; ++tab) {
        p.showTab(tab);
        uncovered(p.window, "tab " + std::to_string(tab));
        // The publish button, where it is on view, stands clear of every other control.
        const Control& publish = p.window.control("PublishSite");
        for (const Control& c : p.window.controls()) {
            if (!publish.visible || !c.visible || &c == &publish || c.width == 0 || c.height == 0) continue;
            EXPECT_TRUE(c.left >= publish.left + publish.width || publish.left >= c.left + c.width ||
                        c.top >= publish.top + publish.height || publish.top >= c.top + c.height)
                << "the publish button covers " << c.key() << " on tab " << tab;
        }
    }
    p.window.Command5_Click();
    uncovered(*p.window.Form2(), "the Copy Window");
}

// The publish button opens the Publish window on the site's folder, in the
// language on view.
TEST(PublishSite, OpensThePublishWindowForTheSiteInTheWindowsLanguage) {
    Program p;
    p.load(11);
    p.state.Parametri.Cartella_Sito = "/home/anna/sito/";
    for (int english : {1, 0}) {
        p.window.Image2_Click(english);
        p.window.click("PublishSite", -1);
    }
    EXPECT_EQ(p.platform.publishWindows,
              (std::vector<std::pair<std::string, bool>>{{"/home/anna/sito/", true}, {"/home/anna/sito/", false}}));
}

// Start-up visits every tab and ends on the first with every parameter
// control behind the tab strip and the captions as designed.
TEST(Startup, EndsWithTheDesignCaptionsAndEveryPageBehind) {
    Program p;
    p.window.Form_Load();
    const Module1& s = p.state;
    EXPECT_EQ(std::make_tuple(s.Tab_Corrente, s.Caricamento_In_Corso, p.platform.busy), std::make_tuple(1, 0, false));
    EXPECT_TRUE(fs::is_regular_file(s.Parametri.Cartella_Sito + "index.htm"));
    for (const char* key : {"WebBrowser1", "Text1(1)", "Titolo_Sito", "Command1", "Text2", "Text4(16)", "Picture1"}) {
        EXPECT_FALSE(onView(p.window, key)) << key;
    }
    EXPECT_EQ(p.window.text("Command1") + "|" + p.window.text("Text4", 1) + "|" + p.window.text("Pulsante_Conferma") + "|" +
                  p.window.text("Text3") + "|" + p.platform.navigations.front(),
              "Sfoglia...|Nome Immagine|Conferma parametri|5|about:blank");
}

TEST(TabStripClick, CommitsTheTabBeingEntered) {
    Program p;
    p.load(3);
    MainWindow& w = p.window;
    w.setText("Text3", -1, "7");
    w.selectTab(4);  // leaving tab 3 does not store its fields
    EXPECT_EQ(std::make_pair(p.state.Parametri.MAX_NUM_ARG, p.state.Tab_Corrente), std::make_pair(Value(5), std::int16_t{4}));
    w.setText("Text3", -1, "7");
    w.selectTab(3);  // coming back stores the text still typed
    EXPECT_EQ(p.state.Parametri.MAX_NUM_ARG, Value(7));
    EXPECT_EQ(std::make_tuple(w.text("Text3"), p.state.Esecuzione_Automatica, p.platform.browserStops), std::make_tuple("7", 0, 2));
}

TEST(FormResize, StretchesTheStripAndBrowserAboveTheThresholds) {
    const std::tuple<int, int, bool, bool, bool> cases[] = {  // width, height; heights, link row, widths follow
        {12900, 9000, true, true, true},  {12900, 1200, false, false, true}, {12900, 1201, true, false, true},
        {12900, 5565, true, false, true}, {12900, 5566, true, true, true},   {2535 + 300, 9000, true, true, false},
        {2535 + 301, 9000, true, true, true},
    };
    for (const auto& [width, height, heights, row, widths] : cases) {
        Program p;
        p.load(7);
        MainWindow& w = p.window;
        const Control browserBefore = w.control("WebBrowser1"), stripBefore = w.control("TabStrip1");
        const int rowBefore = w.control("Picture2", 3).top;
        std::tie(w.outerWidth, w.outerHeight) = std::make_pair(width, height);
        w.Form_Resize();
        const Control &browser = w.control("WebBrowser1"), &strip = w.control("TabStrip1");
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        EXPECT_EQ(std::make_pair(browser.height, strip.height),
                  heights ? std::make_pair(height - 1200, height - 480 - 510) : std::make_pair(browserBefore.height, stripBefore.height));
        EXPECT_EQ(std::make_pair(browser.width, strip.width),
                  widths ? std::make_pair(width - 300 - 2535, width - 120) : std::make_pair(browserBefore.width, stripBefore.width));
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(std::make_pair(w.control("Picture2", i).left, w.control("Picture2", i).top),
                      row ? std::make_pair(i * (1815 + 20), height - 1095 - 600) : std::make_pair(w.control("Picture2", i).left, rowBefore));
        }
    }
    Program p;  // a minimized window changes nothing
    p.load();
    p.window.windowState = WindowState::Minimized;
    p.window.outerHeight = 100000;
    p.window.setText("Text3", -1, "9");
    const int height = p.window.control("WebBrowser1").height;
    p.window.Form_Resize();
    EXPECT_EQ(std::make_pair(p.window.control("WebBrowser1").height, p.window.text("Text3")), std::make_pair(height, std::string("9")));
}

// A resize shows the current tab again: its fields refilled from the stored
// values, the language re-applied. Not while start-up runs.
TEST(FormResize, ShowsTheTabAgain) {
    for (const bool loading : {false, true}) {
        Program p;
        p.window.Form_Load();
        p.state.Caricamento_In_Corso = loading;
        p.window.selectedTab = 3;
        p.window.setText("Text3", -1, "9");
        std::tie(p.window.outerWidth, p.window.outerHeight) = std::make_pair(13000, 9000);
        p.window.Form_Resize();
        EXPECT_EQ(std::make_tuple(p.window.text("Text3"), p.window.text("Command1"), onView(p.window, "Text3")),
                  loading ? std::make_tuple("9", "Sfoglia...", false) : std::make_tuple("5", "Sfoglia ...", true));
    }
}

}  // namespace
}  // namespace sb
