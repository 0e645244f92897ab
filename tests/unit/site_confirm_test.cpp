// The confirm button of the Main Window: where one click takes the user, when
// the site is written, and what the user is told.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::FakePlatform;
using test::readFile;

// The program past start-up over a private copy of the application folder's
// pictures (start-up writes beside them), the working directory being that
// folder, the site going to a folder of the test's own.
class ConfirmButton : public testing::Test, protected test::Program {
protected:
    ConfirmButton() : Program(true) {}
    void SetUp() override {
        fs::current_path(app.str());
        load(1);
        state.Parametri.Cartella_Sito = window.Text1(1).text = site;
    }
    void TearDown() override { fs::current_path(savedDirectory); }

    // A click from the application folder, on a platform that forgot what came before.
    void clickOn(int tab, std::function<void()> onEvents = {}) {
        fs::current_path(app.str());
        platform = FakePlatform(app.str());
        platform.onDoEvents = std::move(onEvents);
        window.selectedTab = tab;
        state.Tab_Corrente = static_cast<std::int16_t>(tab);
        window.Pulsante_Conferma_Click();
    }

    const fs::path savedDirectory = fs::current_path();
    test::TempDir root;
    const std::string site = root / "il mio sito/";
    const std::string done = "Registrazione Sito terminata ! \r\nCartella " + site;
};

TEST_F(ConfirmButton, OneClickByTab) {
    struct Case { int tab; bool automatic; int tabAfter, writings; bool announced; };
    const Case cases[] = {
        {1, false, 2, 1, false}, {2, false, 3, 1, false}, {3, false, 4, 1, false}, {4, false, 5, 1, false},
        {5, false, 6, 1, false}, {6, false, 7, 1, false}, {7, false, 8, 1, false}, {8, false, 9, 1, false},
        {9, false, 10, 0, false}, {10, false, 11, 2, true}, {11, false, 11, 1, true},
        {3, true, 3, 1, false}, {10, true, 10, 1, false}, {11, true, 11, 1, false},  // on the program's own behalf
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("tab " + std::to_string(c.tab) + (c.automatic ? ", automatic" : ""));
        fs::remove_all(site);
        state.Esecuzione_Automatica = c.automatic;
        int writings = 0;  // one seen while events run is taken away, so that the next one shows
        clickOn(c.tab, [&] { writings += fs::remove(site + "Parametri_by_Velmora.js"); });
        EXPECT_EQ(writings + fs::exists(site + "Parametri_by_Velmora.js"), c.writings);
        EXPECT_EQ(std::make_tuple(window.selectedTab, int{state.Tab_Corrente}, int{state.Esecuzione_Automatica}, platform.busy, platform.beeps),
                  std::make_tuple(c.tabAfter, c.tabAfter, int{c.automatic}, false, c.announced ? 1 : 0));
        EXPECT_EQ(platform.openedPages, c.announced ? std::vector<std::string>{site + "index.htm"} : std::vector<std::string>{});
        EXPECT_TRUE(fs::equivalent(fs::current_path(), c.announced ? site : app.str()));
        ASSERT_EQ(platform.messages.size(), c.announced ? 1u : 0u);
        if (c.announced) {
            EXPECT_EQ(platform.messages[0].text + " | " + platform.messages[0].title, done + " | " + kProgramName);
        }
    }
}

TEST_F(ConfirmButton, AdvancingCommitsTheTabEnteredNotTheTabLeft) {
    window.setText("Text3", -1, "7");  // tab 3: number of groups
    window.setText("Text5", -1, "3");  // tab 4: rows
    clickOn(3);
    const std::string script = readFile(site + "Parametri_by_Velmora.js");
    EXPECT_NE(script.find("\r\nvar MAX_NUM_ARG= 5;\r\nvar MAX_NUM_RIGHE= 3;\r\n"), std::string::npos) << script;
}

// A failed run also stays in the working directory it had: the next site
// still finds its arrows and group buttons there.
TEST_F(ConfirmButton, AnnouncedFailureNamesWhatFailedAndOpensNothing) {
    const std::tuple<std::string, std::string, std::string, bool> cases[] = {  // folder, heading, a line, the page opened
        {root / "manca/sito/", "non riuscita", "Impossibile creare la cartella ", false},
        {root / "sito buono/", "incompleta", "Immagine non copiata: /nessuna/parte.jpg", true},
    };
    for (const auto& [folder, heading, named, pageOpened] : cases) {
        SCOPED_TRACE(folder);
        state.Parametri.Cartella_Sito = folder;
        state.Parametri.Nome_Immagine_Testata = pageOpened ? "/nessuna/parte.jpg" : app / "TESTATE/Image5.jpg";
        clickOn(11);
        ASSERT_EQ(platform.messages.size(), 1u);
        const std::string& text = platform.messages[0].text;
        EXPECT_TRUE(text.starts_with("Registrazione Sito " + heading + " ! \r\nCartella " + folder + "\r\n")) << text;
        EXPECT_NE(text.find("\r\n" + named), std::string::npos) << text;
        EXPECT_EQ(std::make_tuple(platform.openedPages.size(), platform.busy), std::make_tuple(pageOpened ? 1u : 0u, false));
        EXPECT_TRUE(fs::equivalent(fs::current_path(), app.str()));
    }
}

}  // namespace
}  // namespace sb
