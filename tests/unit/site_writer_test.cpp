// Writing a whole site into real folders: what lands there, and that the
// report names exactly what did not.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "site/home_page.h"
#include "site/script_file.h"
#include "site/site_writer.h"

namespace sb {
namespace {

namespace fs = std::filesystem;

class Scratch {
public:
    Scratch() {
        static std::atomic<int> counter{0};
        path_ = fs::temp_directory_path() /
                ("sb-site-writer-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ec;
        // Read-only corners left by a test must not stop the clean-up.
        for (auto it = fs::recursive_directory_iterator(path_, ec); it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(path_, ec);
    }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void makeFile(const std::string& path, const std::string& content = "GIF89a-picture") {
    std::ofstream(path, std::ios::binary) << content;
}

std::string withLineEnds(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

Parametri_Sito documentedDefaults(const std::string& app, const std::string& site) {
    Parametri_Sito p;
    p.Cartella_Sito = site;
    p.MAX_NUM_ARG = 5;
    p.MAX_NUM_RIGHE = 4;
    p.MAX_NUM_IMG_RIGA = 4;
    p.POS_Y_GRUPPI = 30;
    p.ALT_GRUPPI = 95;
    p.LARGH_X_DIA = 135;
    p.ALT_DIA = 100;
    p.POS_X_DIA = 400;
    p.POS_Y_DIA = 190;
    p.POS_Y_IMG = 200;
    p.POS_X_IMG_GRANDE = 220;
    p.POS_Y_IMG_GRANDE = 80;
    p.Nome_Immagine_Sfondo_Sito = app + "/SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg";
    p.Nome_Immagine_Pulsanti_Argomenti = app + "/PULSANTI/Tela_Vuota_Quadro_3_200x152_RID.jpg";
    p.Nome_Sfondo_Pagina_Immagini = app + "/SFONDI/Tela_Vuota_Quadro_3_RID.jpg";
    p.Nome_Immagine_Sfondo_Diapositiva = app + "/SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01.gif";
    p.Nome_Immagine_Testata = app + "/TESTATE/Image5.jpg";
    p.Nome_Immagine_Sfondo_Fumetto_1 = app + "/TESTATE/Fumetto_01.gif";
    p.Nome_Immagine_Pulsante_X_1 = app + "/PULSANTI/Pulsante_tondo_Annulla_thumbdown.gif";
    p.Nome_Immagine_Pulsante_X_2 = app + "/PULSANTI/Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF";
    return p;
}

const std::string kApp = SB_APP_DIR;

TEST(SiteWriter, DefaultSiteIsTheScriptThePageAndTwentyThreePictures) {
    Scratch scratch;
    const std::string site = scratch.str() + "/LAYOUT_01/";
    const Parametri_Sito p = documentedDefaults(kApp, site);
    const SiteReport report = writeSite({p, "Titolo del Sito", "Descrizione del Sito", kApp, kApp});

    EXPECT_TRUE(report.complete());
    EXPECT_EQ(siteMessage(report), "Registrazione Sito terminata ! \r\nCartella " + site);

    // Name in the site -> where it comes from.
    const std::vector<std::pair<std::string, std::string>> pictures = {
        {"blank.gif", kApp + "/blank.gif"},
        {"Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg", p.Nome_Immagine_Sfondo_Sito},
        {"Tela_Vuota_Quadro_3_200x152_RID.jpg", p.Nome_Immagine_Pulsanti_Argomenti},
        {"Tela_Vuota_Quadro_3_RID.jpg", p.Nome_Sfondo_Pagina_Immagini},
        {"Sfondo_Diapositiva_Oro_01.gif", p.Nome_Immagine_Sfondo_Diapositiva},
        {"Image5.jpg", p.Nome_Immagine_Testata},
        {"Fumetto_01.gif", p.Nome_Immagine_Sfondo_Fumetto_1},
        {"Pulsante_tondo_Annulla_thumbdown.gif", p.Nome_Immagine_Pulsante_X_1},
        {"Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF", p.Nome_Immagine_Pulsante_X_2},
        {"Icona_Avanti_1.gif", kApp + "/Icona_Avanti_1.gif"},
        {"Icona_Avanti_2.gif", kApp + "/Icona_Avanti_2.gif"},
        {"Icona_Indietro_1.gif", kApp + "/Icona_Indietro_1.gif"},
        {"Icona_Indietro_2.gif", kApp + "/Icona_Indietro_2.gif"},
        {"Pulsante_01.gif", kApp + "/Pulsante_01.gif"},
        {"Pulsante_02.gif", kApp + "/Pulsante_02.gif"},
        {"Pulsante_03.gif", kApp + "/Pulsante_03.gif"},
        {"Pulsante_04.gif", kApp + "/Pulsante_04.gif"},
        {"Pulsante_05.gif", kApp + "/Pulsante_05.gif"},
        {"Pulsante_06.gif", kApp + "/Pulsante_06.gif"},
        {"Pulsante_07.gif", kApp + "/Pulsante_07.gif"},
        {"Pulsante_08.gif", kApp + "/Pulsante_08.gif"},
        {"Pulsante_09.gif", kApp + "/Pulsante_09.gif"},
        {"Pulsante_10.gif", kApp + "/Pulsante_10.gif"},
    };
    std::set<std::string> expected = {"Parametri_by_Velmora.js", "index.htm"};
    for (const auto& [name, source] : pictures) {
        expected.insert(name);
        const std::string copy = readFile(site + name);
        EXPECT_FALSE(copy.empty()) << name;
        EXPECT_EQ(copy, readFile(source)) << name;
    }
    std::set<std::string> present;
    for (const auto& entry : fs::directory_iterator(site)) present.insert(entry.path().filename().string());
    EXPECT_EQ(present, expected);
}

TEST(SiteWriter, PicturesSharingANameEndAsTheLaterOne) {
    Scratch scratch;
    const std::string site = scratch.str() + "/sito/";
    fs::create_directories(scratch.str() + "/uno");
    fs::create_directories(scratch.str() + "/due");
    makeFile(scratch.str() + "/uno/stesso.gif", "first");
    makeFile(scratch.str() + "/due/stesso.gif", "second");
    Parametri_Sito p = documentedDefaults(kApp, site);
    // Header before balloon in the order of the copies.
    p.Nome_Immagine_Testata = scratch.str() + "/due/stesso.gif";
    p.Nome_Immagine_Sfondo_Fumetto_1 = scratch.str() + "/uno/stesso.gif";
    // Both close buttons from one file: copied twice, no failure.
    p.Nome_Immagine_Pulsante_X_2 = p.Nome_Immagine_Pulsante_X_1;

    const SiteReport report = writeSite({p, "T", "D", kApp, kApp});
    EXPECT_TRUE(report.complete()) << siteMessage(report);
    EXPECT_EQ(readFile(site + "stesso.gif"), "first");
    EXPECT_EQ(readFile(site + "Pulsante_tondo_Annulla_thumbdown.gif"), readFile(p.Nome_Immagine_Pulsante_X_1));
}

TEST(SiteWriter, PicturesAlreadyInTheSiteFolderAreNoFailure) {
    Scratch scratch;
    const std::string site = scratch.str() + "/sito/";
    Parametri_Sito p = documentedDefaults(kApp, site);
    ASSERT_TRUE(writeSite({p, "T", "D", kApp, kApp}).complete());
    const std::string icon = readFile(site + "Icona_Avanti_1.gif");
    const std::string background = readFile(site + "Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg");

    // After an announced run the working directory is the site folder, and a
    // picture may be chosen from the site itself.
    p.Nome_Immagine_Sfondo_Sito = site + "Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg";
    const SiteReport again = writeSite({p, "T", "D", kApp, site});
    EXPECT_TRUE(again.complete()) << siteMessage(again);
    EXPECT_EQ(siteMessage(again), "Registrazione Sito terminata ! \r\nCartella " + site);
    EXPECT_EQ(readFile(site + "Icona_Avanti_1.gif"), icon);
    EXPECT_EQ(readFile(site + "Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg"), background);
}

// --- bad input ------------------------------------------------------------------------

struct Scene {
    std::string root;     // scratch folder, no trailing separator
    std::string sources;  // an empty folder for odd pictures
    Parametri_Sito p;
    std::string app = kApp;
    std::string workingDirectory = kApp;
};

struct BadInput {
    const char* name;
    std::function<void(Scene&)> arrange;
    bool needsPermissions = false;  // meaningless when run as root
    // What must go wrong, no more and no less.
    bool folderMissing = false;
    bool scriptWritten = true;
    bool homePageWritten = true;
    std::size_t uncopied = 0;
    std::size_t omitted = 0;
};

void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }

std::string picture(Scene& s, const std::string& name) {
    makeFile(s.sources + "/" + name, "picture " + name);
    return s.sources + "/" + name;
}

const BadInput kBadInputs[] = {
    {"NewFolder", [](Scene& s) { s.p.Cartella_Sito = s.root + "/nuovo/"; }},
    {"ExistingFolderWithOldFiles",
     [](Scene& s) {
         fs::create_directories(s.root + "/vecchio");
         makeFile(s.root + "/vecchio/index.htm", "old page");
         makeFile(s.root + "/vecchio/blank.gif", "old picture");
         s.p.Cartella_Sito = s.root + "/vecchio/";
     }},
    {"FolderWithBlanksAndAccents", [](Scene& s) { s.p.Cartella_Sito = s.root + "/il mio sito è qui/"; }},
    {"ParentMissing", [](Scene& s) { s.p.Cartella_Sito = s.root + "/manca/nuovo/"; }, false, true, false, false, 23},
    {"FolderIsAFile",
     [](Scene& s) {
         makeFile(s.root + "/file.txt", "text");
         s.p.Cartella_Sito = s.root + "/file.txt/";
     },
     false, true, false, false, 23},
    {"FolderUnderAFile",
     [](Scene& s) {
         makeFile(s.root + "/file.txt", "text");
         s.p.Cartella_Sito = s.root + "/file.txt/sito/";
     },
     false, true, false, false, 23},
    {"FolderReadOnly",
     [](Scene& s) {
         fs::create_directories(s.root + "/chiuso");
         ::chmod((s.root + "/chiuso").c_str(), 0555);
         s.p.Cartella_Sito = s.root + "/chiuso/";
     },
     true, false, false, false, 23},
    {"ScriptReadOnly",
     [](Scene& s) {
         fs::create_directories(s.root + "/sito");
         makeFile(s.root + "/sito/Parametri_by_Velmora.js", "old script");
         ::chmod((s.root + "/sito/Parametri_by_Velmora.js").c_str(), 0444);
         s.p.Cartella_Sito = s.root + "/sito/";
     },
     true, false, false, true},
    {"ImageMissing", [](Scene& s) { s.p.Nome_Immagine_Testata = s.sources + "/manca.jpg"; }, false, false, true, true,
     1},
    {"ImageUnreadable",
     [](Scene& s) {
         s.p.Nome_Immagine_Testata = picture(s, "chiusa.jpg");
         ::chmod(s.p.Nome_Immagine_Testata.c_str(), 0);
     },
     true, false, true, true, 1},
    {"ImageIsAFolder",
     [](Scene& s) {
         fs::create_directories(s.sources + "/cartella.jpg");
         s.p.Nome_Immagine_Testata = s.sources + "/cartella.jpg";
     },
     false, false, true, true, 1},
    {"ImageIsAPipe",
     [](Scene& s) {
         s.p.Nome_Immagine_Testata = s.sources + "/tubo.jpg";
         ::mkfifo(s.p.Nome_Immagine_Testata.c_str(), 0666);
     },
     false, false, true, true, 1},
    {"TargetNamesAFolder", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito + "Image5.jpg"); }, false, false,
     true, true, 1},
    {"TargetNamesAPipe",
     [](Scene& s) {
         fs::create_directories(s.p.Cartella_Sito);
         ::mkfifo((s.p.Cartella_Sito + "blank.gif").c_str(), 0666);
     },
     false, false, true, true, 1},
    {"TargetLinksToItsSource",
     [](Scene& s) {
         fs::create_directories(s.p.Cartella_Sito);
         fs::create_symlink(s.p.Nome_Immagine_Testata, s.p.Cartella_Sito + "Image5.jpg");
     }},
    {"ImageUnderAFile", [](Scene& s) { s.p.Nome_Immagine_Testata = picture(s, "x.jpg") + "/y.jpg"; }, false, false,
     true, true, 1},
    {"ImageEmpty", [](Scene& s) { s.p.Nome_Immagine_Testata = ""; }, false, false, true, true, 1},
    {"ImageEndsWithSeparator", [](Scene& s) { s.p.Nome_Immagine_Testata = s.sources + "/"; }, false, false, true, true,
     1},
    {"NameWithQuote", [](Scene& s) { s.p.Nome_Immagine_Sfondo_Sito = picture(s, "l'alba.jpg"); }},
    {"NameWithAmpersandAndAngles", [](Scene& s) { s.p.Nome_Immagine_Sfondo_Sito = picture(s, "a&b<c>\"d\".jpg"); }},
    {"NameWithBlanks", [](Scene& s) { s.p.Nome_Immagine_Testata = picture(s, " foto  del mare .jpg"); }},
    {"NameNonLatin", [](Scene& s) { s.p.Nome_Immagine_Sfondo_Sito = picture(s, "東京 Ελλάδα.jpg"); }},
    {"Name255Bytes", [](Scene& s) { s.p.Nome_Immagine_Sfondo_Sito = picture(s, std::string(251, 'n') + ".jpg"); }},
    {"BlankGifMissing", [](Scene& s) { s.app = s.sources; }, false, false, true, true, 1},
    {"WorkingDirectoryWithoutIcons", [](Scene& s) { s.workingDirectory = s.sources; }, false, false, true, true, 14},
    {"GroupPositionAbc", [](Scene& s) { s.p.POS_Y_GRUPPI = "abc"; }, false, false, true, true, 0, 1},
    {"GroupPosition40px", [](Scene& s) { s.p.POS_Y_GRUPPI = "40px"; }, false, false, true, true, 0, 1},
    {"GroupSpacingEmpty", [](Scene& s) { s.p.ALT_GRUPPI = ""; }, false, false, true, true, 0, 1},
    {"GroupPosition4e1", [](Scene& s) { s.p.POS_Y_GRUPPI = "4e1"; }},
    {"GroupPositionMinus7Point5", [](Scene& s) { s.p.POS_Y_GRUPPI = "-7.5"; }},
};

class SiteWriterBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(SiteWriterBadInput, ReportsExactlyWhatFailed) {
    const BadInput& c = GetParam();
    if (c.needsPermissions && ::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the root user";
    Scratch scratch;
    Scene s;
    s.root = scratch.str();
    s.sources = s.root + "/sorgenti";
    fs::create_directories(s.sources);
    s.p = documentedDefaults(kApp, s.root + "/sito/");
    c.arrange(s);
    const std::string oldScript = readFile(s.p.Cartella_Sito + "Parametri_by_Velmora.js");

    const SiteRequest request{s.p, "Titolo", "Descrizione", s.app, s.workingDirectory};
    const SiteReport report = writeSite(request);

    EXPECT_EQ(report.folderMissing, c.folderMissing);
    EXPECT_EQ(report.scriptWritten, c.scriptWritten);
    EXPECT_EQ(report.homePageWritten, c.homePageWritten);
    EXPECT_EQ(report.uncopiedImages.size(), c.uncopied);
    EXPECT_EQ(report.omittedLines.size(), c.omitted);

    // What the report says against what the folder holds.
    const std::string& site = s.p.Cartella_Sito;
    const std::string script = readFile(site + "Parametri_by_Velmora.js");
    EXPECT_EQ(report.scriptWritten, script == withLineEnds(composeParameterScript(s.p).lines));
    if (!report.scriptWritten) {
        EXPECT_EQ(script, oldScript) << "a failed write must leave the old file whole";
    }
    EXPECT_EQ(report.homePageWritten,
              readFile(site + "index.htm") ==
                  withLineEnds(composeHomePage("Titolo", "Descrizione", s.p.Nome_Immagine_Sfondo_Sito)));
    std::set<std::string> reportedSources;
    for (const ImageCopy& copy : report.uncopiedImages) reportedSources.insert(copy.source);
    for (const ImageCopy& copy : siteImageCopies(request)) {
        const bool landed = fs::is_regular_file(copy.target) && fs::is_regular_file(copy.source) &&
                            readFile(copy.target) == readFile(copy.source);
        EXPECT_NE(landed, reportedSources.count(copy.source) > 0) << copy.source << " -> " << copy.target;
    }

    // The message: done only when nothing failed, and every failure named.
    const std::string message = siteMessage(report);
    const std::string done = "Registrazione Sito terminata ! \r\nCartella " + site;
    if (report.complete()) {
        EXPECT_EQ(message, done);
    } else {
        EXPECT_NE(message.find("Cartella " + site), std::string::npos);
        EXPECT_EQ(message.rfind(report.written() ? "Registrazione Sito incompleta ! \r\n"
                                                 : "Registrazione Sito non riuscita ! \r\n",
                                0),
                  0u)
            << message;
    }
    EXPECT_EQ(message.find("Impossibile creare la cartella " + site) != std::string::npos, c.folderMissing);
    EXPECT_EQ(message.find("Impossibile scrivere il file " + site + "Parametri_by_Velmora.js") != std::string::npos,
              !c.scriptWritten);
    EXPECT_EQ(message.find("Impossibile scrivere il file " + site + "index.htm") != std::string::npos,
              !c.homePageWritten);
    for (const std::string& source : reportedSources) {
        EXPECT_NE(message.find("\r\nImmagine non copiata: " + source), std::string::npos) << source;
    }
    for (const OmittedLine& omitted : report.omittedLines) {
        EXPECT_NE(message.find("\r\nRiga del parametro " + omitted.variable + " omessa: valore non numerico \"" +
                               omitted.value + "\""),
                  std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SiteWriterBadInput, testing::ValuesIn(kBadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sb
