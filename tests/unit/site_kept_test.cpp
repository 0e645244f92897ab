// A site the user made is never lost: start-up writes the site it finds in
// the default folder again instead of the defaults, another folder's site
// may be loaded, closing asks before typed values go, and the folders
// written last are remembered.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cramped_folder.h"
#include "fake_platform.h"
#include "site/site_writer.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using Answer = Platform::Answer;

// The program over a private copy of the application folder, the working
// directory being that folder (start-up takes the arrows and buttons there).
struct Kept : test::Program {
    Kept() : Program(true) { fs::current_path(app.str()); }
    ~Kept() { fs::current_path(saved); }
    const fs::path saved = fs::current_path();
    const std::string layout = app / "LAYOUT_01/";

    // A site of the user's own: other numbers, another picture, a title and
    // a description of two lines.
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
        for (const std::string& folder : {photos / "altro sito/", app.str() + "/"}) {
            if (picture.starts_with(folder)) picture.erase(0, folder.size());
        }
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
        if (before.empty()) {
            for (const char* name : {"Parametri_by_Velmora.js", "index.htm"}) {
                EXPECT_EQ(readFile(k.layout + name), readFile(std::string(SB_SOURCE_DIR "/tests/unit/golden/") + name)) << name;
            }
        } else {
            EXPECT_EQ(k.siteFiles(k.layout), before);
        }
        ASSERT_EQ(k.platform.messages.size(), *unread ? 1u : 0u);
        if (*unread) {
            EXPECT_NE(k.platform.messages[0].text.find(std::string("\r\n") + unread + "\r\n"), std::string::npos);
        }
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

// Closing with values typed and not written asks first; the answer decides.
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

// The folders written last, most recent first, each once, ten at most,
// those gone left out; start-up's own writing is none of them.
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

    Kept k;
    k.load(11);
    EXPECT_TRUE(k.window.recentSiteFolders().empty());
    k.platform.setRecentSites({gone, folders[0]});
    k.window.Pulsante_Conferma_Click();
    EXPECT_EQ(k.platform.recentSites(), (List{k.layout, folders[0]}));
}

}  // namespace
}  // namespace sb
