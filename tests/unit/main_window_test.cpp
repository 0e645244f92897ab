#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "app/state.h"
#include "fake_platform.h"
#include "temp_dir.h"
#include "ui/main_window.h"

namespace sb {
namespace {

using test::FakePlatform;
using test::TempDir;

// The program with an empty application folder of its own, loaded.
struct Loaded {
    TempDir app;
    FakePlatform platform{app.str()};
    Module1 state;
    MainWindow window{state, platform};

    Loaded() {
        window.Form_Load();
        // Leave start-up as the user's first tab click leaves it.
        state.Caricamento_In_Corso = 0;
        state.Esecuzione_Automatica = 0;
    }
    void showTab(int tab) {
        window.selectedTab = tab;
        state.Tab_Corrente = static_cast<std::int16_t>(tab);
        window.Vedo_Campi_TAB();
    }
};

TEST(FormLoad, GivesEveryParameterItsDefault) {
    Loaded p;
    const Parametri_Sito& s = p.state.Parametri;
    const std::string app = p.app.str() + "/";
    EXPECT_EQ(s.Cartella_Sito, app + "LAYOUT_01/");
    const std::pair<Value Parametri_Sito::*, double> numbers[] = {
        {&Parametri_Sito::MAX_NUM_ARG, 5},     {&Parametri_Sito::MAX_NUM_RIGHE, 4},
        {&Parametri_Sito::MAX_NUM_IMG_RIGA, 4}, {&Parametri_Sito::POS_Y_GRUPPI, 30},
        {&Parametri_Sito::ALT_GRUPPI, 95},     {&Parametri_Sito::LARGH_X_DIA, 135},
        {&Parametri_Sito::ALT_DIA, 100},       {&Parametri_Sito::POS_X_DIA, 400},
        {&Parametri_Sito::POS_Y_DIA, 190},     {&Parametri_Sito::POS_Y_IMG, 200},
        {&Parametri_Sito::POS_X_IMG_GRANDE, 220}, {&Parametri_Sito::POS_Y_IMG_GRANDE, 80}};
    for (const auto& [member, value] : numbers) EXPECT_EQ(s.*member, Value(value));
    const std::pair<const std::string*, const char*> images[] = {
        {&s.Nome_Immagine_Sfondo_Sito, "SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg"},
        {&s.Nome_Immagine_Pulsanti_Argomenti, "PULSANTI/Tela_Vuota_Quadro_3_200x152_RID.jpg"},
        {&s.Nome_Sfondo_Pagina_Immagini, "SFONDI/Tela_Vuota_Quadro_3_RID.jpg"},
        {&s.Nome_Immagine_Sfondo_Diapositiva, "SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01.gif"},
        {&s.Nome_Immagine_Pulsante_X_1, "PULSANTI/Pulsante_tondo_Annulla_thumbdown.gif"},
        {&s.Nome_Immagine_Pulsante_X_2, "PULSANTI/Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF"},
        {&s.Nome_Immagine_Testata, "TESTATE/Image5.jpg"},
        {&s.Nome_Immagine_Sfondo_Fumetto_1, "TESTATE/Fumetto_01.gif"}};
    for (const auto& [value, relative] : images) EXPECT_EQ(*value, app + relative);
    EXPECT_EQ(p.state.Ultimo_Tab_Parametri, 10);
    EXPECT_EQ(p.window.text("Text3"), "5");
    ASSERT_FALSE(p.platform.navigations.empty());
    EXPECT_EQ(p.platform.navigations.front(), "about:blank");
}

// A field's text reaches its parameter only when its tab is committed.
TEST(Conferma, CommitsTheFieldsOfTheCurrentTab) {
    struct Case {
        int tab;
        const char* field;
        std::string typed;
        Value Parametri_Sito::*parameter;
        Value expected;
    };
    using P = Parametri_Sito;
    const Case cases[] = {
        {3, "Text3", "7", &P::MAX_NUM_ARG, 7},
        {3, "Text14", "  40 ", &P::POS_Y_GRUPPI, "40"},
        {3, "Text14", "abc", &P::POS_Y_GRUPPI, "abc"},
        {3, "Text15", " 95 ", &P::ALT_GRUPPI, "95"},
        {4, "Text5", "3", &P::MAX_NUM_RIGHE, 3},
        {4, "Text6", "2x", &P::MAX_NUM_IMG_RIGA, 2},
        {5, "Text7", "  150px  ", &P::LARGH_X_DIA, 150},
        {5, "Text7", "", &P::LARGH_X_DIA, 0},
        {5, "Text8", "1,5", &P::ALT_DIA, 1},
        {6, "Text9", "-0", &P::POS_X_DIA, 0},
        {6, "Text10", "1e999", &P::POS_Y_DIA, 0},
        {6, "Text11", "-20", &P::POS_Y_IMG, -20},
        {7, "Text12", "0.5", &P::POS_X_IMG_GRANDE, 0.5},
        {7, "Text13", "è", &P::POS_Y_IMG_GRANDE, 0},
    };
    for (const Case& c : cases) {
        Loaded p;
        Parametri_Sito& s = p.state.Parametri;
        p.window.setText(c.field, -1, c.typed);
        // Committing another tab leaves the parameter alone.
        const Value before = s.*c.parameter;
        p.state.Tab_Corrente = 1;
        p.window.Conferma_Variazione_Parametri();
        EXPECT_EQ(s.*c.parameter, before) << c.field;
        p.state.Tab_Corrente = static_cast<std::int16_t>(c.tab);
        p.window.Conferma_Variazione_Parametri();
        EXPECT_EQ(s.*c.parameter, c.expected) << c.field << " \"" << c.typed << "\"";
    }
}

TEST(Conferma, CommitsPathsAndTrimsTitleAndDescription) {
    Loaded p;
    MainWindow& w = p.window;
    Parametri_Sito& s = p.state.Parametri;
    w.setText("Text1", 1, "  /tmp/sito nuovo/ ");
    w.setText("Titolo_Sito", -1, "  Le mie foto  ");
    w.setText("Des_Sito", -1, " Mare e monti ");
    p.state.Tab_Corrente = 1;
    w.Conferma_Variazione_Parametri();
    EXPECT_EQ(s.Cartella_Sito, "/tmp/sito nuovo/");
    EXPECT_EQ(w.text("Titolo_Sito"), "Le mie foto");
    EXPECT_EQ(w.text("Des_Sito"), "Mare e monti");

    w.setText("Text1", 8, "C:\\img\\x.gif");
    p.state.Tab_Corrente = 8;
    w.Conferma_Variazione_Parametri();
    EXPECT_EQ(s.Nome_Immagine_Pulsante_X_1, "C:\\img\\x.gif");
    EXPECT_EQ(s.Nome_Immagine_Pulsante_X_2, "C:\\img\\x.gif");

    for (int tab : {10, 11}) {
        const std::string path = "/img/balloon" + std::to_string(tab) + ".gif";
        w.setText("Text1", 10, " " + path);
        p.state.Tab_Corrente = static_cast<std::int16_t>(tab);
        w.Conferma_Variazione_Parametri();
        EXPECT_EQ(s.Nome_Immagine_Sfondo_Fumetto_1, path);
    }
}

// Any text in any number field is taken without a crash and gives a number.
TEST(Conferma, NumberFieldsTakeAnyText) {
    const std::pair<std::string, double> texts[] = {
        {"", 0},     {"   ", 0}, {"1,5", 1}, {"-0", 0}, {"1e999", 0}, {std::string(400, '7'), 0},
        {"àèìòù", 0}, {"日本", 0}, {"-", 0},   {".", 0},  {"1e", 1},    {"\t\n", 0}};
    const char* fields[] = {"Text3", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10", "Text11", "Text12", "Text13"};
    const int tabOf[] = {3, 4, 4, 5, 5, 6, 6, 6, 7, 7};
    Loaded p;
    for (const auto& [t, expected] : texts) {
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            p.window.setText(fields[i], -1, t);
            p.state.Tab_Corrente = static_cast<std::int16_t>(tabOf[i]);
            p.window.Conferma_Variazione_Parametri();
        }
        const Parametri_Sito& s = p.state.Parametri;
        for (const Value* v : {&s.MAX_NUM_ARG, &s.MAX_NUM_RIGHE, &s.LARGH_X_DIA, &s.POS_Y_IMG, &s.POS_Y_IMG_GRANDE}) {
            EXPECT_TRUE(v->isNumber());
            EXPECT_EQ(v->number(), expected) << '"' << t << '"';
        }
    }
}

// The controls in front of the tab strip on each tab page.
TEST(TabPages, ShowOnlyTheTabsOwnControls) {
    const std::set<std::string> always = {"Pulsante_Conferma", "Command2", "Command5", "Command7", "Command8"};
    const std::map<int, std::set<std::string>> onView = {
        {1, {"Text4(1)", "Text4(16)", "Text1(1)", "Titolo_Sito", "Des_Sito", "Command1", "Text4(0)", "Text4(6)"}},
        {2, {"Text4(1)", "Text4(2)", "Text4(17)", "Text1(2)", "Text2", "Command1", "Command3", "Command4", "Command6",
             "Picture1", "WebBrowser1"}},
        {3, {"Text4(1)", "Text4(3)", "Text4(4)", "Text4(19)", "Text4(20)", "Text1(3)", "Text3", "Text14", "Text15",
             "Command1", "Picture1", "WebBrowser1"}},
        {4, {"Text4(1)", "Text4(5)", "Text4(7)", "Text4(8)", "Text1(4)", "Text5", "Text6", "Command1", "Picture1",
             "WebBrowser1"}},
        {5, {"Text4(1)", "Text4(10)", "Text4(11)", "Text1(5)", "Text7", "Text8", "Command1", "Picture1", "WebBrowser1"}},
        {6, {"Text4(12)", "Text4(13)", "Text4(14)", "Text9", "Text10", "Text11", "WebBrowser1"}},
        {7, {"Text4(15)", "Text4(18)", "Text12", "Text13"}},
        {8, {"Text4(1)", "Text1(8)", "Command1", "Picture1"}},
        {9, {"Text4(1)", "Text1(9)", "Command1", "Picture1"}},
        {10, {"Text4(1)", "Text1(10)", "Command1", "Picture1"}},
        {11, {"WebBrowser1"}},  // the preview of the site written on entering
    };
    const std::set<int> linkRowShown = {1, 7, 8, 9, 10};
    for (const auto& [tab, own] : onView) {
        Loaded p;
        p.showTab(tab);
        MainWindow& w = p.window;
        for (const Control& c : w.controls()) {
            if (isLightweight(c.kind) || c.kind == ControlKind::TabStrip || c.kind == ControlKind::FileDialog ||
                c.name == "Picture2")
                continue;
            const bool expected = own.count(c.key()) > 0 || always.count(c.key()) > 0;
            EXPECT_EQ(w.isAbove(c.name, c.index, "TabStrip1", -1), expected) << "tab " << tab << ": " << c.key();
        }
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(w.control("Picture2", i).visible, linkRowShown.count(tab) > 0) << "tab " << tab;
        }
        EXPECT_EQ(p.state.Tab_Corrente, tab);
    }
}

TEST(TabPages, PreviewGivesUpAfterAHundredLoadsOrWithoutAHomePage) {
    Loaded p;
    p.platform.browserAlwaysBusy = true;
    p.platform.navigations.clear();
    p.window.selectTab(11);  // writes the site, then previews it
    const std::string copy = p.state.Parametri.Cartella_Sito + "index_TMP.htm";
    EXPECT_EQ(std::count(p.platform.navigations.begin(), p.platform.navigations.end(), "file://" + copy), 100);
    EXPECT_TRUE(p.window.isAbove("WebBrowser1", -1, "TabStrip1", -1));
    // Without a home page there is no copy to show: the browser stays behind.
    p.state.Parametri.Cartella_Sito = p.app / "missing/";
    p.showTab(11);
    EXPECT_FALSE(p.window.isAbove("WebBrowser1", -1, "TabStrip1", -1));
}

TEST(TabPages, RefillFieldsFromTheParametersAndStackTheGroupRows) {
    Loaded p;
    MainWindow& w = p.window;
    w.setText("Text3", -1, "9");  // typed, never committed
    p.state.Parametri.POS_Y_GRUPPI = "abc";
    p.showTab(3);
    EXPECT_EQ(w.text("Text3"), "5");
    EXPECT_EQ(w.text("Text14"), "abc");
    const Control& text3 = w.control("Text3");
    EXPECT_EQ(w.control("Text14").top, text3.top + 360);
    EXPECT_EQ(w.control("Text15").top, text3.top + 720);
    EXPECT_EQ(w.Text4(20).top, text3.top + 720);
    EXPECT_EQ(w.control("Picture1").top, text3.top + 1080);
    EXPECT_EQ(w.control("WebBrowser1").left, text3.left + text3.width + 300);
}

TEST(TabPages, StartupPassesLeaveEveryParameterControlBehind) {
    Loaded p;
    p.state.Caricamento_In_Corso = 1;
    p.window.selectedTab = 1;
    p.state.Tab_Corrente = 12;
    p.window.Vedo_Campi_TAB();
    EXPECT_EQ(p.state.Tab_Corrente, 1);
    for (const char* name : {"Text1", "Titolo_Sito", "Command1", "Text2"}) {
        const int index = name == std::string("Text1") ? 1 : -1;
        EXPECT_FALSE(p.window.isAbove(name, index, "TabStrip1", -1)) << name;
    }
    EXPECT_EQ(p.window.text("Command1"), "Sfoglia...");  // no language refresh during start-up
}

TEST(TabStripClick, CommitsTheTabBeingEntered) {
    Loaded p;
    MainWindow& w = p.window;
    w.selectedTab = 3;
    w.setText("Text3", -1, "7");
    w.selectTab(4);  // leaving tab 3 does not store its fields
    EXPECT_EQ(p.state.Parametri.MAX_NUM_ARG, Value(5));
    EXPECT_EQ(p.state.Tab_Corrente, 4);
    w.setText("Text3", -1, "7");
    w.selectTab(3);  // coming back stores the text still typed
    EXPECT_EQ(p.state.Parametri.MAX_NUM_ARG, Value(7));
    EXPECT_EQ(w.text("Text3"), "7");
    EXPECT_EQ(p.state.Esecuzione_Automatica, 0);
    EXPECT_GE(p.platform.browserStops, 2);
}

TEST(Stacking, BringAndSendFollowTheModel) {
    TempDir app;
    FakePlatform platform{app.str()};
    Module1 state;
    MainWindow w{state, platform};
    // At creation every control stands in front of the tab strip.
    EXPECT_TRUE(w.isAbove("Text3", -1, "TabStrip1", -1));
    w.sendToBack("Text3");
    EXPECT_FALSE(w.isAbove("Text3", -1, "TabStrip1", -1));
    w.bringToFront("Text3");
    EXPECT_TRUE(w.isAbove("Text3", -1, "Pulsante_Conferma", -1));
    // A lightweight image never rises above a windowed control.
    w.bringToFront("Image1");
    EXPECT_FALSE(w.isAbove("Image1", -1, "TabStrip1", -1));
    w.sendToBack("TabStrip1");
    EXPECT_TRUE(w.isAbove("Image1", -1, "Image2", 0));
    // Tab order: the picture box first, then the viewer row.
    const auto order = w.tabOrder();
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(w.controls()[static_cast<std::size_t>(order[0])].key(), "Picture1");
    EXPECT_EQ(w.controls()[static_cast<std::size_t>(order[1])].key(), "Text1(2)");
    EXPECT_EQ(w.controls()[static_cast<std::size_t>(order[2])].key(), "Command1");
}

TEST(FormResize, StretchesTheStripAndBrowserAboveTheThresholds) {
    struct Case {
        int width, height;
        bool heights, row, widths;
    };
    const Case cases[] = {
        {12900, 9000, true, true, true},    {12900, 1200, false, false, true}, {12900, 1201, true, false, true},
        {12900, 5565, true, false, true},   {12900, 5566, true, true, true},   {2535 + 300, 9000, true, true, false},
        {2535 + 301, 9000, true, true, true},
    };
    for (const Case& c : cases) {
        Loaded p;
        MainWindow& w = p.window;
        p.showTab(7);
        const Control before = w.control("WebBrowser1");
        const Control stripBefore = w.control("TabStrip1");
        const int rowBefore = w.control("Picture2", 3).top;
        w.outerWidth = c.width;
        w.outerHeight = c.height;
        w.Form_Resize();
        const Control& browser = w.control("WebBrowser1");
        const Control& strip = w.control("TabStrip1");
        EXPECT_EQ(browser.height, c.heights ? c.height - 1200 : before.height) << c.width << "x" << c.height;
        EXPECT_EQ(strip.height, c.heights ? c.height - 480 - 510 : stripBefore.height);
        EXPECT_EQ(browser.width, c.widths ? c.width - 300 - 2535 : before.width);
        EXPECT_EQ(strip.width, c.widths ? c.width - 120 : stripBefore.width);
        if (c.row) {
            const int top = c.height - 1095 - 600;
            for (int i = 0; i < 7; ++i) {
                EXPECT_EQ(w.control("Picture2", i).top, top);
                EXPECT_EQ(w.control("Picture2", i).left, i * (1815 + 20));
            }
        } else {
            EXPECT_EQ(w.control("Picture2", 3).top, rowBefore);
        }
    }
    Loaded p;
    p.window.windowState = WindowState::Minimized;
    p.window.outerWidth = 100;
    p.window.outerHeight = 100000;
    const int height = p.window.control("WebBrowser1").height;
    p.window.Form_Resize();
    EXPECT_EQ(p.window.control("WebBrowser1").height, height);
}

TEST(Language, SwitchesCaptionsAndOnlyThePlaceholders) {
    Loaded p;
    MainWindow& w = p.window;
    w.selectedTab = 2;
    w.setText("Des_Sito", -1, "Le mie vacanze");
    w.Image2_Click(1);
    EXPECT_EQ(w.text("Command1"), "Search ...");
    EXPECT_EQ(w.text("Titolo_Sito"), "Title of Web-Site");
    EXPECT_EQ(w.text("Des_Sito"), "Le mie vacanze");
    EXPECT_EQ(w.tabs[10], "Preview Web-Site");
    EXPECT_EQ(w.Text4(2).text, "N.Img.");
    EXPECT_EQ(w.text("Command2"), "HTML SFONDO");
    w.Image2_Click(0);
    EXPECT_EQ(w.text("Command1"), "Sfoglia ...");
    EXPECT_EQ(w.text("Titolo_Sito"), "Titolo del Sito");
    EXPECT_EQ(w.Text4(18).text, "Posizione Immagine Grande (80)  Y=");
    EXPECT_EQ(w.Text4(20).text, "Spaziatura verticale tra i Gruppi  (95)");
    // Re-showing a tab keeps the language on view.
    w.Image2_Click(1);
    p.showTab(4);
    EXPECT_EQ(w.text("Command1"), "Search ...");
    EXPECT_EQ(w.tabs[0], "Title");
}

}  // namespace
}  // namespace sb
