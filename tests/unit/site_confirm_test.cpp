// The confirm button of the Main Window: where one click takes the user, when
// the site is written, and what the user is told.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/state.h"
#include "fake_platform.h"
#include "ui/main_window.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::FakePlatform;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The program loaded over a private copy of the application folder's
// pictures, the working directory being that folder, and the user past
// start-up on some tab.
class ConfirmButton : public testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        savedDirectory_ = fs::current_path();
        root_ = fs::temp_directory_path() /
                ("sb-site-confirm-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(root_);
        app = (root_ / "app").string();
        site = (root_ / "il mio sito").string() + "/";
        fs::create_directories(app);
        for (const auto& entry : fs::directory_iterator(SB_APP_DIR)) {
            const std::string name = entry.path().filename().string();
            const bool picture = entry.path().extension() == ".gif" || entry.path().extension() == ".jpg";
            if (entry.is_directory() && name != "LAYOUT_01" && name[0] != '.') {
                fs::copy(entry.path(), fs::path(app) / name, fs::copy_options::recursive);
            } else if (entry.is_regular_file() && picture) {
                fs::copy_file(entry.path(), fs::path(app) / name);
            }
        }
        fs::current_path(app);

        platform = std::make_unique<FakePlatform>(app);
        window = std::make_unique<MainWindow>(state, *platform);
        window->Form_Load();
        state.Caricamento_In_Corso = 0;
        state.Esecuzione_Automatica = 0;
        Parametri_Sito& p = state.Parametri;
        p.Cartella_Sito = site;
        // The fields hold what the parameters hold, as after start-up.
        window->Text1(1).text = p.Cartella_Sito;
        window->Text1(2).text = p.Nome_Immagine_Sfondo_Sito;
        window->Text1(3).text = p.Nome_Immagine_Pulsanti_Argomenti;
        window->Text1(4).text = p.Nome_Sfondo_Pagina_Immagini;
        window->Text1(5).text = p.Nome_Immagine_Sfondo_Diapositiva;
        window->Text1(8).text = p.Nome_Immagine_Pulsante_X_1;
        window->Text1(9).text = p.Nome_Immagine_Testata;
        window->Text1(10).text = p.Nome_Immagine_Sfondo_Fumetto_1;
        *platform = FakePlatform(app);  // forget what start-up asked for
    }

    void TearDown() override {
        std::error_code ec;
        fs::current_path(savedDirectory_, ec);
        fs::remove_all(root_, ec);
    }

    void standOn(int tab) {
        window->selectedTab = tab;
        state.Tab_Corrente = static_cast<std::int16_t>(tab);
    }

    // Clicks the button and counts the writings of the site: a writing
    // seen while events run is taken away, so that the next one shows.
    int clickCountingWritings() {
        const std::string script = site + "Parametri_by_Velmora.js";
        int writings = 0;
        platform->onDoEvents = [&] {
            if (fs::exists(script)) {
                ++writings;
                fs::remove(script);
            }
        };
        window->Pulsante_Conferma_Click();
        platform->onDoEvents = nullptr;
        if (fs::exists(script)) ++writings;
        return writings;
    }

    std::string done() const { return "Registrazione Sito terminata ! \r\nCartella " + site; }

    Module1 state;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<MainWindow> window;
    std::string app;
    std::string site;

private:
    fs::path root_;
    fs::path savedDirectory_;
};

TEST_F(ConfirmButton, OneClickByTab) {
    struct Case {
        int tab;
        int tabAfter;
        int writings;
        bool announced;
    };
    const Case cases[] = {
        {1, 2, 1, false}, {2, 3, 1, false}, {3, 4, 1, false},  {4, 5, 1, false},  {5, 6, 1, false},
        {6, 7, 1, false}, {7, 8, 1, false}, {8, 9, 1, false},  {9, 10, 0, false}, {10, 11, 2, true},
        {11, 11, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("clicked on tab " + std::to_string(c.tab));
        fs::remove_all(site);
        fs::current_path(app);
        *platform = FakePlatform(app);
        standOn(c.tab);

        EXPECT_EQ(clickCountingWritings(), c.writings);
        EXPECT_EQ(window->selectedTab, c.tabAfter);
        EXPECT_EQ(state.Tab_Corrente, c.tabAfter);
        EXPECT_EQ(state.Esecuzione_Automatica, 0);
        EXPECT_FALSE(platform->busy);
        if (c.announced) {
            EXPECT_EQ(platform->beeps, 1);
            ASSERT_EQ(platform->messages.size(), 1u);
            EXPECT_EQ(platform->messages[0].text, done());
            EXPECT_EQ(platform->messages[0].title, kProgramName);
            EXPECT_EQ(platform->openedPages, std::vector<std::string>{site + "index.htm"});
            EXPECT_TRUE(fs::equivalent(fs::current_path(), site));
        } else {
            EXPECT_EQ(platform->beeps, 0);
            EXPECT_TRUE(platform->messages.empty());
            EXPECT_TRUE(platform->openedPages.empty());
            EXPECT_TRUE(fs::equivalent(fs::current_path(), app));
        }
    }
}

TEST_F(ConfirmButton, OnItsOwnBehalfWritesWithoutMovingOrAWord) {
    for (int tab : {3, 10, 11}) {
        SCOPED_TRACE("tab " + std::to_string(tab));
        fs::remove_all(site);
        *platform = FakePlatform(app);
        standOn(tab);
        state.Esecuzione_Automatica = 1;
        EXPECT_EQ(clickCountingWritings(), 1);
        EXPECT_EQ(window->selectedTab, tab);
        EXPECT_EQ(state.Esecuzione_Automatica, 1);
        EXPECT_TRUE(platform->messages.empty());
        EXPECT_EQ(platform->beeps, 0);
        EXPECT_TRUE(platform->openedPages.empty());
        EXPECT_TRUE(fs::equivalent(fs::current_path(), app));
    }
}

TEST_F(ConfirmButton, AdvancingCommitsTheTabEnteredNotTheTabLeft) {
    standOn(3);
    window->setText("Text3", -1, "7");  // tab 3: number of groups
    window->setText("Text5", -1, "3");  // tab 4: rows
    window->Pulsante_Conferma_Click();
    const std::string script = readFile(site + "Parametri_by_Velmora.js");
    EXPECT_NE(script.find("\r\nvar MAX_NUM_ARG= 5;\r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\r\nvar MAX_NUM_RIGHE= 3;\r\n"), std::string::npos) << script;
}

TEST_F(ConfirmButton, AnnouncedRunFromTheSiteFolderReportsNoSameFileCopies) {
    standOn(11);
    window->Pulsante_Conferma_Click();
    ASSERT_TRUE(fs::equivalent(fs::current_path(), site));
    // The fixed pictures now come from the site folder itself.
    *platform = FakePlatform(app);
    window->Pulsante_Conferma_Click();
    ASSERT_EQ(platform->messages.size(), 1u);
    EXPECT_EQ(platform->messages[0].text, done());
    for (const char* name : {"Icona_Avanti_1.gif", "Icona_Indietro_2.gif", "Pulsante_01.gif", "Pulsante_10.gif"}) {
        EXPECT_EQ(readFile(site + name), readFile(app + "/" + name)) << name;
    }
}

TEST_F(ConfirmButton, AnnouncedFailureNamesWhatFailedAndOpensNothing) {
    struct Case {
        std::string folder;  // relative to the application folder's parent
        bool pageOpened;
        std::string heading;
        std::string named;
    };
    const std::string under = app + "/../";
    const Case cases[] = {
        {"manca/sito/", false, "Registrazione Sito non riuscita ! ", "Impossibile creare la cartella "},
        {"app/blank.gif/sito/", false, "Registrazione Sito non riuscita ! ", "Impossibile scrivere il file "},
        {"sito buono/", true, "Registrazione Sito incompleta ! ", "Immagine non copiata: /nessuna/parte.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        fs::current_path(app);
        *platform = FakePlatform(app);
        state.Parametri.Cartella_Sito = under + c.folder;
        state.Parametri.Nome_Immagine_Testata = c.pageOpened ? "/nessuna/parte.jpg" : app + "/TESTATE/Image5.jpg";
        standOn(11);
        window->Pulsante_Conferma_Click();
        ASSERT_EQ(platform->messages.size(), 1u);
        const std::string& text = platform->messages[0].text;
        EXPECT_EQ(text.rfind(c.heading + "\r\nCartella " + under + c.folder + "\r\n", 0), 0u) << text;
        EXPECT_NE(text.find("\r\n" + c.named), std::string::npos) << text;
        EXPECT_EQ(platform->openedPages.size(), c.pageOpened ? 1u : 0u);
        EXPECT_FALSE(platform->busy);
    }
}

}  // namespace
}  // namespace sb
