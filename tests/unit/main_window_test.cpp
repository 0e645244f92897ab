// The windows' models as designed, in both languages and on each tab page;
// the Main Window's commits, fields, preview and layout on resize.
#include <cstdlib>
#include <sstream>
#include <tuple>
#include <variant>

#include "fake_platform.h"
#include "site/addresses.h"
#include "ui/copy_window.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::Program;

// A control of the page on view: shown, and drawn above the tab strip.
bool onView(const MainWindow& w, const std::string& name) { return w.control(name).visible && w.isAbove(name, -1, "TabStrip1", -1); }

// A window as a list: title, size, tabs, then every control back to front.
std::string describe(const WindowModel& w, const Program& p) {
    std::ostringstream out;
    out << "== " << w.name() << " \"" << w.title << "\" " << w.clientWidth << "x" << w.clientHeight << "\n";
    for (const std::string& tab : w.tabs) out << "tab \"" << tab << "\"\n";
    for (const int i : w.paintOrder()) {
        const Control& c = w.controls()[static_cast<std::size_t>(i)];
        std::string text = c.text;
        for (std::size_t at; (at = text.find_first_of("\r\n")) != std::string::npos;) text.replace(at, 1, "|");
        for (const auto& [folder, name] : {std::pair(p.app.str(), "APP"), std::pair(p.photos.str(), "PHOTOS")})
            for (std::size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), name);
        out << c.key() << " " << c.left << "," << c.top << " " << c.width << "x" << c.height << " in \"" << c.container << "\" focus "
            << c.tabOrder << (c.visible ? "" : " hidden") << " picture " << c.pictureSize.width << "x" << c.pictureSize.height << " \""
            << text << "\"" << (c.tag.empty() ? "" : " tag " + c.tag) << "\n";
    }
    return out.str();
}

// Both windows as designed, in each language, and on each tab page, against
// golden/windows.txt (SB_WRITE_GOLDEN=1 writes it anew: read the difference).
TEST(Windows, AsDesignedInBothLanguagesAndOnEachTab) {
    Program p(true);
    CopyWindow copy{p.state, p.platform, p.window};
    p.window.outerHeight = 8385;
    const auto both = [&] { return describe(p.window, p) + describe(copy, p); };
    std::string all = both(), languages[2];
    p.load(4);
    all += "-- after start-up\n" + both();
    for (int round = 0; round < 2; ++round) {
        for (int english : {1, 0}) {
            p.window.Image2_Click(english);
            copy.Image2_Click(english);
            if (round == 0) all += languages[english] = both();
            EXPECT_EQ(both(), languages[english]) << "flag clicked again: " << english;
        }
    }
    for (int tab = 1; tab <= 11; ++tab) {  // a page refills its own fields from the stored values; the others keep what was typed
        Program q;
        q.load();
        q.window.Image2_Click(tab % 2);  // captions that follow the tab, in both languages
        const auto f = [&q](const char* name) { return q.photo(name); };
        q.state.Parametri = {.Cartella_Sito = "/sito/", .MAX_NUM_ARG = 7, .MAX_NUM_RIGHE = 3, .MAX_NUM_IMG_RIGA = 2,
                             .POS_Y_GRUPPI = "abc", .ALT_GRUPPI = 96, .LARGH_X_DIA = 136, .ALT_DIA = 101, .POS_X_DIA = 401,
                             .POS_Y_DIA = 191, .POS_Y_IMG = 201, .POS_X_IMG_GRANDE = 0.5, .POS_Y_IMG_GRANDE = 81,
                             .Nome_Immagine_Sfondo_Sito = f("2.jpg"), .Nome_Immagine_Pulsanti_Argomenti = f("3.jpg"),
                             .Nome_Sfondo_Pagina_Immagini = f("4.jpg"), .Nome_Immagine_Sfondo_Diapositiva = f("5.gif"),
                             .Nome_Immagine_Testata = f("9.jpg"), .Nome_Immagine_Sfondo_Fumetto_1 = f("10.gif"),
                             .Nome_Immagine_Pulsante_X_1 = f("8.gif"), .Nome_Immagine_Pulsante_X_2 = f("x2.gif")};
        for (const Control& c : q.window.controls())
            if (c.kind == ControlKind::TextBox) q.window.setText(c.name, c.index, " typed ");
        q.showTab(tab);
        all += "-- tab " + std::to_string(tab) + "\n" + describe(q.window, q);
    }
    const std::string golden = SB_SOURCE_DIR "/tests/unit/golden/windows.txt";
    if (std::getenv("SB_WRITE_GOLDEN")) test::makeFile(golden, all);
    EXPECT_EQ(all, test::readFile(golden));
    // Only a placeholder follows the language; what the user typed stays.
    p.window.setText("Des_Sito", -1, "Le mie vacanze");
    p.window.Image2_Click(1);
    EXPECT_EQ(p.window.text("Des_Sito"), "Le mie vacanze");
}

// A field's text reaches its parameter only when its tab is entered, not when it is left.
TEST(Conferma, CommitsTheFieldsOfTheTabEntered) {
    using P = Parametri_Sito;
    using Parameter = std::variant<Value P::*, std::string P::*>;
    const std::tuple<int, const char*, int, std::string, Parameter, Value> cases[] = {  // tab, field, typed, parameter, expected
        {3, "Text3", -1, "7", &P::MAX_NUM_ARG, 7},          {3, "Text14", -1, " abc ", &P::POS_Y_GRUPPI, "abc"},
        {3, "Text15", -1, " 95 ", &P::ALT_GRUPPI, "95"},    {4, "Text5", -1, "3", &P::MAX_NUM_RIGHE, 3},
        {4, "Text6", -1, "2x", &P::MAX_NUM_IMG_RIGA, 2},    {5, "Text7", -1, "  150px  ", &P::LARGH_X_DIA, 150},
        {5, "Text8", -1, "1,5", &P::ALT_DIA, 1},            {6, "Text9", -1, "-0", &P::POS_X_DIA, 0},
        {6, "Text10", -1, "1e999", &P::POS_Y_DIA, 0},       {6, "Text11", -1, "-20", &P::POS_Y_IMG, -20},
        {7, "Text12", -1, "0.5", &P::POS_X_IMG_GRANDE, 0.5}, {7, "Text13", -1, "è", &P::POS_Y_IMG_GRANDE, 0},
        {1, "Text1", 1, "  /tmp/sito nuovo/ ", &P::Cartella_Sito, "/tmp/sito nuovo/"},
        {8, "Text1", 8, "C:\\img\\x.gif", &P::Nome_Immagine_Pulsante_X_1, "C:\\img\\x.gif"},
        {8, "Text1", 8, "C:\\img\\x.gif", &P::Nome_Immagine_Pulsante_X_2, "C:\\img\\x.gif"},
        {10, "Text1", 10, " /img/balloon.gif", &P::Nome_Immagine_Sfondo_Fumetto_1, "/img/balloon.gif"},
        {11, "Text1", 10, " /img/balloon.gif", &P::Nome_Immagine_Sfondo_Fumetto_1, "/img/balloon.gif"},
    };
    for (const auto& [tab, field, index, typed, parameter, expected] : cases) {
        Program p;
        p.load();
        const auto stored = [&p, parameter] { return std::visit([&p](auto m) { return Value(p.state.Parametri.*m); }, parameter); };
        p.window.setText(field, index, typed);
        p.window.setText("Titolo_Sito", -1, "  Le mie foto  ");
        const Value before = stored();
        p.window.selectTab(tab == 1 ? 3 : 1);  // entering another tab leaves the parameter alone
        EXPECT_EQ(stored(), before) << field << " " << tab;
        p.window.selectTab(tab);
        EXPECT_EQ(stored(), expected) << field << " \"" << typed << "\" on tab " << tab;
        EXPECT_EQ(std::make_tuple(p.window.text("Titolo_Sito"), p.state.Esecuzione_Automatica, p.platform.browserStops),
                  std::make_tuple("Le mie foto", 0, 2)) << "trimmed when tab 1 is committed";
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
    enum Old { None, Stale, Folder, Link };  // what stands where the copy goes
    const std::tuple<bool, Old, bool, int> rows[] = {  // home page, old copy, browser busy, loads
        {true, None, false, 1}, {true, Stale, false, 1}, {true, None, true, 100}, {false, Stale, false, 0}, {false, None, false, 0},
        {false, Folder, false, 0}, {false, Link, false, 0}};
    for (const auto& [homePage, oldCopy, busy, loads] : rows) {
        Program p;
        p.load(11);
        const std::string site = p.photos.str() + "/", copy = site + "index_TMP.htm";
        p.state.Parametri.Cartella_Sito = site;
        if (homePage) test::makeFile(site + "index.htm", "home");
        if (oldCopy == Stale) test::makeFile(copy, "stale");
        if (oldCopy == Folder) fs::create_directory(copy);
        if (oldCopy == Link) fs::create_symlink(site + "nowhere", copy);
        p.platform.browserAlwaysBusy = busy;
        std::tie(p.window.outerWidth, p.window.outerHeight) = std::make_pair(15000, 9000);
        p.showTab(11);
        SCOPED_TRACE(std::to_string(homePage) + std::to_string(oldCopy) + std::to_string(busy));
        EXPECT_EQ(test::readFile(copy), homePage ? "home" : "");
        EXPECT_EQ(fs::exists(fs::symlink_status(copy)), homePage || oldCopy >= Folder) << "only a file is taken away";
        EXPECT_EQ(std::count(p.platform.navigations.begin(), p.platform.navigations.end(), "file://" + copy), loads);
        EXPECT_EQ(p.platform.navigations.front(), "about:blank");
        EXPECT_EQ(onView(p.window, "WebBrowser1"), homePage);
        const Control& browser = p.window.control("WebBrowser1");
        p.showTab(2);  // its place on tab 11 is in the windows' golden list
        EXPECT_EQ(std::make_tuple(browser.left, browser.top, browser.width, browser.height),
                  std::make_tuple(2655, 1800, 15000 - 300, 9000 - 480 - 700));
    }
}

// The publish button opens the Publish window on the site's folder, and the
// link icons their site, in the language on view.
TEST(LanguageOnView, PublishWindowAndLinkIcons) {
    Program p;
    p.load(11);
    p.state.Parametri.Cartella_Sito = "/home/anna/sito/";
    for (int english : {1, 0}) {
        p.window.Image2_Click(english);
        p.window.click("PublishSite", -1);
        for (int i = 0; i < 7; ++i) {
            p.window.Picture2_Click(i);
            EXPECT_EQ(p.platform.openedPages.back(), std::string(kLinkIcons[i].address) + (english ? "index_en.htm" : "index.htm"));
        }
    }
    EXPECT_EQ(p.platform.publishWindows,
              (std::vector<std::pair<std::string, bool>>{{"/home/anna/sito/", true}, {"/home/anna/sito/", false}}));
}

// A resize shows the current tab again (fields refilled, language re-applied),
// not while start-up runs nor when minimized.
TEST(FormResize, StretchesAboveTheThresholdsAndShowsTheTabAgain) {
    enum When { Shown, Minimized, StartingUp };
    const std::tuple<int, int, bool, bool, bool, When> cases[] = {  // width, height; heights, link row, widths follow
        {12900, 9000, true, true, true, Shown},  {12900, 1200, false, false, true, Shown}, {12900, 1201, true, false, true, Shown},
        {12900, 5565, true, false, true, Shown}, {12900, 5566, true, true, true, Shown},   {2535 + 300, 9000, true, true, false, Shown},
        {2535 + 301, 9000, true, true, true, Shown}, {12900, 9000, false, false, false, Minimized}, {12900, 9000, true, true, true, StartingUp},
    };
    for (const auto& [width, height, heights, row, widths, when] : cases) {
        Program p;
        p.load(3);
        MainWindow& w = p.window;
        w.setText("Text3", -1, "9");
        w.windowState = when == Minimized ? WindowState::Minimized : WindowState::Normal;
        p.state.Caricamento_In_Corso = when == StartingUp;
        const Control browserBefore = w.control("WebBrowser1"), stripBefore = w.control("TabStrip1");
        const int rowBefore = w.control("Picture2", 3).top;
        std::tie(w.outerWidth, w.outerHeight) = std::make_pair(width, height);
        w.Form_Resize();
        const Control &browser = w.control("WebBrowser1"), &strip = w.control("TabStrip1");
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(when));
        EXPECT_EQ(std::make_pair(browser.height, strip.height),
                  heights ? std::make_pair(height - 1200, height - 480 - 510) : std::make_pair(browserBefore.height, stripBefore.height));
        EXPECT_EQ(std::make_pair(browser.width, strip.width),
                  widths ? std::make_pair(width - 300 - 2535, width - 120) : std::make_pair(browserBefore.width, stripBefore.width));
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(std::make_pair(w.control("Picture2", i).left, w.control("Picture2", i).top),
                      row ? std::make_pair(i * (1815 + 20), height - 1095 - 600) : std::make_pair(w.control("Picture2", i).left, rowBefore));
        }
        EXPECT_EQ(std::make_tuple(w.text("Text3"), w.text("Command1"), onView(w, "Text3")),
                  when == Shown ? std::make_tuple("5", "Sfoglia ...", true) : std::make_tuple("9", "Sfoglia...", false));
    }
}

}  // namespace
}  // namespace sb
