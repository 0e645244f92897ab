// The sample pages (background, slide, groups) and the start-up routine that
// writes the first of them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/state.h"
#include "common/files.h"
#include "fake_platform.h"
#include "temp_dir.h"
#include "ui/main_window.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::FakePlatform;
using test::TempDir;

class ViewerPlatform : public FakePlatform {
public:
    ViewerPlatform(std::string app, std::string temporary) : FakePlatform(std::move(app)), temporary_(temporary + "/") {}
    std::string temporaryFolder() override { return temporary_; }

private:
    std::string temporary_;
};

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) { return files::readPrefix(path, 1 << 22).value_or("<missing>"); }

// A copy of the program's folder with its pictures, so that start-up and the
// pages may write beside them.
void copyApplication(const std::string& to) {
    for (const char* folder : {"SFONDI", "SFONDI_DIAPOSITIVE", "PULSANTI", "TESTATE"}) {
        fs::copy(std::string(SB_APP_DIR) + "/" + folder, to + "/" + folder, fs::copy_options::recursive);
    }
    for (const auto& entry : fs::directory_iterator(SB_APP_DIR)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".gif" || extension == ".jpg" || extension == ".png")) {
            fs::copy(entry.path(), to + "/" + entry.path().filename().string());
        }
    }
}

struct Program {
    TempDir app, temporary, photos;
    ViewerPlatform platform{app.str(), temporary.str()};
    Module1 state;
    MainWindow window{state, platform};

    // Loads the program; `withPictures` gives it a copy of the real program
    // folder, otherwise its folder is empty.
    explicit Program(bool withPictures = false) {
        if (withPictures) copyApplication(app.str());
    }
    void load(int tab = 2) {
        window.Form_Load();
        state.Caricamento_In_Corso = 0;
        state.Esecuzione_Automatica = 0;
        window.selectedTab = tab;
        platform.navigations.clear();
    }
    std::string photo(const std::string& name) const { return photos / name; }
    std::string lastNavigation() const { return platform.navigations.empty() ? "" : platform.navigations.back(); }
};

std::string crlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

std::string backgroundPageFor(const std::string& image) {
    return crlf({"<html>", "<head>", "<title>" + image + "</title>", "</head>", "<body background=\"" + image + "\"> ",
                 "<br>", "<br><br><br><br>" + image + "<br><br><br><br>", "<br>", "</body>", "</html>"});
}

TEST(SamplePages, DefaultsByteForByte) {
    Program p(true);
    p.load();
    const std::string a = p.app.str();
    const std::string slide = a + "/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01.gif";

    p.window.Command7_Click();
    const std::string slidePage = a + "/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01_Esempio_Sfondo7.htm";
    EXPECT_EQ(readFile(slidePage),
              crlf({"<html>", "<head>", "<title>" + slide + "</title>", "</head>",
                    "<body background=\"" + a + "/SFONDI/Tela_Vuota_Quadro_3_RID.jpg\"> ", "<br>",
                    "<div STYLE='position:absolute;top:190;left:100;'>",
                    "<img src=\"" + slide + "\" width=135 height=100>", "</div>",
                    "<div STYLE='position:absolute;top:200;left:110;'>",
                    "<img src=\"" + a + "/image1.jpg\" width=115 height=80>", "</div>",
                    "<br><br><h2>Esempio sfondo con diapositiva</h2><br><br><br><br>", "<br>", "</body>", "</html>"}));
    EXPECT_EQ(p.lastNavigation(), "file://" + slidePage);

    p.window.control("Picture1").height = 40 * 15;
    p.window.Command8_Click();
    const std::string button = "<img src=\"" + a + "/PULSANTI/Tela_Vuota_Quadro_3_200x152_RID.jpg\">";
    std::vector<std::string> lines = {"<html>", "<head>", "<title>" + slide + "</title>", "</head>",
                                      "<body background=\"" + a +
                                          "/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg\"> ",
                                      " ", "<h2>Esempio sfondo con Pulsanti Gruppi</h2><br><br><br><br>", "<br>"};
    for (const char* top : {"50", "100", "150", "200", "250"}) {
        lines.insert(lines.end(), {std::string("<div STYLE='position:absolute;top:") + top + ";left:100;'>", button,
                                   "</div>"});
    }
    lines.insert(lines.end(), {"<br>", "</body>", "</html>"});
    const std::string groupsPage = a + "/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01_Esempio_Sfondo8.htm";
    EXPECT_EQ(readFile(groupsPage), crlf(lines));
    EXPECT_EQ(p.lastNavigation(), "file://" + groupsPage);

    const std::string image = p.photo("tramonto.jpg");
    p.window.setText("Text1", 2, "  " + image + " ");
    p.window.Command2_Click();
    EXPECT_EQ(readFile(p.photo("tramonto.HTM")), backgroundPageFor(image));
    EXPECT_EQ(p.lastNavigation(), "file://" + p.photo("tramonto.HTM"));
    EXPECT_FALSE(p.platform.busy);
}

// Where the background page goes, for awkward image paths.
TEST(SamplePages, BackgroundPageLiesBesideItsImage) {
    struct Case {
        std::string image;  // under the photo folder
        std::string page;   // empty: no page is written
        std::string title;  // the title line as written, bytes
    };
    const Case cases[] = {
        {"tramonto.jpg", "tramonto.HTM", ""},
        {"foto.2007/mare.jpg", "foto.2007/mare.HTM", ""},
        {"many.dots.name.jpg", "many.HTM", ""},
        {"UP.JPG", "UP.HTM", ""},
        {"a b.jpg", "a b.HTM", ""},
        {"qu\"ote.gif", "qu\"ote.HTM", ""},
        {"r&d.png", "r&d.HTM", ""},
        {"caff\xC3\xA8.jpg", "caff\xC3\xA8.HTM", "caff\xE8.jpg"},
        {"\xD0\x96\xD0\xB0\xD1\x80.bmp", "\xD0\x96\xD0\xB0\xD1\x80.HTM", "&#1046;&#1072;&#1088;.bmp"},
        {"euro\xE2\x82\xAC.gif", "euro\xE2\x82\xAC.HTM", "euro\x80.gif"},
        {"noext", "", ""},
        {"foto.2007/noext", "", ""},
        {".jpg", ".HTM", ""},
    };
    for (const Case& c : cases) {
        Program p;
        p.load();
        fs::create_directories(p.photo("foto.2007"));
        const std::string image = p.photo(c.image);
        p.window.setText("Text1", 2, image);
        p.window.Command2_Click();
        if (c.page.empty()) {
            EXPECT_EQ(p.lastNavigation(), "file://" + image) << c.image;
            EXPECT_EQ(std::distance(fs::recursive_directory_iterator(p.photos.str()), {}), 1) << c.image;
            continue;
        }
        const std::string page = p.photo(c.page);
        EXPECT_EQ(p.lastNavigation(), "file://" + page) << c.image;
        const std::string bytes = readFile(page);
        const std::string title = p.photos.str() + "/" + (c.title.empty() ? c.image : c.title);
        EXPECT_EQ(bytes.substr(0, bytes.find("</title>")), "<html>\r\n<head>\r\n<title>" + title) << c.image;
        // Nothing is written anywhere else, and running again writes the same.
        EXPECT_TRUE(fs::is_empty(p.temporary.str())) << c.image;
        p.window.Command2_Click();
        EXPECT_EQ(readFile(page), bytes) << c.image;
    }
}

// A file of the page's name that the program did not write is never
// replaced: the page is shown from the program's temporary folder instead.
TEST(SamplePages, KeepsAUsersOwnFile) {
    enum Kind { OwnPage, UserPage, OtherImagesPage, Folder, LinkToUserFile, StartOnly };
    struct Case {
        const char* what;
        Kind kind;
        bool replaced;
    };
    const Case cases[] = {
        {"an older page of the same image", OwnPage, true},
        {"a page the user wrote", UserPage, false},
        {"the page of tramonto.gif", OtherImagesPage, false},
        {"a folder", Folder, false},
        {"a link to the user's file", LinkToUserFile, false},
        {"a file that starts like a page", StartOnly, false},
    };
    for (const Case& c : cases) {
        Program p;
        p.load();
        const std::string image = p.photo("tramonto.jpg");
        const std::string page = p.photo("tramonto.HTM");
        const std::string mine = "<html><body>I wrote this</body></html>\r\n";
        switch (c.kind) {
        case OwnPage: {
            const std::string full = backgroundPageFor(image);
            writeFile(page, full.substr(0, full.find("</title>\r\n") + 10) + "an older body\r\n");
            break;
        }
        case UserPage: writeFile(page, mine); break;
        case OtherImagesPage: writeFile(page, backgroundPageFor(p.photo("tramonto.gif"))); break;
        case Folder: fs::create_directory(page); break;
        case LinkToUserFile:
            writeFile(p.photo("mine.htm"), mine);
            fs::create_symlink(p.photo("mine.htm"), page);
            break;
        case StartOnly: writeFile(page, "<html>\r\n<head>\r\n"); break;
        }
        const std::string before = fs::is_directory(page) ? "" : readFile(page);
        p.window.setText("Text1", 2, image);
        p.window.Command2_Click();
        const std::string elsewhere = p.temporary / "tramonto.HTM";
        if (c.replaced) {
            EXPECT_EQ(readFile(page), backgroundPageFor(image)) << c.what;
            EXPECT_EQ(p.lastNavigation(), "file://" + page) << c.what;
            EXPECT_FALSE(fs::exists(elsewhere)) << c.what;
            continue;
        }
        if (c.kind != Folder) {
            EXPECT_EQ(readFile(page), before) << c.what;
        }
        EXPECT_EQ(fs::is_symlink(page), c.kind == LinkToUserFile) << c.what;
        EXPECT_EQ(readFile(elsewhere), backgroundPageFor(image)) << c.what;
        EXPECT_EQ(p.lastNavigation(), "file://" + elsewhere) << c.what;
        EXPECT_TRUE(p.platform.messages.empty()) << c.what;
    }
}

TEST(SamplePages, SlideAndGroupsPagesKeepAUsersOwnFileToo) {
    Program p;
    p.load(5);
    const std::string slide = p.photo("cornice.gif");
    p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = slide;
    for (const char* suffix : {"_Esempio_Sfondo7.htm", "_Esempio_Sfondo8.htm"}) {
        writeFile(p.photo(std::string("cornice") + suffix), "user's own\r\n");
    }
    p.window.Command7_Click();
    EXPECT_EQ(p.lastNavigation(), "file://" + p.temporary / "cornice_Esempio_Sfondo7.htm");
    p.window.Command8_Click();
    EXPECT_EQ(p.lastNavigation(), "file://" + p.temporary / "cornice_Esempio_Sfondo8.htm");
    for (const char* suffix : {"_Esempio_Sfondo7.htm", "_Esempio_Sfondo8.htm"}) {
        EXPECT_EQ(readFile(p.photo(std::string("cornice") + suffix)), "user's own\r\n");
        EXPECT_EQ(readFile(p.temporary / (std::string("cornice") + suffix)).substr(0, 8), "<html>\r\n");
    }
}

// A page that cannot be written is skipped; the browser goes to its address.
TEST(SamplePages, UnwritableFolderStillSendsTheBrowser) {
    struct Case {
        const char* what;
        bool readOnlyFolder;  // else: a "folder" that is a regular file
    };
    const Case cases[] = {{"a folder under a regular file", false}, {"a read-only folder", true}};
    for (const Case& c : cases) {
        if (c.readOnlyFolder && ::geteuid() == 0) continue;  // root writes anyway
        Program p;
        p.load();
        std::string folder = p.photo("locked");
        if (c.readOnlyFolder) {
            fs::create_directory(folder);
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        } else {
            writeFile(folder, "a file, not a folder");
        }
        p.window.setText("Text1", 2, folder + "/mare.jpg");
        p.window.Command2_Click();
        EXPECT_FALSE(fs::exists(folder + "/mare.HTM")) << c.what;
        EXPECT_EQ(p.lastNavigation(), "file://" + folder + "/mare.HTM") << c.what;
        p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = folder + "/cornice.gif";
        p.window.Command7_Click();
        EXPECT_EQ(p.lastNavigation(), "file://" + folder + "/cornice_Esempio_Sfondo7.htm") << c.what;
        p.window.Command8_Click();
        EXPECT_EQ(p.lastNavigation(), "file://" + folder + "/cornice_Esempio_Sfondo8.htm") << c.what;
        fs::permissions(folder, fs::perms::owner_all);
    }
}

TEST(SamplePages, SlideAndGroupsPagesAreNamedAfterTheSlideBackground) {
    struct Case {
        std::string slide;  // under the photo folder
        std::string stem;   // empty: no page, the browser gets "file://"
    };
    const Case cases[] = {
        {"cornice.gif", "cornice"},
        {"foto.2007/cornice.gif", "foto.2007/cornice"},
        {"cornice.oro.gif", "cornice"},
        {"cornice", ""},
        {"foto.2007/cornice", ""},
    };
    for (const Case& c : cases) {
        Program p;
        p.load(4);
        fs::create_directories(p.photo("foto.2007"));
        p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = p.photo(c.slide);
        p.window.Command7_Click();
        const std::string slidePage = c.stem.empty() ? "" : p.photo(c.stem + "_Esempio_Sfondo7.htm");
        EXPECT_EQ(p.lastNavigation(), "file://" + slidePage) << c.slide;
        p.window.Command8_Click();
        const std::string groupsPage = c.stem.empty() ? "" : p.photo(c.stem + "_Esempio_Sfondo8.htm");
        EXPECT_EQ(p.lastNavigation(), "file://" + groupsPage) << c.slide;
        if (c.stem.empty()) continue;
        EXPECT_TRUE(files::isRegularFile(slidePage)) << c.slide;
        EXPECT_TRUE(files::isRegularFile(groupsPage)) << c.slide;
    }
}

TEST(SamplePages, GroupsPageButtons) {
    struct Case {
        double groups;
        int pictureTwips;
        std::vector<std::string> tops;  // the first ones
        std::size_t count;
    };
    const Case cases[] = {
        {5, 600, {"50", "100", "150", "200", "250"}, 5},
        {0, 600, {}, 0},
        {-3, 600, {}, 0},
        {2.5, 600, {"50", "100"}, 2},
        // A box of a fraction of a pixel: single precision, plain decimal.
        {4, 100, {"50", "66.66667", "83.33334", "100"}, 4},
        {3, 0, {"50", "60", "70"}, 3},
        // A huge number of groups writes a page of 1000 buttons.
        {1e9, 15, {"50", "61", "72"}, 1000},
        {32767, 15, {"50"}, 1000},
    };
    for (const Case& c : cases) {
        Program p;
        p.load(3);
        p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = p.photo("cornice.gif");
        p.state.Parametri.MAX_NUM_ARG = c.groups;
        p.window.control("Picture1").height = c.pictureTwips;
        p.window.Command8_Click();
        const std::string page = readFile(p.photo("cornice_Esempio_Sfondo8.htm"));
        std::vector<std::string> tops;
        const std::string marker = "<div STYLE='position:absolute;top:";
        for (std::size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at + 1)) {
            const std::size_t start = at + marker.size();
            tops.push_back(page.substr(start, page.find(';', start) - start));
        }
        EXPECT_EQ(tops.size(), c.count) << c.groups;
        tops.resize(std::min(tops.size(), c.tops.size()));
        EXPECT_EQ(tops, c.tops) << c.groups;
        EXPECT_EQ(page.substr(page.size() - 24), "<br>\r\n</body>\r\n</html>\r\n") << c.groups;
    }
}

TEST(SamplePages, SlideAndGroupsPagesWaitForTheUsersFirstClick) {
    Program p;
    p.load(4);
    p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = p.photo("cornice.gif");
    p.state.Esecuzione_Automatica = 1;
    p.window.Command7_Click();
    p.window.Command8_Click();
    EXPECT_TRUE(p.platform.navigations.empty());
    EXPECT_TRUE(fs::is_empty(p.photos.str()));
    // The background page does not wait.
    p.window.setText("Text1", 4, p.photo("mare.jpg"));
    p.window.Command2_Click();
    EXPECT_EQ(p.lastNavigation(), "file://" + p.photo("mare.HTM"));
}

TEST(SamplePages, SlidePageTakesTheStoredValues) {
    Program p;
    p.load(5);
    Parametri_Sito& s = p.state.Parametri;
    s.Nome_Immagine_Sfondo_Diapositiva = p.photo("c.gif");
    s.Nome_Sfondo_Pagina_Immagini = "G.jpg";
    s.LARGH_X_DIA = 0.5;
    s.ALT_DIA = -7;
    s.POS_Y_DIA = 12.25;
    s.POS_Y_IMG = -3;
    p.state.POS_X_IMG = 42;
    p.window.setText("Text7", -1, "999");  // typed, not stored
    p.window.Command7_Click();
    const std::string page = readFile(p.photo("c_Esempio_Sfondo7.htm"));
    for (const std::string line : {"<body background=\"G.jpg\"> \r\n",
                                   "<div STYLE='position:absolute;top:12.25;left:100;'>\r\n",
                                   " width=0.5 height=-7>\r\n",
                                   "<div STYLE='position:absolute;top:-3;left:42;'>\r\n",
                                   "/image1.jpg\" width=-19.5 height=-27>\r\n"}) {
        EXPECT_NE(page.find(line), std::string::npos) << line;
    }
}

// Start-up on a copy of the program's folder.
TEST(Startup, PutsTheDefaultBackgroundOnViewAndVisitsEveryTab) {
    Program p(true);
    p.window.Form_Load();
    const std::string a = p.app.str();
    EXPECT_EQ(p.state.Cartella_Img, a + "/SFONDI/");
    EXPECT_EQ(p.window.Lista_Immagini[1], "Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg");
    EXPECT_EQ(p.state.N_Img, 1);
    EXPECT_EQ(p.state.Img_Corrente, 1);
    EXPECT_EQ(p.window.text("Text2"), "1");
    EXPECT_EQ(p.window.title, "Site Builder 1/1");
    EXPECT_EQ(p.state.Tab_Corrente, 1);
    EXPECT_EQ(p.state.Caricamento_In_Corso, 0);
    EXPECT_EQ(p.state.Esecuzione_Automatica, 1);
    EXPECT_FALSE(p.platform.busy);
    EXPECT_EQ(p.window.text("Text1", 2), a + "/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg");
    // The slide and groups pages were written while the flag was still down;
    // the groups page steps by the button picture (152 pixels high).
    const std::string stem = a + "/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01_Esempio_Sfondo";
    EXPECT_TRUE(files::isRegularFile(stem + "7.htm"));
    const std::string groups = readFile(stem + "8.htm");
    EXPECT_NE(groups.find("top:50;"), std::string::npos);
    EXPECT_NE(groups.find("top:212;"), std::string::npos);
    EXPECT_NE(groups.find("top:698;"), std::string::npos);
    EXPECT_EQ(groups.find("top:860;"), std::string::npos);
    // Nothing but the pages went into the picture folders.
    EXPECT_EQ(std::distance(fs::directory_iterator(a + "/SFONDI_DIAPOSITIVE"), {}), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(a + "/SFONDI"), {}), 2);
    EXPECT_TRUE(fs::is_empty(p.temporary.str()));
}

TEST(Startup, MissingBackgroundListsNothing) {
    Program p;
    p.window.Form_Load();
    EXPECT_EQ(p.state.N_Img, 0);
    EXPECT_EQ(p.state.Img_Corrente, 1);
    EXPECT_EQ(p.window.title, "Site Builder 1/0");
    EXPECT_EQ(p.window.Lista_Immagini[1], "");
    EXPECT_EQ(p.state.Tab_Corrente, 1);
    EXPECT_EQ(p.state.Caricamento_In_Corso, 0);
    EXPECT_EQ(p.state.Esecuzione_Automatica, 1);
    EXPECT_FALSE(p.platform.busy);
}

}  // namespace
}  // namespace sb
