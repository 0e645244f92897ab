// A site the user made is never lost: it is read back as written or as an
// editor left it, and start-up, closing and the buttons keep what was typed.
#include <random>
#include <set>
#include <sstream>

#include "common/text.h"
#include "cramped_folder.h"
#include "fake_platform.h"
#include "site/home_page.h"
#include "site/site_reader.h"
#include "site/site_writer.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using Answer = Platform::Answer;

// Parameter sets the writer accepts, with awkward names and texts. The
// pieces never put an accented letter of the file right before a byte of
// the 0x80-0xBF row, so that no file is also UTF-8 (see fileText).
struct Generator {
    std::mt19937 random{20261207};
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    std::string pieces(const std::vector<const char*>& from, int most) {
        std::string out;
        for (int n = 1 + pick(most); n > 0; --n) out += from[static_cast<std::size_t>(pick(static_cast<int>(from.size())))];
        return out;
    }
    std::string name() {
        return pieces({"a", "Z", "0", " ", "'", "\"", "\u00e8", "5\u20ac", "\u00ff", "\u6771\u4eac", "\U0001F600", "&", "#", "%",
                       "\t", ".", "\u2028", "\x01", "$", "\u0081"}, 6) + ".jpg";
    }
    std::string text(bool lines) {
        std::vector<const char*> from = {"Le ", "mie", " foto", "'", "\"", "\\", "\u00e8", "5\u20ac", "\u6771", "\U0001F600", "&amp;",
                                         "&#8364;", "<b>", "</title>", "</strong>", "\t", "\x02", "  "};
        if (lines) from.insert(from.end(), {"\r\n", "\r\n\r\n", "<strong>"});
        return pieces(from, 8);
    }
    Value number() {
        static const char* const typed[] = {"0", "5", "-20", "135", "99999", "-0.5", "12.345", "0.000123", "1e21", "1E-7", "007", "3.25"};
        return readNumber(typed[pick(static_cast<int>(std::size(typed)))]);
    }
};

TEST(SiteReader, ReadsBackWhatTheWriterWrote) {
    Generator g;
    const std::string site = "/siti/il mio sito/";
    for (int round = 0; round < 400; ++round) {
        Parametri_Sito p = test::startDefaults(site);
        for (Value* v : {&p.MAX_NUM_ARG, &p.MAX_NUM_RIGHE, &p.MAX_NUM_IMG_RIGA, &p.POS_Y_GRUPPI, &p.ALT_GRUPPI, &p.LARGH_X_DIA,
                         &p.ALT_DIA, &p.POS_X_DIA, &p.POS_Y_DIA, &p.POS_Y_IMG, &p.POS_X_IMG_GRANDE, &p.POS_Y_IMG_GRANDE})
            *v = g.number();
        p.ALT_GRUPPI = " " + p.ALT_GRUPPI.toText() + " ";  // kept as the field's text
        for (std::string* picture : {&p.Nome_Immagine_Sfondo_Sito, &p.Nome_Immagine_Pulsanti_Argomenti, &p.Nome_Sfondo_Pagina_Immagini,
                                     &p.Nome_Immagine_Sfondo_Diapositiva, &p.Nome_Immagine_Testata, &p.Nome_Immagine_Sfondo_Fumetto_1,
                                     &p.Nome_Immagine_Pulsante_X_1, &p.Nome_Immagine_Pulsante_X_2})
            *picture = (g.pick(2) ? "C:\\foto\\" : "/home/ann/'x'/") + g.name();
        const std::string title = g.text(false), description = g.text(true);
        const std::string script = test::crlf(composeParameterScript(p).lines);
        const std::string page = test::crlf(composeHomePage(title, description, p.Nome_Immagine_Sfondo_Sito));
        SCOPED_TRACE(script + page);
        ASSERT_TRUE(isWrittenScript(script));

        const SiteReading r = readSite(script, page, {test::startDefaults(site), "", "", {}});
        EXPECT_TRUE(r.unread.empty());
        EXPECT_EQ(r.title, trimBlanks(title));
        EXPECT_EQ(r.description, trimBlanks(description));
        EXPECT_EQ(r.parametri.Nome_Immagine_Testata, site + siteFileName(p.Nome_Immagine_Testata));
        EXPECT_EQ(r.parametri.MAX_NUM_ARG, p.MAX_NUM_ARG);
        EXPECT_EQ(scriptNumber(r.parametri.ALT_GRUPPI), scriptNumber(p.ALT_GRUPPI));
        // Written again from what was read: the same bytes.
        EXPECT_EQ(test::crlf(composeParameterScript(r.parametri).lines), script);
        EXPECT_EQ(test::crlf(composeHomePage(r.title, r.description, r.parametri.Nome_Immagine_Sfondo_Sito)), page);
    }
}

// Files an editor saved: other spacing, blank lines, LF ends, UTF-8, double
// quotes, comments. What cannot be read keeps its default and is named.
TEST(SiteReader, ForgivesAnEditorAndNamesWhatItCannotRead) {
    const std::string header = "//" + std::string(90, '=') + "\n//======== Parametri del Sito =====\n";
    const std::string page = "<html><head>\n<TITLE>Caff\u00e8 - Layout creato da Velmora(c)</TITLE>\n</head><body>\n<strong>\n"
                             "  riga uno\n\ndue</strong></font>\n</marquee>\n</body></html>";
    struct Case { std::string script, page, numberOfGroups, header, title, description, unread; };
    const Case cases[] = {
        {header + "\n\n  var   MAX_NUM_ARG =7 ;  // groups\nvar Nome_Immagine_Testata = \"t\\u00e8sta.gif\"", page, "7",
         "/s/t\u00e8sta.gif", "Caff\u00e8", "riga uno\r\n\r\ndue", ""},
        {header + "let MAX_NUM_ARG=+.6e1\r\nvar Nome_Immagine_Testata='\xE8\\'.gif';\r\n", "", "6", "/s/\u00e8'.gif", "T", "D",
         "Titolo_Sito Des_Sito"},
        {header + "var MAX_NUM_ARG= 5x;\nvar Nome_Immagine_Testata='../altrove/x.gif';\nvar ALT_DIA='100';\nvar POS_Y_IMG=1e999;\n"
                  "var POS_X_DIA=\nvar Nome_Immagine_Sfondo_Sito='senza fine;\nvar LARGH_X_DIA= 1 2;",
         page, "5", "/app/TESTATE/Image5.jpg", "Caff\u00e8", "riga uno\r\n\r\ndue",
         "MAX_NUM_ARG ALT_DIA POS_X_DIA POS_Y_IMG LARGH_X_DIA Nome_Immagine_Sfondo_Sito Nome_Immagine_Testata"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_TRUE(isWrittenScript(c.script));
        SiteReading base{test::startDefaults("/s/", "/app"), "T", "D", {}};
        const SiteReading r = readSite(c.script, c.page.empty() ? std::nullopt : std::optional<std::string_view>(c.page), base);
        EXPECT_EQ(r.parametri.MAX_NUM_ARG.toText() + "|" + r.parametri.Nome_Immagine_Testata + "|" + r.title + "|" + r.description,
                  c.numberOfGroups + "|" + c.header + "|" + c.title + "|" + c.description);
        // Each value the script names, and the page's two, named exactly when unread.
        std::set<std::string> named;
        for (const std::string& name : r.unread)
            if (c.script.find(name) != std::string::npos || name == "Titolo_Sito" || name == "Des_Sito") named.insert(name);
        std::istringstream words(c.unread);
        EXPECT_EQ(named, std::set<std::string>(std::istream_iterator<std::string>(words), {}));
    }
    // Scripts this program did not write.
    for (const std::string script : {"", "var MAX_NUM_ARG= 5;", "//== Parametri del Sito ==", "// Parametri del Sito ===", "\xFF\xFE/\0/"}) {
        EXPECT_FALSE(isWrittenScript(script)) << script;
    }
}

// The program over a private copy of the application folder, the working
// directory being that folder (start-up takes the arrows and buttons there).
struct Kept : test::Program {
    Kept() : Program(true) { fs::current_path(app.str()); }
    ~Kept() { fs::current_path(saved); }
    const fs::path saved = fs::current_path();
    const std::string layout = app / "LAYOUT_01/";

    // A site of the user's own: other numbers and picture, a two-line description.
    Parametri_Sito writeUsersSite(const std::string& folder) {
        Parametri_Sito p = test::startDefaults(folder, app.str());
        p.MAX_NUM_ARG = 7, p.LARGH_X_DIA = 150, p.POS_Y_IMG = -20;
        p.Nome_Immagine_Testata = test::makeFile(photo("testa \u00e8.gif"), "GIF89a\x10\0\x10\0");
        EXPECT_TRUE(writeSite({p, "Le mie foto", "Riga uno\r\nRiga due", app.str(), app.str()}).complete());
        return p;
    }
    std::map<std::string, std::string> siteFiles(const std::string& folder) {
        auto files = test::filesUnder(folder);
        files.erase(folder + "index_TMP.htm");  // the preview's copy
        return files;
    }
    // Fields of several tabs, the test's folders left out of the paths.
    std::string fields() {
        std::string picture = window.text("Text1", 9);
        for (const std::string& folder : {photos / "altro sito/", app.str() + "/"})
            if (picture.starts_with(folder)) picture.erase(0, folder.size());
        return window.text("Text3") + "|" + window.text("Text7") + "|" + window.text("Text11") + "|" + picture + "|" +
               window.text("Titolo_Sito") + "|" + window.text("Des_Sito");
    }
};

TEST(SiteKept, StartUpWritesAgainTheSiteItFindsOrTheDefaultOne) {
    const std::string users = "7|150|-20|LAYOUT_01/testa \u00e8.gif|Le mie foto|Riga uno\r\nRiga due";
    const std::tuple<const char*, std::string, std::string, const char*> cases[] = {  // site, line edited to, fields, unread
        {"none", "", "5|135|200|TESTATE/Image5.jpg|Titolo del Sito|Descrizione del Sito", ""},
        {"the user's", "", users, ""},
        {"the user's, edited", "var MAX_NUM_ARG= sette;", "5" + users.substr(1), "MAX_NUM_ARG"},
    };
    for (const auto& [site, edited, shown, unread] : cases) {
        SCOPED_TRACE(site);
        Kept k;
        std::map<std::string, std::string> before;
        if (std::string(site) != "none") {
            k.writeUsersSite(k.layout);
            if (!edited.empty()) {
                std::string script = readFile(k.layout + "Parametri_by_Velmora.js");
                script.replace(script.find("var MAX_NUM_ARG= 7;"), 19, edited);
                test::makeFile(k.layout + "Parametri_by_Velmora.js", script);
            }
            before = k.siteFiles(k.layout);
        }
        k.window.Form_Load();
        EXPECT_EQ(k.fields(), shown);
        if (before.empty()) EXPECT_EQ(readFile(k.layout + "index.htm"), readFile(SB_SOURCE_DIR "/tests/unit/golden/index.htm"));
        else EXPECT_EQ(k.siteFiles(k.layout), before);
        ASSERT_EQ(k.platform.messages.size(), *unread ? 1u : 0u);
        EXPECT_TRUE(!*unread || k.platform.messages[0].text.find(std::string("\r\n") + unread + "\r\n") != std::string::npos);
        EXPECT_FALSE(k.window.hasUnwrittenChanges());
    }
}

// Committing tab 1 with another folder that holds a site asks whether to
// load it, in the window's language; the same folder again asks nothing.
TEST(SiteKept, AnotherFoldersSiteIsLoadedOnlyWhenTheUserSaysSo) {
    const std::tuple<bool, bool, bool, std::string> cases[] = {  // holds a site, English, Yes, fields afterwards
        {true, false, true, "7|150|-20|testa \u00e8.gif|Le mie foto|Riga uno\r\nRiga due"},
        {true, true, false, "6|135|200|TESTATE/Image5.jpg|Mio titolo|Description of Web-Site"},
        {false, false, true, "6|135|200|TESTATE/Image5.jpg|Mio titolo|Descrizione del Sito"},
    };
    for (const auto& [holdsSite, english, yes, shown] : cases) {
        SCOPED_TRACE(std::to_string(holdsSite) + std::to_string(english) + std::to_string(yes));
        Kept k;
        k.load(1);
        const std::string folder = k.photos / "altro sito";
        if (holdsSite) k.writeUsersSite(folder + "/");
        if (english) k.window.Image2_Click(1);
        k.window.setText("Text3", -1, "6");
        k.window.setText("Titolo_Sito", -1, " Mio titolo ");
        k.window.Text1(1).text = folder;  // no separator at the end: a folder all the same
        k.platform.yesNoAnswers = {yes};
        for (int commit = 0; commit < 2; ++commit) {
            k.state.Tab_Corrente = 1;
            k.window.Conferma_Variazione_Parametri();
        }
        EXPECT_EQ(k.state.Parametri.Cartella_Sito, folder + "/");
        EXPECT_EQ(k.fields(), shown);
        ASSERT_EQ(k.platform.questions.size(), holdsSite ? 1u : 0u);
        if (holdsSite) {
            EXPECT_EQ(k.platform.questions[0].text, std::string(kLoadSiteQuestion.in(english)) + "\r\n" + kFolderLine.in(english) + folder + "/");
            EXPECT_EQ(k.window.hasUnwrittenChanges(), !yes);
        }
    }
}

TEST(SiteKept, ClosingAsksBeforeTypedValuesAreLost) {
    const std::tuple<const char*, std::function<void(MainWindow&)>, std::optional<Answer>, bool, const char*> cases[] = {
        // what was done, the answer, whether the window closes, the width in the script
        {"nothing", [](MainWindow&) {}, std::nullopt, true, " 135"},
        {"the language switched", [](MainWindow& w) { w.Image2_Click(1); }, std::nullopt, true, " 135"},
        {"a width typed", [](MainWindow& w) { w.setText("Text7", -1, "150"); }, Answer::Yes, true, " 150"},
        {"a width typed", [](MainWindow& w) { w.setText("Text7", -1, "150"); }, Answer::No, true, " 135"},
        {"a title typed", [](MainWindow& w) { w.setText("Titolo_Sito", -1, "Nuovo"); }, Answer::Cancel, false, " 135"},
        {"a width committed", [](MainWindow& w) { w.setText("Text7", -1, "150"), w.selectTab(5); }, Answer::Yes, true, " 150"},
    };
    for (const auto& [what, change, answer, closes, width] : cases) {
        SCOPED_TRACE(what);
        Kept k;
        k.load(1);
        change(k.window);
        if (answer) k.platform.yesNoCancelAnswers = {*answer};
        EXPECT_EQ(k.window.mayClose(), closes);
        EXPECT_EQ(k.platform.questions.size(), answer ? 1u : 0u);
        EXPECT_NE(readFile(k.layout + "Parametri_by_Velmora.js").find("var LARGH_X_DIA=" + std::string(width) + ";"), std::string::npos);
        EXPECT_EQ(k.window.hasUnwrittenChanges(), answer && *answer != Answer::Yes);
    }
}

// The folders written last: most recent first, each once, ten at most, none gone.
TEST(SiteKept, RecentSites) {
    test::TempDir dir;
    std::vector<std::string> folders;
    for (int i = 0; i < 12; ++i) folders.push_back(dir / ("sito" + std::to_string(i)) + "/"), fs::create_directory(folders.back());
    const std::string gone = dir / "andato/";
    using List = std::vector<std::string>;
    const std::tuple<List, std::string, List> cases[] = {
        {{folders[0], folders[1], folders[2]}, folders[1], {folders[1], folders[0], folders[2]}},
        {{gone, folders[0]}, folders[1], {folders[1], folders[0]}},
        {List(folders.begin(), folders.begin() + 11), folders[11], {folders[11], folders[0], folders[1], folders[2], folders[3], folders[4],
                                                                     folders[5], folders[6], folders[7], folders[8]}},
    };
    for (const auto& [before, written, after] : cases) EXPECT_EQ(withRecentSite(before, written), after);
}

// The confirm button past start-up: where one click takes the user, when the
// site is written and joins the recent ones, and what the user is told.
TEST(ConfirmButton, OneClickByTab) {
    struct Case { int tab; bool automatic; int tabAfter, writings; bool announced; std::string heading = "terminata", line = ""; };
    const Case cases[] = {
        {1, false, 2, 1, false}, {2, false, 3, 1, false}, {3, false, 4, 1, false}, {4, false, 5, 1, false},
        {5, false, 6, 1, false}, {6, false, 7, 1, false}, {7, false, 8, 1, false}, {8, false, 9, 1, false},
        {9, false, 10, 0, false}, {10, false, 11, 2, true}, {11, false, 11, 1, true},
        {3, true, 3, 1, false}, {10, true, 10, 1, false}, {11, true, 11, 1, false},  // on the program's own behalf
        // A failed run stays in the working directory it had: the next site still finds its arrows there.
        {11, false, 11, 0, true, "non riuscita", "Impossibile creare la cartella "},
        {11, false, 11, 1, true, "incompleta", "Immagine non copiata: /nessuna/parte.jpg"},
    };
    Kept k;
    k.load(1);
    EXPECT_TRUE(k.platform.recentSites().empty()) << "start-up's own writing is no recent site";
    const test::TempDir root;
    const std::string site = root / "il mio sito/", gone = root / "andato/", app = k.app.str();
    k.window.Text1(1).text = site;
    for (const auto& c : cases) {
        SCOPED_TRACE("tab " + std::to_string(c.tab) + (c.automatic ? ", automatic " : " ") + c.heading);
        const bool done = c.heading == "terminata", failed = c.heading == "non riuscita";
        const std::string folder = failed ? root / "manca/sito/" : site;
        fs::remove_all(site);
        k.state.Parametri.Cartella_Sito = folder;
        k.state.Parametri.Nome_Immagine_Testata = done || failed ? app + "/TESTATE/Image5.jpg" : "/nessuna/parte.jpg";
        k.state.Esecuzione_Automatica = c.automatic;
        // A click from the application folder, on a platform that forgot all but the recent sites.
        fs::current_path(app);
        k.platform = test::FakePlatform(app);
        k.platform.setRecentSites({app, gone});
        int writings = 0;  // one seen while events run is taken away, so that the next one shows
        k.platform.onDoEvents = [&] { writings += fs::remove(folder + "Parametri_by_Velmora.js"); };
        k.window.selectedTab = c.tab;
        k.state.Tab_Corrente = static_cast<std::int16_t>(c.tab);
        k.window.Pulsante_Conferma_Click();
        test::FakePlatform& platform = k.platform;
        EXPECT_EQ(writings + fs::exists(folder + "Parametri_by_Velmora.js"), c.writings);
        EXPECT_EQ(platform.recentSites(), (c.writings ? std::vector{folder, app} : std::vector{app, gone}));
        EXPECT_EQ(std::make_tuple(k.window.selectedTab, int{k.state.Tab_Corrente}, int{k.state.Esecuzione_Automatica}, platform.busy, platform.beeps),
                  std::make_tuple(c.tabAfter, c.tabAfter, int{c.automatic}, false, c.announced ? 1 : 0));
        EXPECT_EQ(platform.openedPages, c.announced && !failed ? std::vector{folder + "index.htm"} : std::vector<std::string>{});
        EXPECT_TRUE(fs::equivalent(fs::current_path(), c.announced && done ? site : app));
        ASSERT_EQ(platform.messages.size(), c.announced ? 1u : 0u);
        if (!c.announced) continue;
        const std::string& text = platform.messages[0].text;
        const std::string head = "Registrazione Sito " + c.heading + " ! \r\nCartella " + folder;
        EXPECT_TRUE(done ? text == head : text.starts_with(head + "\r\n") && text.find("\r\n" + c.line) != std::string::npos) << text;
        EXPECT_EQ(platform.messages[0].title, kProgramName);
    }
}

}  // namespace
}  // namespace sb
