// The Copy Window: copying and moving the image handed over, never losing it;
// its folder button and language; the Main Window's copy button.
#include <sys/stat.h>
#include <sys/syscall.h>

#include "common/text.h"
#include "cramped_folder.h"
#include "fake_platform.h"

// Every flush to disk of the test program passes here and is counted.
static int flushes = 0;
extern "C" int fsync(int fd) { return ++flushes, static_cast<int>(::syscall(SYS_fsync, fd)); }

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

// A Main Window whose viewer shows one photo, a destination folder and,
// where a row asks for it, a folder on a file system that is nearly full.
struct Rig : test::Program {
    test::TempDir dest;
    std::optional<test::CrampedFolder> cramped;
    std::string name, source;

    explicit Rig(std::string image = "foto.jpg") : name(std::move(image)), source(test::makeFile(photo(name), "JPEG bytes")) {
        state.Cartella_Img = photos.str() + "/";
        window.Lista_Immagini[1] = name;
        state.N_Img = state.Img_Corrente = 1;
    }
    CopyWindow& open() { return window.Command5_Click(), *window.Form2(); }
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
    const auto file = [](const char* p) { return [=](Rig& r) { makeFile(r.path(p), "old"); }; };
    const std::string odd = "foto 'a' \"b\" & #1 東京 Ωμ 😀.jpg", longName = std::string(251, 'n') + ".jpg";
    const Row rows[] = {
        {"empty field", "", "", NoDestination}, {"blanks only", "   ", "", NoDestination},
        {"no image on view", "@", "", NoImage, [](Rig& r) { r.state.Img_Corrente = 0; }},
        {"existing folder", "@", "@foto.jpg", Done}, {"blanks around the folder", "  @  ", "@foto.jpg", Done},
        {"missing parents", "@a/b/c/", "@a/b/c/foto.jpg", Done},
        {"no trailing separator: a file beside", "@x", "@xfoto.jpg", Done},
        {"existing target replaced", "@", "@foto.jpg", Done, file("@foto.jpg")},
        {"odd name", "@", "@" + odd, Done, {}, odd}, {"255-byte name", "@", "@" + longName, Done, {}, longName},
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
            const std::string bytes = readFile(r.source), remembered = r.state.Cartella_Copia;
            const std::string destination = trimBlanks(r.path(row.destination)), source = r.state.copySourcePath;
            const std::string watched = destination.starts_with(r.dest.str()) ? r.dest.str() : r.cramped ? r.cramped->str() : r.photos.str();
            auto before = test::filesUnder(watched);
            const int flushed = flushes;
            {
                std::optional<test::AsNobody> nobody;
                ASSERT_TRUE(!row.unprivileged || nobody.emplace().dropped || ::geteuid() != 0);
                r.press(w, button, row.destination);
            }
            const bool done = row.outcome == Done, moved = done && button == 3;
            const bool refused = row.outcome == NoDestination || row.outcome == NoImage;
            EXPECT_EQ(std::make_pair(r.platform.beeps, w.isOpen()), std::make_pair(done ? 0 : 1, !done));
            EXPECT_EQ(fs::exists(fs::symlink_status(r.source)), had && !moved) << "the source goes only after a verified copy";
            EXPECT_TRUE(moved || readFile(r.source) == bytes);
            EXPECT_GE(flushes - flushed, moved ? 2 : 0) << "a move's copy and its name are on the disk before the source goes";
            const char* const refusals[] = {"", kChooseDestination, "Non c'è nessuna immagine da copiare !", "Errore copia file: "};
            const std::string failure = row.outcome == Failed ? source + " " + destination + r.name : "";
            EXPECT_EQ(r.platform.messages.empty() ? "" : r.platform.messages.back().text, refusals[row.outcome] + failure);
            EXPECT_EQ(r.state.Cartella_Copia, refused ? remembered : destination);
            if (done) {
                EXPECT_EQ(readFile(r.path(row.target)), bytes);
                before[r.path(row.target)] = bytes;
                EXPECT_EQ(r.window.Lista_Immagini[1], r.name) << "the viewer's list is not refreshed";
            }
            if (moved && watched == r.photos.str()) before.erase(r.source);
            EXPECT_EQ(test::filesUnder(watched), before) << "no partial or temporary file, nothing else changed";
        }
    }
}

// Its move question and notices speak the window's language too.
TEST(CopyWindow, TakesTheMainWindowsLanguageAtOpeningAndChangesOnlyItselfByItsFlags) {
    const std::tuple<bool, int, bool, std::string> cases[] = {  // Main Window in English, flag clicked after opening, English, title
        {false, -1, false, "Copia Immagine +"}, {true, -1, true, "Copy Image +"}, {false, 1, true, "Site Builder "}, {true, 0, false, "Site Builder "}};
    for (const auto& [mainEnglish, flag, english, title] : cases) {
        SCOPED_TRACE(title + (mainEnglish ? " from English" : " from Italian"));
        Rig r;
        if (mainEnglish) r.window.Image2_Click(1);
        const std::string mainTitle = r.window.title;
        CopyWindow& w = r.open();
        if (flag >= 0) w.Image2_Click(flag);
        EXPECT_EQ(w.title, title.back() == '+' ? title.substr(0, title.size() - 1) + r.source : title);
        EXPECT_EQ(w.text("Command2"), english ? "Confirmation copying" : "Conferma copia");
        EXPECT_EQ(std::make_pair(Lingua_Inglese(r.window), r.window.title), std::make_pair(mainEnglish, mainTitle));
        // A move answered No: the question and the notice, nothing else.
        const std::string remembered = r.state.Cartella_Copia;
        r.press(w, 3, "@nuova/", false);
        ASSERT_EQ(r.platform.questions.size(), 1u);
        EXPECT_EQ(r.platform.questions[0].text + "|" + r.platform.questions[0].title + "|" + r.platform.messages.back().text,
                  std::string(kMoveQuestion.in(english)) + "|" + kMoveQuestionTitle.in(english) + "|" + kMoveRefused.in(english));
        EXPECT_TRUE(fs::exists(r.source) && !fs::exists(r.path("@nuova")) && w.isOpen());
        EXPECT_EQ(r.state.Cartella_Copia, remembered);
        r.state.Nome_Img_Copia.clear();
        r.press(w, 2, "@");
        EXPECT_EQ(r.platform.messages.back().text, kNoImageToCopy.in(english));
    }
}

// The window copies the image handed over, whatever the viewer shows since.
TEST(CopyLauncher, HandsOverTheImageOnViewAndKeepsOneWindowOpen) {
    Rig r;
    r.load();
    const std::vector<std::string> names = {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg"};
    for (const auto& n : names) makeFile(r.photo(n), "bytes of " + n);
    r.platform.listings[r.photos.str() + "/"] = names;
    r.platform.dialogAnswers = {r.photo("1.jpg")};
    r.window.Command1_Click();
    r.window.setText("Text2", -1, "5");
    r.window.Command6_Click();
    CopyWindow& w = r.open();
    EXPECT_EQ(w.text("Text1") + "|" + w.title, r.app.str() + "/copia/|Copia Immagine " + r.photo("5.jpg"));
    EXPECT_EQ(r.platform.onScreen, std::vector<const WindowModel*>{&w});
    // Opened again while open: brought forward with what it holds.
    w.setText("Text1", "scritto");
    w.Image2_Click(1);
    ASSERT_EQ(&r.open(), &w);
    EXPECT_EQ(std::make_tuple(w.text("Text1"), Lingua_Inglese(w), r.platform.windowShowings), std::make_tuple("scritto", true, 2));
    // Closed by its close box, then opened anew: from its design.
    w.closeBox();
    EXPECT_TRUE(r.platform.onScreen.empty());
    CopyWindow& fresh = r.open();
    EXPECT_EQ(fresh.text("Text1") + "|" + fresh.text("Command1"), r.app.str() + "/copia/|Sfoglia...");
    // The viewer steps on, then lists another folder, while the window is open.
    r.window.Command4_Click();
    r.platform.dialogAnswers = {makeFile(r.dest / "altrove/5.jpg", "another photo")};
    r.window.Command1_Click();
    r.press(fresh, 2, "@");
    EXPECT_EQ(readFile(r.dest / "5.jpg"), "bytes of 5.jpg");
    EXPECT_FALSE(fs::exists(r.dest / "6.jpg") || fresh.isOpen());
    // Later launches offer the folder the window last copied into.
    EXPECT_EQ(r.open().text("Text1"), r.dest.str() + "/");
}

TEST(CopyWindow, FolderButtonOffersTheRememberedFolderThenAChooser) {
    // remembered, answer to "make it?", folder chosen (none: the chooser is closed), field and Cartella_Copia, folders made
    const std::tuple<std::string, bool, std::string, std::string, std::vector<std::string>> cases[] = {
        {"@nuova/", true, "", "@nuova/", {"@nuova"}}, {"@nuova/", false, "", "@nuova/", {}},
        {"@a/b/c", true, "", "@a/b/", {"@a", "@a/b"}},  // all but the last level
        {"cartella", false, "", "", {}},                // no separator at all
        {"@", false, "@scelta", "@scelta/", {}}, {"@", false, "@scelta/", "@scelta/", {}},
    };
    for (const auto& [remembered, yes, chosen, field, made] : cases) {
        SCOPED_TRACE(remembered + " " + chosen);
        Rig r;
        r.state.Cartella_Copia = r.path(remembered);
        CopyWindow& w = r.open();
        w.setText("Text1", "typed and replaced");
        r.platform.yesNoAnswers = {yes};
        if (!chosen.empty()) r.platform.folderAnswers = {r.path(chosen)};
        w.Command1_Click();
        EXPECT_EQ(r.platform.questions.at(0).title, "Creazione nuova cartella");
        EXPECT_EQ(r.platform.folderDialogs.at(0), r.path(chosen.empty() ? field : remembered)) << "opened on the remembered folder";
        EXPECT_EQ(w.text("Text1") + "|" + r.state.Cartella_Copia, r.path(field) + "|" + r.path(field));
        std::vector<std::string> found, expected;
        for (const auto& e : fs::recursive_directory_iterator(r.dest.str())) found.push_back(e.path().string());
        for (const auto& m : made) expected.push_back(r.path(m));
        EXPECT_EQ(found, expected);
    }
}

}  // namespace
}  // namespace sb
