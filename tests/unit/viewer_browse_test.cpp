// The image viewer: which entries are images, the browse button's scan, and
// stepping through the list.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/state.h"
#include "common/files.h"
#include "common/text.h"
#include "fake_platform.h"
#include "temp_dir.h"
#include "ui/main_window.h"
#include "viewer/scan.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::FakePlatform;
using test::TempDir;

// Pages the program will not write beside an image go to a folder of the
// test's own.
class ViewerPlatform : public FakePlatform {
public:
    ViewerPlatform(std::string app, std::string temporary) : FakePlatform(std::move(app)), temporary_(temporary + "/") {}
    std::string temporaryFolder() override { return temporary_; }

private:
    std::string temporary_;
};

// A loaded program on a tab, with a folder of photos to browse.
struct Viewer {
    TempDir app, temporary, photos;
    ViewerPlatform platform{app.str(), temporary.str()};
    Module1 state;
    MainWindow window{state, platform};

    explicit Viewer(int tab = 2) {
        window.Form_Load();
        // As the user's first tab click leaves it.
        state.Caricamento_In_Corso = 0;
        state.Esecuzione_Automatica = 0;
        window.selectedTab = tab;
        forget();
    }
    void forget() {
        platform.navigations.clear();
        platform.messages.clear();
        platform.dialogs.clear();
        platform.beeps = 0;
    }
    std::string folder() const { return photos.str() + "/"; }
    std::string photo(const std::string& name) const { return photos / name; }
    // The folder lists `names` in this order; the user picks `picked` in it.
    void browse(const std::vector<std::string>& names, const std::string& picked) {
        platform.listings[folder()] = names;
        platform.dialogAnswers.push_back(photo(picked));
        window.Command1_Click();
    }
    std::vector<std::string> listed() const {
        return {window.Lista_Immagini.begin() + 1, window.Lista_Immagini.begin() + 1 + state.N_Img};
    }
    const std::string& picture(const char* holder) { return window.control(holder).picture; }
};

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) { return files::readPrefix(path, 1 << 20).value_or("<missing>"); }

// A 24-bit BMP of w x h pixels.
std::string bmp(int w, int h) {
    const int row = (w * 3 + 3) / 4 * 4;
    const int size = 54 + row * h;
    std::string b(static_cast<std::size_t>(size), '\0');
    auto put32 = [&b](std::size_t at, int v) {
        for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    b[26] = 1;
    b[28] = 24;
    return b;
}

TEST(ScanListing, FindsImagesByTheTextAfterTheFirstDot) {
    struct Case {
        std::string name;
        bool image;
    };
    const Case cases[] = {
        {"a.jpg", true},       {"a.Jpg", true},         {"B.GIF", true},    {"c.png", true},
        {"d.bmp", true},       {"foto.2007.jpg", false}, {"a.jpeg", false},  {"a", false},
        {"a.", false},         {"a.jpg.txt", false},    {"a.jp g", false},  {"a b.jpg", true},
        {"é.jpg", true},       {"a.JPG ", false},       {"a.jpgx", false},  {".jpg", true},
        {"a.\xC3\xA9pg", false},
    };
    for (const Case& c : cases) EXPECT_EQ(viewer::isImageName(c.name), c.image) << '"' << c.name << '"';
}

TEST(ScanListing, KeepsListingOrderAndFindsThePickedEntry) {
    struct Case {
        std::vector<std::string> listing;
        std::string wanted;
        std::vector<std::string> images;
        int found;
    };
    const Case cases[] = {
        {{"a.jpg", "b.txt", "c.jpg", "d.gif"}, "c.jpg", {"a.jpg", "c.jpg", "d.gif"}, 2},
        {{"a.jpg", "b.txt", "c.jpg", "d.gif"}, "b.txt", {"a.jpg", "c.jpg", "d.gif"}, 1},
        {{"b.txt", "a.jpg", "c.jpg", "d.gif"}, "b.txt", {"a.jpg", "c.jpg", "d.gif"}, 0},
        {{"z.jpg", "a.jpg", "m.png"}, "m.png", {"z.jpg", "a.jpg", "m.png"}, 3},  // never sorted
        {{"a.jpg", "c.jpg"}, "gone.jpg", {"a.jpg", "c.jpg"}, 1},
        {{"a.jpg", "C.jpg"}, "c.jpg", {"a.jpg", "C.jpg"}, 1},  // names compare case by case
        {{}, "", {}, 1},
        // No image at all: the number on view is 1, even for a picked text file.
        {{"b.txt", "c.doc"}, "b.txt", {}, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> slots(kMaxImages + 1, "old");
        const viewer::ScanResult r = viewer::scanListing(c.listing, c.wanted, slots);
        EXPECT_EQ(r.count, static_cast<int>(c.images.size())) << c.wanted;
        EXPECT_EQ(r.found, c.found) << c.wanted;
        EXPECT_EQ(std::vector<std::string>(slots.begin() + 1, slots.begin() + 1 + r.count), c.images);
        EXPECT_EQ(slots[0], "old");
        // An empty scan leaves no earlier name under number 1.
        EXPECT_EQ(slots[1].empty(), c.images.empty()) << c.wanted;
    }
}

TEST(ScanListing, ListsAtMostTheSlotsItHas) {
    std::vector<std::string> listing;
    for (int i = 1; i <= 8100; ++i) {
        listing.push_back("n" + std::to_string(i) + ".txt");
        listing.push_back("p" + std::to_string(i) + ".jpg");
    }
    std::vector<std::string> slots(kMaxImages + 1);
    struct Case {
        std::string wanted;
        int found;
    };
    const Case cases[] = {{"p8000.jpg", 8000}, {"n8000.txt", 7999}, {"p8001.jpg", 1}, {"n8050.txt", 1}};
    for (const Case& c : cases) {
        const viewer::ScanResult r = viewer::scanListing(listing, c.wanted, slots);
        EXPECT_EQ(r.count, kMaxImages);
        EXPECT_EQ(r.found, c.found) << c.wanted;
        EXPECT_EQ(slots[8000], "p8000.jpg");
    }
}

// Browsing with a listing the test controls.
TEST(Browse, ScansThePickedFilesFolderInListingOrder) {
    const std::vector<std::string> abcd = {"a.jpg", "b.txt", "c.jpg", "d.gif"};
    struct Case {
        std::vector<std::string> listing;
        std::string picked;
        std::vector<std::string> images;
        int current;
        std::string onView;  // empty: the holders are cleared
        std::string title;
    };
    const Case cases[] = {
        {abcd, "c.jpg", {"a.jpg", "c.jpg", "d.gif"}, 2, "c.jpg", "Site Builder 2/3"},
        {abcd, "b.txt", {"a.jpg", "c.jpg", "d.gif"}, 1, "a.jpg", "Site Builder 1/3"},
        {{"b.txt", "a.jpg", "c.jpg", "d.gif"}, "b.txt", {"a.jpg", "c.jpg", "d.gif"}, 0, "", "Site Builder 0/3"},
        {{"foto.2007.jpg", "a.Jpg", "a.jpeg", "a", "x.PNG"}, "a.Jpg", {"a.Jpg", "x.PNG"}, 1, "a.Jpg",
         "Site Builder 1/2"},
        {{"b.txt", "c.doc"}, "b.txt", {}, 1, "", "Site Builder 1/0"},
        {{}, "gone.jpg", {}, 1, "", "Site Builder 1/0"},
        {{"a.jpg", "c.jpg"}, "gone.jpg", {"a.jpg", "c.jpg"}, 1, "a.jpg", "Site Builder 1/2"},
    };
    for (const Case& c : cases) {
        Viewer v;
        // Something is on view before: a cleared holder must really be cleared.
        v.window.loadPicture("Picture1", -1, SB_APP_DIR "/blank.gif");
        v.window.loadPicture("Image1", -1, SB_APP_DIR "/blank.gif");
        v.browse(c.listing, c.picked);
        const std::string label = "picked " + c.picked;
        EXPECT_EQ(v.state.Cartella_Img, v.folder()) << label;
        EXPECT_EQ(v.listed(), c.images) << label;
        EXPECT_EQ(v.state.N_Img, static_cast<int>(c.images.size())) << label;
        EXPECT_EQ(v.state.Img_Corrente, c.current) << label;
        EXPECT_EQ(v.window.text("Text2"), std::to_string(c.current)) << label;
        EXPECT_EQ(v.window.title, c.title) << label;
        // The field holds the image on view (the folder alone when there is none).
        EXPECT_EQ(v.window.text("Text1", 2), v.folder() + c.onView) << label;
        for (const char* holder : {"Picture1", "Image1"}) {
            // These names hold no file: a holder keeps its picture or is cleared.
            const std::string expected = c.onView.empty() ? "" : SB_APP_DIR "/blank.gif";
            EXPECT_EQ(v.picture(holder), expected) << label << ' ' << holder;
        }
        // The tab's parameter is committed with the field.
        EXPECT_EQ(v.state.Parametri.Nome_Immagine_Sfondo_Sito, v.folder() + c.onView) << label;
    }
}

TEST(Browse, OpensTheDialogOnTheFieldsPath) {
    struct Case {
        std::string field;
        std::string answer;  // empty: the dialog is closed without a choice
        std::string dialogFolder;
        bool scans;
    };
    const Case cases[] = {
        // Cancelling gives back the proposed file: its folder is browsed again.
        {"  /foto/c.jpg ", "", "/foto", true},
        {"/foto/c.jpg", "/altre/x.gif", "/foto", true},
        {"C:\\foto/c.jpg", "", "C:\\foto", true},
        {"c.jpg", "", "c.jpg", false},  // no folder: nothing to list
        {"/c.jpg", "", "/", true},
        {"", "", "", false},
        {"   ", "", "", false},
        {"", "  ", "", false},
    };
    for (const Case& c : cases) {
        Viewer v(8);
        v.platform.listings["/foto/"] = {"a.jpg", "c.jpg"};
        v.platform.listings["/altre/"] = {"x.gif"};
        v.platform.listings["C:\\foto/"] = {"c.jpg"};
        v.platform.listings["/"] = {"c.jpg", "d.png", "e.bmp"};
        v.window.setText("Text1", 8, c.field);
        v.state.Cartella_Img = "/earlier/";
        v.state.N_Img = 5;
        v.state.Img_Corrente = 4;
        if (!c.answer.empty()) v.platform.dialogAnswers.push_back(c.answer);
        v.window.Command1_Click();
        ASSERT_EQ(v.platform.dialogs.size(), 1u) << c.field;
        EXPECT_EQ(v.platform.dialogs[0].first, c.dialogFolder) << c.field;
        EXPECT_EQ(v.platform.dialogs[0].second, trimBlanks(c.field)) << c.field;
        if (!c.scans) {
            if (trimBlanks(c.field).empty()) {
                EXPECT_EQ(v.state.Cartella_Img, "/earlier/") << '"' << c.field << '"';
                EXPECT_EQ(v.state.N_Img, 5);
                EXPECT_EQ(v.window.text("Text1", 8), c.field) << "nothing changes";
            } else {
                EXPECT_EQ(v.state.N_Img, 0) << c.field;
            }
            continue;
        }
        EXPECT_GT(v.state.N_Img, 0) << c.field;
        const std::string chosen = c.answer.empty() ? trimBlanks(c.field) : c.answer;
        EXPECT_EQ(v.window.text("Text1", 8), chosen) << c.field;
        EXPECT_EQ(v.state.Parametri.Nome_Immagine_Pulsante_X_1, chosen) << c.field;
    }
}

// A real folder: listing order is the file system's, so only sets compare.
TEST(Browse, RealFolderListsOnlyNormalImageFiles) {
    Viewer v(3);
    const std::set<std::string> images = {"a b.jpg", "qu\"ote.gif", "r&d.png", "\xD0\x96\xD0\xB0\xD1\x80.bmp",
                                          "UP.JPG", "low.jpg", "link.jpg", "locked.png", "' single.gif"};
    for (const std::string& name : images) writeFile(v.photo(name), bmp(2, 3));
    for (const char* other : {"noext", "many.dots.jpg", "a.jpeg", "notes.txt", ".hidden.jpg"}) {
        writeFile(v.photo(other), bmp(2, 3));
    }
    fs::remove(v.photo("link.jpg"));
    fs::create_symlink(v.photo("low.jpg"), v.photo("link.jpg"));
    fs::create_symlink(v.photo("nowhere.jpg"), v.photo("dead.jpg"));
    fs::create_directory(v.photo("sub.jpg"));
    fs::create_directory_symlink(v.photos.str(), v.photo("loop.gif"));
    fs::permissions(v.photo("locked.png"), fs::perms::none);

    v.platform.dialogAnswers.push_back(v.photo("a b.jpg"));
    v.window.Command1_Click();
    const auto listed = v.listed();
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), images);
    EXPECT_EQ(listed.size(), images.size());
    EXPECT_EQ(v.window.Lista_Immagini[static_cast<std::size_t>(v.state.Img_Corrente)], "a b.jpg");
    EXPECT_EQ(v.picture("Picture1"), v.photo("a b.jpg"));
    EXPECT_EQ(v.window.text("Text1", 3), v.photo("a b.jpg"));

    // A picked file gone before the scan: the folder is listed all the same
    // and the first image is put on view.
    v.platform.dialogAnswers.push_back(v.photo("vanished.jpg"));
    v.window.Command1_Click();
    EXPECT_EQ(v.state.N_Img, static_cast<int>(images.size()));
    EXPECT_EQ(v.state.Img_Corrente, 1);
    EXPECT_EQ(v.window.text("Text1", 3), v.folder() + v.window.Lista_Immagini[1]);
}

// The browse that finds no image leaves nothing of the folder before.
TEST(Browse, EmptyFolderLeavesNoEarlierNameReachable) {
    Viewer v;
    v.browse({"a.jpg", "b.jpg", "c.jpg"}, "c.jpg");
    ASSERT_EQ(v.state.N_Img, 3);
    v.browse({"readme.txt"}, "readme.txt");
    EXPECT_EQ(v.state.N_Img, 0);
    EXPECT_EQ(v.state.Img_Corrente, 1);
    EXPECT_EQ(v.window.Lista_Immagini[1], "");
    EXPECT_EQ(v.window.text("Text1", 2), v.folder());
    v.forget();
    v.window.Command4_Click();
    v.window.Command3_Click();
    EXPECT_EQ(v.platform.beeps, 2);
    // The background tab puts number 1 on view: still no name behind it.
    v.window.selectedTab = 2;
    v.state.Img_Corrente = 0;
    v.window.Vedo_Campi_TAB();
    EXPECT_EQ(v.window.Lista_Immagini[static_cast<std::size_t>(v.state.Img_Corrente)], "");
}

TEST(Browse, ManyImagesListOnlyTheFirst8000) {
    Viewer v;
    std::vector<std::string> names;
    for (int i = 1; i <= 8200; ++i) names.push_back(std::to_string(i) + ".gif");
    v.browse(names, "8000.gif");
    EXPECT_EQ(v.state.N_Img, 8000);
    EXPECT_EQ(v.state.Img_Corrente, 8000);
    EXPECT_EQ(v.window.title, "Site Builder 8000/8000");
    v.window.Command4_Click();
    EXPECT_EQ(v.platform.beeps, 1);
    v.window.setText("Text2", -1, "8001");
    v.window.Command6_Click();
    EXPECT_EQ(v.platform.beeps, 2);
    EXPECT_EQ(v.state.Img_Corrente, 8000);
}

// Stepping: "<", ">" and the go-to field.
TEST(Navigation, StepsWithinTheListAndRefusesBeyondIt) {
    enum Button { Back, Forward };
    struct Case {
        int count, current;
        Button button;
        int after;  // 0: refused
    };
    const Case cases[] = {
        {3, 3, Forward, 0}, {3, 3, Back, 2}, {3, 1, Back, 0}, {3, 1, Forward, 2},
        {3, 2, Forward, 3}, {0, 1, Back, 0}, {0, 1, Forward, 0}, {3, 0, Forward, 1},
        {3, 0, Back, 0},    {1, 1, Forward, 0},
    };
    const std::vector<std::string> three = {"a.jpg", "b.gif", "c.png"};
    for (const Case& c : cases) {
        Viewer v;
        std::vector<std::string> listing(three.begin(), three.begin() + c.count);
        listing.insert(listing.begin(), "0.txt");
        v.browse(listing, "0.txt");
        v.state.Img_Corrente = static_cast<std::int16_t>(c.current);
        v.window.setText("Text2", -1, "typed");
        v.window.title = "before";
        v.forget();
        c.button == Back ? v.window.Command3_Click() : v.window.Command4_Click();
        const std::string label = std::to_string(c.current) + "/" + std::to_string(c.count) +
                                  (c.button == Back ? " <" : " >");
        if (c.after == 0) {
            EXPECT_EQ(v.platform.beeps, 1) << label;
            ASSERT_EQ(v.platform.messages.size(), 1u) << label;
            EXPECT_EQ(v.platform.messages[0].text, "Non ci sono altre Immagini !");
            EXPECT_EQ(v.platform.messages[0].title, "Site Builder");
            EXPECT_EQ(v.state.Img_Corrente, c.current) << label;
            EXPECT_EQ(v.window.text("Text2"), "typed") << label;
            EXPECT_EQ(v.window.title, "before") << label;
            EXPECT_TRUE(v.platform.navigations.empty()) << label;
            continue;
        }
        const std::string name = three[static_cast<std::size_t>(c.after - 1)];
        EXPECT_EQ(v.platform.beeps, 0) << label;
        EXPECT_EQ(v.state.Img_Corrente, c.after) << label;
        EXPECT_EQ(v.window.text("Text2"), std::to_string(c.after)) << label;
        EXPECT_EQ(v.window.text("Text1", 2), v.photo(name)) << label;
        EXPECT_EQ(v.window.title, "Site Builder " + std::to_string(c.after) + "/" +
                                      std::to_string(c.count));
        // The background page of the new image, beside it, is on view.
        const std::string page = v.photo(name.substr(0, 2) + "HTM");
        EXPECT_TRUE(files::isRegularFile(page)) << label;
        ASSERT_FALSE(v.platform.navigations.empty()) << label;
        EXPECT_EQ(v.platform.navigations.back(), "file://" + page) << label;
        // Stepping does not commit the tab.
        EXPECT_EQ(v.state.Parametri.Nome_Immagine_Sfondo_Sito, v.folder()) << label;
    }
}

TEST(Navigation, GoesToTheTypedNumber) {
    struct Case {
        std::string typed;
        int after;  // 0: refused
    };
    const Case cases[] = {
        {"", 0},      {" 3 ", 3},   {"2.5", 2},   {"3.5", 0},   {"1.5", 2},  {"&H2", 2},
        {"&O3", 3},   {"&h1", 1},   {"99999", 0}, {"-1", 0},    {"0", 0},    {"4", 0},
        {"1e3", 0},   {"abc", 0},   {"2abc", 2},  {"\t1\n", 1}, {"3 ", 3},   {"&HFFFF", 0},
        {std::string(300, '9'), 0}, {"1" + std::string(299, '0'), 0},       {"0.5", 0},
    };
    for (const Case& c : cases) {
        Viewer v;
        v.browse({"a.jpg", "b.gif", "c.png", "d.txt"}, "d.txt");
        v.forget();
        v.window.setText("Text2", -1, c.typed);
        v.window.Text2_KeyPress(13);
        const std::string label = '"' + c.typed.substr(0, 12) + '"';
        if (c.after == 0) {
            EXPECT_EQ(v.platform.beeps, 1) << label;
            EXPECT_EQ(v.platform.messages.size(), 1u) << label;
            EXPECT_EQ(v.state.Img_Corrente, 3) << label;
            EXPECT_EQ(v.window.text("Text2"), c.typed) << label;
            EXPECT_EQ(v.window.text("Text1", 2), v.photo("c.png")) << label;
            continue;
        }
        EXPECT_EQ(v.platform.beeps, 0) << label;
        EXPECT_EQ(v.state.Img_Corrente, c.after) << label;
        EXPECT_EQ(v.window.text("Text2"), std::to_string(c.after)) << label;
        EXPECT_EQ(v.window.title, "Site Builder " + std::to_string(c.after) + "/3") << label;
    }
}

TEST(Navigation, OnlyEnterInTheFieldJumps) {
    Viewer v;
    v.browse({"a.jpg", "b.gif"}, "a.jpg");
    v.window.setText("Text2", -1, "2");
    for (int key : {10, 32, 50, 27, 0}) v.window.Text2_KeyPress(key);
    EXPECT_EQ(v.state.Img_Corrente, 1);
    v.window.Command6_Click();
    EXPECT_EQ(v.state.Img_Corrente, 2);
}

// Pictures that cannot be read: the holders keep what they showed, the rest
// follows the new number, nothing breaks.
TEST(Navigation, UnreadablePicturesKeepTheHolders) {
    const std::string gif = readFile(SB_APP_DIR "/blank.gif");
    const std::string jpg = readFile(SB_APP_DIR "/image1.jpg");
    const std::string png = readFile(SB_APP_DIR "/Site_Builder.png");
    struct Case {
        std::string name, bytes;
    };
    const Case cases[] = {
        {"cut.jpg", jpg.substr(0, 5)},
        {"cut.gif", gif.substr(0, 8)},
        {"cut.png", png.substr(0, 20)},
        {"cut.bmp", bmp(4, 4).substr(0, 20)},
        {"junk.jpg", "\xFF\xD8" + std::string(64, '\x13')},
        {"junk.gif", "GIF89a"},
        {"junk.png", png.substr(0, 16) + std::string(16, '\0')},
        {"junk.bmp", "BM" + std::string(60, '\0')},
        {"empty.png", ""},
        {"text.gif", "<html>not a picture</html>"},
        {"gone.jpg", ""},  // removed before it is shown
    };
    for (const Case& c : cases) {
        Viewer v;
        writeFile(v.photo("good.bmp"), bmp(7, 5));
        writeFile(v.photo(c.name), c.bytes);
        v.browse({"good.bmp", c.name}, "good.bmp");
        ASSERT_EQ(v.picture("Picture1"), v.photo("good.bmp"));
        if (c.name == "gone.jpg") fs::remove(v.photo(c.name));
        v.window.Command4_Click();
        EXPECT_EQ(v.picture("Picture1"), v.photo("good.bmp")) << c.name;
        EXPECT_EQ(v.picture("Image1"), v.photo("good.bmp")) << c.name;
        EXPECT_EQ(v.state.Img_Corrente, 2) << c.name;
        EXPECT_EQ(v.window.text("Text1", 2), v.photo(c.name)) << c.name;
        EXPECT_EQ(v.window.title, "Site Builder 2/2") << c.name;
    }
}

}  // namespace
}  // namespace sb
