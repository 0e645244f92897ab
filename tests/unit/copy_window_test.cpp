// The Copy Window: copying and moving the image handed over, never losing it;
// its folder button and language; the Main Window's copy button and links.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "common/text.h"
#include "cramped_folder.h"
#include "fake_platform.h"
#include "site/addresses.h"
#include "temp_dir.h"
#include "ui/main_window.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

// A Main Window whose viewer shows one photo, a destination folder and,
// where a row asks for it, a folder on a file system that is nearly full.
struct Rig {
    test::TempDir app, photos, dest;
    test::FakePlatform platform{app.str()};
    Module1 state;
    MainWindow main{state, platform};
    std::optional<test::CrampedFolder> cramped;
    std::string name, source;

    explicit Rig(std::string image = "foto.jpg", const std::string& bytes = "JPEG bytes") : name(std::move(image)) {
        source = makeFile(photos / name, bytes);
        state.Cartella_Img = photos.str() + "/";
        main.Lista_Immagini[1] = name;
        state.N_Img = state.Img_Corrente = 1;
    }
    CopyWindow& open() { return main.Command5_Click(), *main.Form2(); }
    // "@x": x in the destination folder; "%x": in the nearly full one; "&x": beside the photo.
    std::string path(const std::string& p) const {
        const std::size_t at = p.find_first_not_of(' ');
        if (at == std::string::npos || std::string("@%&").find(p[at]) == std::string::npos) return p;
        const std::string folder = p[at] == '@' ? dest.str() : p[at] == '%' ? cramped->str() : photos.str();
        return p.substr(0, at) + folder + "/" + p.substr(at + 1);
    }
    // Types the destination and clicks copy (2) or move (3), answering the move's question.
    void press(CopyWindow& w, int button, const std::string& destination, bool yes = true) {
        w.setText("Text1", path(destination));
        platform.yesNoAnswers = {yes};
        button == 2 ? w.Command2_Click() : w.Command3_Click();
    }
};

std::map<std::string, std::string> tree(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        if (e.is_regular_file() && e.path().filename() != ".riempitivo") files[e.path().string()] = readFile(e.path());
    }
    return files;
}

// Drops the root user's power over permissions for the rows about them.
struct AsNobody {
    const bool dropped = ::geteuid() == 0 && ::seteuid(65534) == 0;
    ~AsNobody() {
        if (dropped) (void)::seteuid(0);
    }
};

TEST(CopyWindow, CopyAndMoveKeepTheSourceUnlessAVerifiedCopyIsInPlace) {
    enum Outcome { Done, NoDestination, NoImage, Failed };
    struct Row {
        const char* what;
        std::string destination, target;  // target: the copy made; empty when none
        Outcome outcome;
        std::function<void(Rig&)> setup = {};
        std::string name = "foto.jpg";
        bool unprivileged = false;
    };
    const auto file = [](const char* p, const char* bytes = "old") { return [=](Rig& r) { makeFile(r.path(p), bytes); }; };
    const Row rows[] = {
        {"empty field", "", "", NoDestination},
        {"blanks only", "   ", "", NoDestination},
        {"no image on view", "@", "", NoImage, [](Rig& r) { r.state.Img_Corrente = 0; }},
        {"existing folder", "@", "@foto.jpg", Done},
        {"blanks around the folder", "  @  ", "@foto.jpg", Done},
        {"missing folder", "@nuova/", "@nuova/foto.jpg", Done},
        {"missing parents", "@a/b/c/", "@a/b/c/foto.jpg", Done},
        {"no trailing separator: a file beside", "@x", "@xfoto.jpg", Done},
        {"existing target replaced", "@", "@foto.jpg", Done, file("@foto.jpg")},
        {"odd name", "@", "@foto 'a' \"b\" & #1 東京 Ωμ 😀.jpg", Done, {}, "foto 'a' \"b\" & #1 東京 Ωμ 😀.jpg"},
        {"255-byte name", "@", "@" + std::string(251, 'n') + ".jpg", Done, {}, std::string(251, 'n') + ".jpg"},
        {"path through a file", "@f/sub/", "", Failed, file("@f")},
        {"read-only target", "@", "", Failed, [](Rig& r) { ::chmod(makeFile(r.path("@foto.jpg"), "old").c_str(), 0444); }},
        {"read-only folder", "@ro/", "", Failed, [](Rig& r) { fs::create_directory(r.path("@ro")), ::chmod(r.path("@ro").c_str(), 0555); }, "foto.jpg", true},
        {"full file system", "%", "", Failed, [file](Rig& r) {
             makeFile(r.source, std::string(256 * 1024, 'j'));
             r.cramped.emplace(), file("%foto.jpg")(r), r.cramped->leaveRoom(16 * 1024);
         }},
        {"source gone", "@", "", Failed, [](Rig& r) { fs::remove(r.source); }},
        {"source now a folder", "@", "", Failed, [](Rig& r) { fs::remove(r.source), fs::create_directory(r.source); }},
        {"size that lies", "@", "", Failed, [](Rig& r) { fs::remove(r.source), fs::create_symlink("/proc/version", r.source); }},
        {"target is the source", "&", "", Failed},
        {"target is the source through a link", "@link/", "", Failed, [](Rig& r) { fs::create_directory_symlink(r.photos.str(), r.path("@link")); }},
    };
    for (int button : {2, 3}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(button == 2 ? "copy: " : "move: ") + row.what);
            Rig r(row.name);
            if (row.setup) row.setup(r);
            CopyWindow& w = r.open();
            const bool had = fs::exists(fs::symlink_status(r.source));
            const std::string bytes = fs::is_regular_file(r.source) ? readFile(r.source) : "", remembered = r.state.Cartella_Copia;
            const std::string destination = r.path(row.destination), source = r.state.copySourcePath;
            const std::string watched = trimBlanks(destination).find(r.dest.str()) == 0 ? r.dest.str() : r.cramped ? r.cramped->str() : r.photos.str();
            auto before = tree(watched);
            {
                std::optional<AsNobody> nobody;
                if (row.unprivileged) {
                    ASSERT_TRUE(nobody.emplace().dropped || ::geteuid() != 0);
                }
                r.press(w, button, row.destination);
            }
            const bool done = row.outcome == Done, moved = done && button == 3;
            const bool refused = row.outcome == NoDestination || row.outcome == NoImage;
            EXPECT_EQ(r.platform.beeps, done ? 0 : 1);
            EXPECT_EQ(w.isOpen(), !done);
            EXPECT_EQ(fs::exists(fs::symlink_status(r.source)), had && !moved) << "the source goes only after a verified copy";
            if (!moved && fs::is_regular_file(r.source)) {
                EXPECT_EQ(readFile(r.source), bytes);
            }
            const char* const refusals[] = {"", kChooseDestination, kNoImageToCopy.italian, kCopyError};
            const std::string failure = row.outcome == Failed ? source + " " + trimBlanks(destination) + r.name : "";
            EXPECT_EQ(r.platform.messages.empty() ? "" : r.platform.messages.back().text, refusals[row.outcome] + failure);
            EXPECT_EQ(r.state.Cartella_Copia, refused ? remembered : trimBlanks(destination));
            if (done) {
                EXPECT_EQ(readFile(r.path(row.target)), bytes);
                before[r.path(row.target)] = bytes;
                EXPECT_EQ(r.main.Lista_Immagini[1], r.name) << "the viewer's list is not refreshed";
            }
            if (moved && watched == r.photos.str()) before.erase(r.source);
            EXPECT_EQ(tree(watched), before) << "no partial or temporary file, nothing else changed";
        }
    }
}

TEST(CopyWindow, TakesTheMainWindowsLanguageAtOpeningAndChangesOnlyItselfByItsFlags) {
    struct Case {
        bool mainEnglish;
        int flag;  // clicked in the Copy Window after its opening; -1: none
        bool english;
        std::string title;  // "+": followed by the image's path
    };
    const Case cases[] = {{false, -1, false, "Copia Immagine +"}, {true, -1, true, "Copy Image +"},
                          {false, 1, true, "Site Builder "}, {true, 0, false, "Site Builder "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title + (c.mainEnglish ? " from English" : " from Italian"));
        Rig r;
        if (c.mainEnglish) r.main.Image2_Click(1);
        const std::string mainTitle = r.main.title;
        CopyWindow& w = r.open();
        if (c.flag >= 0) w.Image2_Click(c.flag);
        EXPECT_EQ(w.title, c.title.back() == '+' ? c.title.substr(0, c.title.size() - 1) + r.source : c.title);
        for (const ControlCaption& caption : kCopyWindowCaptions) {
            if (*caption.control == '\0') continue;
            const bool design = !c.english && c.flag < 0 && std::string(caption.control) == "Command1";
            EXPECT_EQ(w.text(caption.control), design ? kBrowseDesign : caption.caption.in(c.english)) << caption.control;
        }
        EXPECT_EQ(Lingua_Inglese(r.main), c.mainEnglish);
        EXPECT_EQ(r.main.title, mainTitle);
        // A move answered No: the question and the notice in the window's language, nothing else.
        const std::string remembered = r.state.Cartella_Copia;
        r.press(w, 3, "@nuova/", false);
        ASSERT_EQ(r.platform.questions.size(), 1u);
        EXPECT_EQ(r.platform.questions[0].text, kMoveQuestion.in(c.english));
        EXPECT_EQ(r.platform.questions[0].title, kMoveQuestionTitle.in(c.english));
        EXPECT_EQ(r.platform.messages.back().text, kMoveRefused.in(c.english));
        EXPECT_TRUE(fs::exists(r.source) && !fs::exists(r.path("@nuova")) && w.isOpen());
        EXPECT_EQ(r.state.Cartella_Copia, remembered);
        r.state.Nome_Img_Copia.clear();
        r.press(w, 2, "@");
        EXPECT_EQ(r.platform.messages.back().text, kNoImageToCopy.in(c.english));
    }
}

TEST(CopyLauncher, HandsOverTheImageOnViewAndKeepsOneWindowOpen) {
    Rig r;
    CopyWindow& w = r.open();
    EXPECT_EQ(w.text("Text1"), r.app.str() + "/copia/");
    EXPECT_EQ(r.state.Nome_Img_Copia, r.name);
    EXPECT_EQ(r.platform.onScreen, std::vector<const WindowModel*>{&w});
    // Opened again while open: brought forward with what it holds.
    w.setText("Text1", "scritto");
    w.Image2_Click(1);
    EXPECT_EQ(&r.open(), &w);
    EXPECT_EQ(w.text("Text1"), "scritto");
    EXPECT_TRUE(Lingua_Inglese(w));
    EXPECT_EQ(r.platform.windowShowings, 2);
    // Closed by its close box, then opened anew: from its design.
    w.closeBox();
    EXPECT_TRUE(r.platform.onScreen.empty());
    CopyWindow& fresh = r.open();
    EXPECT_EQ(fresh.text("Text1"), r.app.str() + "/copia/");
    EXPECT_EQ(fresh.text("Command1"), kBrowseDesign);
    // Later launches offer the folder the window last copied into.
    r.press(fresh, 2, "@altrove/");
    EXPECT_FALSE(fresh.isOpen());
    EXPECT_EQ(r.open().text("Text1"), r.dest / "altrove/");
}

TEST(CopyLauncher, CopiesTheImageHandedOverWhateverTheViewerShowsSince) {
    test::TempDir app, photos, dest;
    test::FakePlatform platform{app.str()};
    Module1 state;
    MainWindow main{state, platform};
    main.Form_Load();
    state.Caricamento_In_Corso = state.Esecuzione_Automatica = 0;
    main.selectedTab = 2;
    const std::vector<std::string> names = {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg"};
    for (const auto& n : names) makeFile(photos / n, "bytes of " + n);
    platform.listings[photos.str() + "/"] = names;
    platform.dialogAnswers = {photos / "1.jpg"};
    main.Command1_Click();
    main.setText("Text2", -1, "5");
    main.Command6_Click();
    main.Command5_Click();
    EXPECT_EQ(state.Nome_Img_Copia, "5.jpg");
    EXPECT_EQ(main.Form2()->title, "Copia Immagine " + photos / "5.jpg");
    // The viewer steps on, then lists another folder, while the window is open.
    main.Command4_Click();
    test::TempDir others;
    platform.dialogAnswers = {makeFile(others / "5.jpg", "another photo")};
    main.Command1_Click();
    main.Form2()->setText("Text1", dest.str() + "/");
    main.Form2()->Command2_Click();
    EXPECT_EQ(readFile(dest / "5.jpg"), "bytes of 5.jpg");
    EXPECT_FALSE(fs::exists(dest / "6.jpg"));
}

TEST(CopyWindow, FolderButtonOffersTheRememberedFolderThenAChooser) {
    struct Case {
        const char* what;
        std::string remembered;
        bool yes;
        std::string chosen;  // empty: the chooser is closed
        std::string field;   // what the field and Cartella_Copia hold afterwards
        std::vector<std::string> made;
    };
    const Case cases[] = {
        {"missing folder, Yes", "@nuova/", true, "", "@nuova/", {"@nuova"}},
        {"missing folder, No", "@nuova/", false, "", "@nuova/", {}},
        {"missing parents: all but the last level", "@a/b/c", true, "", "@a/b/", {"@a", "@a/b"}},
        {"no separator at all", "cartella", false, "", "", {}},
        {"a folder chosen", "@", false, "@scelta", "@scelta/", {}},
        {"a folder chosen with its separator", "@", false, "@scelta/", "@scelta/", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r;
        r.state.Cartella_Copia = r.path(c.remembered);
        CopyWindow& w = r.open();
        w.setText("Text1", "typed and replaced");
        r.platform.yesNoAnswers = {c.yes};
        if (!c.chosen.empty()) r.platform.folderAnswers = {r.path(c.chosen)};
        w.Command1_Click();
        EXPECT_EQ(r.platform.questions.at(0).title, kNewFolderTitle);
        EXPECT_EQ(r.platform.folderDialogs.at(0), r.path(c.chosen.empty() ? c.field : c.remembered)) << "opened on the remembered folder";
        EXPECT_EQ(w.text("Text1"), r.path(c.field));
        EXPECT_EQ(r.state.Cartella_Copia, r.path(c.field));
        std::vector<std::string> made;
        for (const auto& e : fs::recursive_directory_iterator(r.dest.str())) made.push_back(e.path().string());
        std::vector<std::string> expected;
        for (const auto& m : c.made) expected.push_back(r.path(m));
        EXPECT_EQ(made, expected);
    }
}

TEST(LinkIcons, LaidOutAtStartUpAndOpenTheirSiteInTheUsersLanguage) {
    test::TempDir app;
    test::copyPictures(SB_APP_DIR, app.str());
    test::FakePlatform platform{app.str()};
    Module1 state;
    MainWindow main{state, platform};
    main.outerHeight = 8385;
    main.Form_Load();
    int left = main.control("Picture2", 0).left;
    for (int i = 0; i < 7; ++i) {
        const Control& icon = main.control("Picture2", i);
        EXPECT_EQ(icon.top, 8385 - icon.height - 20) << i;
        EXPECT_EQ(icon.left, left) << i;
        EXPECT_EQ(icon.pictureSize, (PixelSize{117, 69})) << i;
        left += icon.width + 20;
        for (bool english : {false, true}) {
            main.Image2_Click(english ? 1 : 0);
            main.Picture2_Click(i);
            EXPECT_EQ(platform.openedPages.back(), std::string(kLinkIcons[i].address) + (english ? "index_en.htm" : "index.htm"));
        }
        EXPECT_TRUE(icon.tag.ends_with("/") && icon.tag.find(".example/") != std::string::npos) << icon.tag;
    }
}

}  // namespace
}  // namespace sb
