// The sample pages (background, slide, groups) and the start-up routine that writes the first of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "fake_platform.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using test::crlf;
using test::Program;
using test::readFile;

// The default background is the one picture on view after start-up (none
// when the application folder lacks it); the start-up pass writes the slide
// and groups pages, with buttons as high as the group button picture, and
// nothing else beside the pictures.
TEST(Startup, PutsTheDefaultBackgroundOnView) {
    Program e;
    e.window.Form_Load();
    EXPECT_EQ(std::make_tuple(e.state.N_Img, e.state.Img_Corrente, e.window.title, e.window.Lista_Immagini[1]),
              std::make_tuple(0, 1, "Site Builder 1/0", ""));
    Program p(true);
    p.window.Form_Load();
    const std::string a = p.app.str(), name = "Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg";
    EXPECT_EQ(std::make_tuple(p.state.Cartella_Img, p.window.Lista_Immagini[1], p.window.text("Text1", 2), p.state.N_Img,
                              p.state.Img_Corrente, p.window.text("Text2"), p.window.title),
              std::make_tuple(a + "/SFONDI/", name, a + "/SFONDI/" + name, 1, 1, "1", "Site Builder 1/1"));
    const std::string groupsPage = readFile(a + "/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01_Esempio_Sfondo8.htm");
    for (const char* top : {"top:50;", "top:212;", "top:698;"}) EXPECT_NE(groupsPage.find(top), std::string::npos) << top;
    EXPECT_EQ(groupsPage.find("top:860;"), std::string::npos) << "five groups by default";
    EXPECT_EQ(std::distance(fs::directory_iterator(a + "/SFONDI_DIAPOSITIVE"), {}), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(a + "/SFONDI"), {}), 2);
    EXPECT_TRUE(fs::is_empty(p.platform.temporaryFolder()));
}

// The slide page takes the stored values, not the typed ones.
TEST(SamplePages, AreTheDocumentedLines) {
    Program p;
    p.load();
    const std::string a = p.app.str(), slide = p.photo("cornice.gif"), image = p.photo("tramonto.jpg");
    Parametri_Sito& stored = p.state.Parametri = test::startDefaults("/sito/", a);
    stored.Nome_Immagine_Sfondo_Diapositiva = slide;
    std::tie(stored.LARGH_X_DIA, stored.ALT_DIA, stored.POS_Y_DIA, stored.POS_Y_IMG, p.state.POS_X_IMG) = std::make_tuple(0.5, -7, 12.25, -3, 42);
    p.window.setText("Text7", -1, "999");
    p.window.Command7_Click();
    EXPECT_EQ(readFile(p.photo("cornice_Esempio_Sfondo7.htm")),
              crlf({"<html>", "<head>", "<title>" + slide + "</title>", "</head>",
                    "<body background=\"" + a + "/SFONDI/Tela_Vuota_Quadro_3_RID.jpg\"> ", "<br>",
                    "<div STYLE='position:absolute;top:12.25;left:100;'>", "<img src=\"" + slide + "\" width=0.5 height=-7>", "</div>",
                    "<div STYLE='position:absolute;top:-3;left:42;'>", "<img src=\"" + a + "/image1.jpg\" width=-19.5 height=-27>",
                    "</div>", "<br><br><h2>Esempio sfondo con diapositiva</h2><br><br><br><br>", "<br>", "</body>", "</html>"}));
    p.window.edit("Picture1").height = 40 * 15;
    p.window.Command8_Click();
    Strings lines = {"<html>", "<head>", "<title>" + slide + "</title>", "</head>",
                     "<body background=\"" + a + "/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg\"> ", " ",
                     "<h2>Esempio sfondo con Pulsanti Gruppi</h2><br><br><br><br>", "<br>"};
    for (const char* top : {"50", "100", "150", "200", "250"}) {
        lines.insert(lines.end(), {std::string("<div STYLE='position:absolute;top:") + top + ";left:100;'>",
                                   "<img src=\"" + a + "/PULSANTI/Tela_Vuota_Quadro_3_200x152_RID.jpg\">", "</div>"});
    }
    lines.insert(lines.end(), {"<br>", "</body>", "</html>"});
    EXPECT_EQ(readFile(p.photo("cornice_Esempio_Sfondo8.htm")), crlf(lines));
    p.window.setText("Text1", 2, "  " + image + " ");
    p.window.Command2_Click();
    EXPECT_EQ(readFile(p.photo("tramonto.HTM")), crlf({"<html>", "<head>", "<title>" + image + "</title>", "</head>",
                                                      "<body background=\"" + image + "\"> ", "<br>",
                                                      "<br><br><br><br>" + image + "<br><br><br><br>", "<br>", "</body>", "</html>"}));
    EXPECT_FALSE(p.platform.busy);
}

// The background, slide and groups pages of one picture, for awkward paths.
TEST(SamplePages, LieBesideThePictureNamedUpToTheFileNamesFirstDot) {
    const std::tuple<std::string, std::string, std::string> cases[] = {  // picture, stem (none: no page), title when not the path
        {"tramonto.jpg", "tramonto", ""}, {"foto.2007/mare.jpg", "foto.2007/mare", ""}, {"many.dots.name.jpg", "many", ""},
        {"qu\"ote & r.GIF", "qu\"ote & r", "qu&quot;ote &amp; r.GIF"},
        {"<img src=x onerror='alert(1)'>.jpg", "<img src=x onerror='alert(1)'>", "&lt;img src=x onerror=&#39;alert(1)&#39;&gt;.jpg"},
        {"\xD0\x96\xD0\xB0\xD1\x80.bmp", "\xD0\x96\xD0\xB0\xD1\x80", "&#1046;&#1072;&#1088;.bmp"},
        {"a file/mare.jpg", "a file/mare", ""}, {"noext", "", ""}, {"foto.2007/noext", "", ""},
    };
    for (const auto& [name, stem, titled] : cases) {
        Program p;
        p.load();
        fs::create_directories(p.photo("foto.2007"));
        test::makeFile(p.photo("a file"), "not a folder");
        const std::string picture = p.photo(name), title = p.photo(titled.empty() ? name : titled);
        const bool written = !stem.empty() && !name.starts_with("a file");
        p.window.setText("Text1", 2, picture);
        p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = picture;
        p.state.Esecuzione_Automatica = 1;  // the slide and groups pages wait for the user's first click
        for (auto press : {&MainWindow::Command2_Click, &MainWindow::Command7_Click, &MainWindow::Command8_Click}) (p.window.*press)();
        p.state.Esecuzione_Automatica = 0;
        p.window.Command7_Click();
        p.window.Command8_Click();
        const auto pageOf = [&](const std::string& end) { return stem.empty() ? std::string() : p.photo(stem + end); };
        const Strings pages = {pageOf(".HTM"), pageOf("_Esempio_Sfondo7.htm"), pageOf("_Esempio_Sfondo8.htm")};
        EXPECT_EQ(p.platform.navigations, (Strings{"file://" + (stem.empty() ? picture : pages[0]), "file://" + pages[1], "file://" + pages[2]}));
        const std::string head = "<html>\r\n<head>\r\n<title>" + title + "</title>\r\n";
        for (const std::string& page : pages) EXPECT_EQ(readFile(page).substr(0, head.size()), written ? head : "") << page;
        EXPECT_TRUE(fs::is_empty(p.platform.temporaryFolder())) << name;
        EXPECT_EQ(std::distance(fs::recursive_directory_iterator(p.photos.str()), {}), written ? 5 : 2) << name;
    }
}

// A file of a page's name that the program did not write for the same picture is never replaced: the page
// goes into the program's temporary folder instead.
TEST(SamplePages, KeepAUsersOwnFile) {
    enum Kind { OlderPage, UserPage, OtherPicturesPage, StartOnly, Folder, LinkToUserFile };
    for (const Kind kind : {OlderPage, UserPage, OtherPicturesPage, StartOnly, Folder, LinkToUserFile}) {
        for (auto press : {&MainWindow::Command2_Click, &MainWindow::Command7_Click, &MainWindow::Command8_Click}) {
            Program p;
            p.load();
            const auto show = [&](const std::string& name) {
                p.window.setText("Text1", 2, p.photo(name));
                p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = p.photo(name);
                (p.window.*press)();
                return p.platform.navigations.back().substr(7);
            };
            const std::string page = show("tramonto.jpg"), fresh = readFile(page), mine = "<html><body>mine</body></html>";
            fs::remove(page);
            switch (kind) {
            case OlderPage: test::makeFile(page, fresh.substr(0, fresh.find("</title>\r\n") + 10) + "an older body\r\n"); break;
            case UserPage: test::makeFile(page, mine); break;
            case OtherPicturesPage: show("tramonto.gif"); break;
            case StartOnly: test::makeFile(page, "<html>\r\n<head>\r\n"); break;
            case Folder: fs::create_directory(page); break;
            case LinkToUserFile: test::makeFile(p.photo("mine.htm"), mine); fs::create_symlink(p.photo("mine.htm"), page); break;
            }
            const bool replaced = kind == OlderPage;
            const std::string before = readFile(page), elsewhere = p.platform.temporaryFolder() + fs::path(page).filename().string();
            SCOPED_TRACE(page.substr(page.rfind('/')) + " case " + std::to_string(kind));
            EXPECT_EQ(show("tramonto.jpg"), replaced ? page : elsewhere);
            EXPECT_EQ(std::make_tuple(readFile(page), readFile(elsewhere), fs::is_symlink(page), p.platform.messages.size()),
                      replaced ? std::make_tuple(fresh, std::string(""), false, 0ul) : std::make_tuple(before, fresh, kind == LinkToUserFile, 0ul));
        }
    }
}

TEST(SamplePages, GroupsPageButtons) {
    const std::tuple<double, int, std::size_t, Strings> cases[] = {  // groups, picture height in twips, buttons, the first tops
        {5, 600, 5, {"50", "100", "150", "200", "250"}}, {0, 600, 0, {}}, {2.5, 600, 2, {"50", "100"}},
        {4, 100, 4, {"50", "66.66667", "83.33334", "100"}},  // single precision, plain decimal
        {3, 0, 3, {"50", "60", "70"}}, {1e9, 15, 1000, {"50", "61", "72"}},
    };
    for (const auto& [groups, pictureTwips, count, first] : cases) {
        Program p;
        p.load(3);
        p.state.Parametri.Nome_Immagine_Sfondo_Diapositiva = p.photo("cornice.gif");
        p.state.Parametri.MAX_NUM_ARG = groups;
        p.window.edit("Picture1").height = pictureTwips;
        p.window.Command8_Click();
        const std::string page = readFile(p.photo("cornice_Esempio_Sfondo8.htm"));
        const std::regex top("<div STYLE='position:absolute;top:([^;]*);left:100;'>\r\n");
        Strings tops;
        for (std::sregex_iterator it(page.begin(), page.end(), top), end; it != end; ++it) tops.push_back((*it)[1]);
        EXPECT_EQ(tops.size(), count) << groups;
        tops.resize(std::min(tops.size(), first.size()));
        EXPECT_EQ(tops, first) << groups;
        EXPECT_TRUE(page.ends_with("<br>\r\n</body>\r\n</html>\r\n")) << groups;
    }
}

}  // namespace
}  // namespace sb
