// The image viewer: the browse button's scan, stepping through the list, the
// sample pages and start-up, which writes the first of them.
#include <cstdlib>
#include <regex>
#include <set>
#include <tuple>

#include "common/files.h"
#include "common/text.h"
#include "fake_platform.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using test::Program;
using test::readFile;

const std::string kBlank = SB_APP_DIR "/blank.gif";

struct Viewer : test::Program {
    explicit Viewer(int tab = 2) { load(tab); }
    std::string folder() const { return photos.str() + "/"; }
    void put(const std::string& name, const std::string& bytes) { test::makeFile(photo(name), bytes); }
    // The user picks `picked`; the folder lists `names` in this order, or its real files when none are given.
    void browse(const std::string& picked, const Strings& names = {}) {
        if (!names.empty()) platform.listings[folder()] = names;
        platform.dialogAnswers.push_back(photo(picked));
        window.Command1_Click();
    }
    Strings listed() const { return {window.Lista_Immagini.begin() + 1, window.Lista_Immagini.begin() + 1 + state.N_Img}; }
    const std::string& picture(const char* holder) { return window.control(holder).picture; }
    // Puts a picture on view and behind the slide, presses a sample page's button and gives the page shown.
    std::string show(const std::string& path, void (MainWindow::*press)()) {
        window.setText("Text1", 2, path);
        state.Parametri.Nome_Immagine_Sfondo_Diapositiva = path;
        (window.*press)();
        return platform.navigations.back().substr(7);
    }
};
const auto kPageButtons = {&MainWindow::Command2_Click, &MainWindow::Command7_Click, &MainWindow::Command8_Click};

TEST(Browse, ScansThePickedFilesFolderInListingOrder) {
    const Strings abcd = {"a.jpg", "b.txt", "c.jpg", "d.gif"}, acd = {"a.jpg", "c.jpg", "d.gif"};
    const Strings odd = {"foto.2007.jpg", "a.Jpg", "a.jpeg", "a", "a.", "a.jpg.txt", "a.JPG ", "a.jp g", "a.jpgx",
                         "a.\xC3\xA9pg",  ".bmp",  "\xC3\xA9 b.PNG"};
    Strings many, first8000;
    for (int i = 1; i <= 8600; ++i) many.insert(many.end(), {"n" + std::to_string(i), "p" + std::to_string(i) + ".jpg"});
    for (int i = 1; i <= 8000; ++i) first8000.push_back("p" + std::to_string(i) + ".jpg");
    Strings last8502 = first8000;  // a picture picked beyond the 8000th takes the last slot
    last8502.back() = "p8502.jpg";
    const std::tuple<Strings, std::string, Strings, int, std::string> cases[] = {  // listing, picked, images, current, on view
        {abcd, "c.jpg", acd, 2, "c.jpg"}, {abcd, "b.txt", acd, 1, "a.jpg"}, {{"b.txt", "c.doc"}, "b.txt", {}, 1, ""},
        {{"b.txt", "a.jpg", "c.jpg", "d.gif"}, "b.txt", acd, 0, ""},  // nothing on view: the holders are cleared
        {odd, "a.Jpg", {"a.Jpg", ".bmp", "\xC3\xA9 b.PNG"}, 1, "a.Jpg"}, {{"a.jpg", "C.jpg"}, "c.jpg", {"a.jpg", "C.jpg"}, 1, "a.jpg"},
        {many, "p8000.jpg", first8000, 8000, "p8000.jpg"}, {many, "p8502.jpg", last8502, 8000, "p8502.jpg"},
        {many, "n8502", first8000, 8000, "p8000.jpg"},
    };
    for (const auto& [listing, picked, images, current, onView] : cases) {
        Viewer v;
        v.window.Lista_Immagini[1] = "earlier.jpg";  // an earlier folder left a name and a picture behind
        for (const char* holder : {"Picture1", "Image1"}) v.window.loadPicture(holder, -1, kBlank);
        v.browse(picked, listing);
        SCOPED_TRACE("picked " + picked);
        EXPECT_EQ(v.state.Cartella_Img, v.folder());
        EXPECT_EQ(v.listed(), images);
        EXPECT_EQ(v.window.Lista_Immagini[1], images.empty() ? "" : images[0]);
        const std::string title = "Site Builder " + std::to_string(current) + "/" + std::to_string(images.size());
        EXPECT_EQ(std::make_tuple(v.state.Img_Corrente, v.window.text("Text2"), v.window.title), std::make_tuple(current, std::to_string(current), title));
        EXPECT_EQ(v.window.text("Text1", 2) + "|" + v.state.Parametri.Nome_Immagine_Sfondo_Sito, v.folder() + onView + "|" + v.folder() + onView);
        // The listed names hold no file: a holder keeps its picture or is cleared.
        EXPECT_EQ(v.picture("Picture1") + "|" + v.picture("Image1"), onView.empty() ? "|" : kBlank + "|" + kBlank);
    }
}

TEST(Browse, OpensTheDialogOnTheFieldsPath) {
    // field, answer (none: the dialog is cancelled and gives back the field's path), dialog's folder, images (-1: nothing changes)
    const std::tuple<std::string, std::string, std::string, int> cases[] = {
        {"  /foto/c.jpg ", "", "/foto", 2}, {"/foto/c.jpg", "/altre/x.gif", "/foto", 1}, {"C:\\foto\\c.jpg", "", "C:\\foto", 3},
        {"C:\\foto/c.jpg", "", "C:\\foto", 4}, {"/c.jpg", "", "/", 5}, {"c.jpg", "", "c.jpg", 0}, {"", "", "", -1}, {"", "  ", "", -1},
    };
    for (const auto& [typed, answer, dialogFolder, images] : cases) {
        Viewer v(8);
        v.platform.listings = {{"/foto/", Strings(2, "c.jpg")}, {"/altre/", {"x.gif"}}, {"C:\\foto\\", Strings(3, "c.jpg")},
                               {"C:\\foto/", Strings(4, "c.jpg")}, {"/", Strings(5, "c.jpg")}};
        v.window.setText("Text1", 8, typed);
        v.state.Cartella_Img = "/earlier/";
        v.state.N_Img = 5;
        const std::string committed = v.state.Parametri.Nome_Immagine_Pulsante_X_1;
        if (!answer.empty()) v.platform.dialogAnswers.push_back(answer);
        v.window.Command1_Click();
        SCOPED_TRACE('"' + typed + '"');
        // The field, committed, ends on the image on view; a path without a folder lists no image.
        const std::string chosen = answer.empty() ? trimBlanks(typed) : answer;
        const std::string field = images < 0 ? typed : images == 0 ? "" : chosen;
        ASSERT_EQ(v.platform.dialogs.size(), 1u);
        EXPECT_EQ(v.platform.dialogs[0], std::make_pair(dialogFolder, trimBlanks(typed)));
        EXPECT_EQ(std::make_tuple(v.state.N_Img, v.state.Cartella_Img == "/earlier/", v.window.text("Text1", 8), v.state.Parametri.Nome_Immagine_Pulsante_X_1),
                  std::make_tuple(images < 0 ? 5 : images, images < 0, field, images < 0 ? committed : field));
    }
}

// A real folder lists in the file system's order, so only sets compare. A picture that cannot be read leaves
// both holders as they were; the rest follows the jump.
TEST(Browse, RealFolderListsOnlyNormalImageFilesAndSkipsUnreadablePictures) {
    Viewer v(3);
    const std::string gif = test::readFile(kBlank), jpg = test::readFile(SB_APP_DIR "/image1.jpg");
    const std::pair<std::string, std::string> unreadable[] = {
        {"cut.jpg", jpg.substr(0, 5)}, {"cut.gif", gif.substr(0, 8)}, {"junk.jpg", "\xFF\xD8" + std::string(64, '\x13')},
        {"text.png", "<html>not a picture</html>"}, {"gone.jpg", gif},  // removed after the scan
    };
    std::set<std::string> images = {"a b.jpg", "qu\"ote.gif", "\xD0\x96.bmp", "UP.JPG", "low.jpg", "locked.png", "link.jpg"};
    for (const std::string& name : images) v.put(name, gif);
    for (const auto& [name, bytes] : unreadable) {
        v.put(name, bytes);
        images.insert(name);
    }
    for (const char* other : {"noext", "many.dots.jpg", "a.jpeg", "notes.txt", ".jpg"}) v.put(other, gif);
    fs::remove(v.photo("link.jpg"));
    fs::create_symlink(v.photo("low.jpg"), v.photo("link.jpg"));
    fs::create_symlink(v.photo("nowhere.jpg"), v.photo("dead.jpg"));
    fs::create_directory(v.photo("sub.jpg"));
    fs::create_directory_symlink(v.photos.str(), v.photo("loop.gif"));
    fs::permissions(v.photo("locked.png"), fs::perms::none);
    for (const std::string picked : {"vanished.jpg", "a b.jpg"}) {  // a picked file gone before the scan
        v.browse(picked);
        const Strings listed = v.listed();
        EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), images) << picked;
        EXPECT_EQ(listed.size(), images.size()) << picked;
        const std::string onView = picked == "a b.jpg" ? picked : listed[0];
        EXPECT_EQ(v.window.Lista_Immagini[static_cast<std::size_t>(v.state.Img_Corrente)], onView) << picked;
        EXPECT_EQ(v.window.text("Text1", 3), v.photo(onView)) << picked;
    }
    ASSERT_EQ(v.picture("Picture1"), v.photo("a b.jpg"));
    fs::remove(v.photo("gone.jpg"));
    for (const auto& [name, bytes] : unreadable) {
        const Strings listed = v.listed();
        const auto number = std::find(listed.begin(), listed.end(), name) - listed.begin() + 1;
        v.window.setText("Text2", -1, std::to_string(number));
        v.window.Command6_Click();
        EXPECT_EQ(std::make_tuple(v.picture("Picture1"), v.picture("Image1"), v.state.Img_Corrente, v.window.text("Text1", 3)),
                  std::make_tuple(v.photo("a b.jpg"), v.photo("a b.jpg"), number, v.photo(name)))
            << name;
    }
}

TEST(Navigation, StepsAndJumpsWithinTheListOnly) {
    // images, current, input ("<" and ">" press the buttons; any other text is typed, then Enter), after (0: refused)
    const std::tuple<int, int, std::string, int> cases[] = {
        {3, 3, ">", 0},    {3, 3, "<", 2},     {3, 1, "<", 0},    {0, 1, ">", 0},   {3, 0, ">", 1},   {3, 3, "", 0}, {3, 3, std::string(300, '9'), 0},
        {3, 3, " 3 ", 3},  {3, 3, "2.5", 2},   {3, 3, "3.5", 0},  {3, 3, "&H2", 2}, {3, 3, "&O3", 3}, {3, 3, "2abc", 2},
        {3, 3, "0", 0},    {3, 3, "4", 0},     {3, 3, "99999", 0}, {3, 3, "-1", 0}, {3, 3, "1e3", 0}, {3, 3, "abc", 0},
    };
    const Strings three = {"a.jpg", "b.gif", "c.png"};
    for (const auto& [count, current, input, after] : cases) {
        Viewer v;
        Strings listing(three.begin(), three.begin() + count);
        listing.insert(listing.begin(), "0.txt");
        v.browse("0.txt", listing);
        v.platform.navigations.clear();
        v.state.Img_Corrente = static_cast<std::int16_t>(current);
        v.window.setText("Text2", -1, input);
        v.window.title = "before";
        if (input == "<") v.window.Command3_Click();
        else if (input == ">") v.window.Command4_Click();
        else for (int key : {10, 27, 50, 13}) v.window.Text2_KeyPress(key);  // only Enter jumps
        SCOPED_TRACE(std::to_string(current) + "/" + std::to_string(count) + " " + input.substr(0, 9));
        const bool moved = after > 0;
        const std::string name = moved ? three[static_cast<std::size_t>(after - 1)] : "";
        const std::string page = v.photo(name.substr(0, 2) + "HTM");
        const std::string title = "Site Builder " + std::to_string(after) + "/" + std::to_string(count);
        EXPECT_EQ(std::make_tuple(v.platform.beeps, v.state.Img_Corrente, v.window.text("Text2"), v.window.title),
                  moved ? std::make_tuple(0, after, std::to_string(after), title) : std::make_tuple(1, current, input, std::string("before")));
        EXPECT_EQ(v.platform.messages.size(), moved ? 0u : 1u);
        for (const auto& m : v.platform.messages) EXPECT_EQ(m.text + "|" + m.title, "Non ci sono altre Immagini !|Site Builder");
        EXPECT_EQ(v.window.text("Text1", 2), v.photo(name));
        EXPECT_EQ(v.platform.navigations, moved ? Strings{"file://" + page} : Strings{});
        EXPECT_EQ(files::isRegularFile(page), moved);
        EXPECT_EQ(v.state.Parametri.Nome_Immagine_Sfondo_Sito, v.folder()) << "stepping commits nothing";
    }
}

// The default background on view (none when the application folder lacks it);
// beside the pictures only the slide and groups pages, buttons as high as their picture.
TEST(Startup, EndsOnTheFirstTabWithTheDefaultBackgroundOnView) {
    Program e;
    e.window.Form_Load();
    const Module1& s = e.state;
    EXPECT_EQ(std::make_tuple(s.N_Img, s.Img_Corrente, e.window.title, e.window.Lista_Immagini[1], s.Tab_Corrente, s.Caricamento_In_Corso,
                              e.platform.busy, e.platform.navigations.front()),
              std::make_tuple(0, 1, "Site Builder 1/0", "", 1, 0, false, "about:blank"));
    EXPECT_TRUE(fs::is_regular_file(s.Parametri.Cartella_Sito + "index.htm"));
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

// The slide, groups and background pages, byte for byte, against golden/sample_pages.htm
// (SB_WRITE_GOLDEN=1 writes it anew). The slide page takes the stored values, not the typed ones.
TEST(SamplePages, AreTheDocumentedLines) {
    Viewer p;
    const std::string slide = p.photo("cornice.gif"), image = p.photo("tramonto.jpg");
    Parametri_Sito& stored = p.state.Parametri = test::startDefaults("/sito/", p.app.str());
    stored.Nome_Immagine_Sfondo_Diapositiva = slide;
    std::tie(stored.LARGH_X_DIA, stored.ALT_DIA, stored.POS_Y_DIA, stored.POS_Y_IMG, p.state.POS_X_IMG) = std::make_tuple(0.5, -7, 12.25, -3, 42);
    p.window.setText("Text7", -1, "999");
    p.window.Command7_Click();
    p.window.edit("Picture1").height = 40 * 15;
    p.window.Command8_Click();
    p.window.setText("Text1", 2, "  " + image + " ");
    p.window.Command2_Click();
    std::string pages;
    for (const char* page : {"cornice_Esempio_Sfondo7.htm", "cornice_Esempio_Sfondo8.htm", "tramonto.HTM"}) pages += readFile(p.photo(page));
    for (const auto& [folder, name] : {std::pair(p.app.str(), "APP"), std::pair(p.photos.str(), "PHOTOS")})
        for (std::size_t at; (at = pages.find(folder)) != std::string::npos;) pages.replace(at, folder.size(), name);
    const std::string golden = SB_SOURCE_DIR "/tests/unit/golden/sample_pages.htm";
    if (std::getenv("SB_WRITE_GOLDEN")) test::makeFile(golden, pages);
    EXPECT_EQ(pages, readFile(golden));
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
        Viewer p;
        fs::create_directories(p.photo("foto.2007"));
        test::makeFile(p.photo("a file"), "not a folder");
        const std::string picture = p.photo(name), title = p.photo(titled.empty() ? name : titled);
        const bool written = !stem.empty() && !name.starts_with("a file");
        p.state.Esecuzione_Automatica = 1;  // the slide and groups pages wait for the user's first click
        for (auto press : kPageButtons) p.show(picture, press);
        p.state.Esecuzione_Automatica = 0;
        for (auto press : {&MainWindow::Command7_Click, &MainWindow::Command8_Click}) (p.window.*press)();
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
        for (auto press : kPageButtons) {
            Viewer p;
            const auto show = [&](const std::string& name) { return p.show(p.photo(name), press); };
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
        Viewer p(3);
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
