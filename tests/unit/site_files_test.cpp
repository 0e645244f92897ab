// The files of a site byte for byte, a report that names exactly what did not
// land, and awkward names that still reach the picture itself.
#include <sys/stat.h>

#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <set>

#include "cramped_folder.h"
#include "fake_platform.h"
#include "site/home_page.h"
#include "site/script_file.h"
#include "site/site_writer.h"
#include "viewer/sample_pages.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::crlf;
using test::makeFile;
using test::readFile;
using test::startDefaults;
const std::string kApp = SB_APP_DIR;

// Written twice over: the second run replaces, it does not add.
TEST(SiteFiles, DefaultSiteIsTheGoldenFilesAndItsPictures) {
    test::TempDir dir;
    const Parametri_Sito p = startDefaults(dir.str() + "/");
    for (int run = 0; run < 2; ++run) writeSite({p, "Titolo del Sito", "Descrizione del Sito", kApp, kApp});
    // The application folder's files by name, without the default site that
    // a start of the program writes there (another test may be writing it now).
    std::map<std::string, std::string> installed;
    for (const auto& [path, bytes] : test::filesUnder(kApp)) {
        if (path.find("/LAYOUT_01/") == std::string::npos) installed.emplace(fs::path(path).filename(), bytes);
    }
    const auto site = test::filesUnder(p.Cartella_Sito);
    EXPECT_EQ(site.size(), 3u + 25u);
    for (const auto& [path, bytes] : site) {
        const std::string name = fs::path(path).filename(), golden = readFile(SB_SOURCE_DIR "/tests/unit/golden/" + name);
        EXPECT_EQ(bytes, golden.empty() ? installed[name] : golden) << name;
    }
}

// Even when the two files have the same size and time, as files unpacked
// together may have, and the site is written again.
TEST(SiteFiles, PicturesSharingANameEndAsTheLaterOne) {
    test::TempDir dir;
    Parametri_Sito p = startDefaults(dir / "sito/");
    p.Nome_Immagine_Testata = makeFile(dir / "due/stesso.gif", "second");  // the header is copied before the balloon
    p.Nome_Immagine_Sfondo_Fumetto_1 = makeFile(dir / "uno/stesso.gif", "first!");
    const timespec unpacked[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
    for (const std::string& picture : {p.Nome_Immagine_Testata, p.Nome_Immagine_Sfondo_Fumetto_1}) ::utimensat(AT_FDCWD, picture.c_str(), unpacked, 0);
    writeSite({p, "T", "D", kApp, kApp});
    p.Nome_Immagine_Pulsante_X_2 = p.Nome_Immagine_Pulsante_X_1;  // one file copied twice: no failure
    const SiteReport report = writeSite({p, "T", "D", kApp, kApp});
    EXPECT_TRUE(report.complete()) << siteMessage(report);
    EXPECT_EQ(readFile(p.Cartella_Sito + "stesso.gif"), "first!");
    EXPECT_EQ(readFile(p.Cartella_Sito + "Pulsante_tondo_Annulla_thumbdown.gif"), readFile(p.Nome_Immagine_Pulsante_X_1));
}

// Under the user's locale the decimal point may be a comma; the script keeps the point.
TEST(ParameterScript, ValuesAreWrittenAsNumbersOrTheirLineIsLeftOut) {
    struct Locale { std::string saved; ~Locale() { std::setlocale(LC_NUMERIC, saved.c_str()); } };
    const Locale restore{std::setlocale(LC_NUMERIC, nullptr)};
    for (const char* name : {"it_IT.UTF-8", "it_IT.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"}) if (std::setlocale(LC_NUMERIC, name)) break;
    const std::pair<Value, std::string> cases[] = {  // "": the line is left out
        {5, " 5"}, {-20, "-20"}, {-0.5, "-.5"}, {1.5, " 1.5"}, {0.000123, " .000123"}, {1e-7, " 1E-07"}, {1e21, " 1E+21"},
        {DBL_MAX, " 1.7976931348623157E+308"}, {-DBL_MAX, "-1.7976931348623157E+308"},  // not rounded to Infinity
        {"40", " 40"}, {"4e1", " 40"}, {"-7.5", "-7.5"}, {".5", " .5"}, {" 40 ", " 40"},
        {"abc", ""}, {"40px", ""}, {"4,5", ""}, {"", ""}, {"  ", ""}, {"-", ""}, {"4 0", ""},
        {"1e999", ""}, {"inf", ""}, {"nan", ""},
    };
    for (const auto& [value, written] : cases) {
        Parametri_Sito p = startDefaults("/site/");
        p.POS_Y_GRUPPI = value;
        const ParameterScript script = composeParameterScript(p);
        SCOPED_TRACE('"' + value.toText() + '"');
        const bool left = written.empty();
        EXPECT_EQ(script.lines.size(), left ? 31u : 32u);
        EXPECT_EQ(script.lines.at(9), left ? "var ALT_GRUPPI= 95;" : "var POS_Y_GRUPPI=" + written + ";");
        ASSERT_EQ(script.omitted.size(), left ? 1u : 0u);
        for (const OmittedLine& o : script.omitted) EXPECT_EQ(o.variable + "=" + o.value, "POS_Y_GRUPPI=" + value.text());
    }
}

TEST(ParameterScript, ImageNamesAreSingleQuotedWindows1252Strings) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\img\\a.jpg", "a.jpg"}, {"/home/ann/foto mare/a b.jpg", "a b.jpg"}, {"nudo.gif", "nudo.gif"}, {"/home/ann/", ""},
        {"/x/it's.jpg", "it\\'s.jpg"}, {"/x/Caffè.jpg", "Caff\xE8.jpg"}, {"/x/\u0081.gif", "\\u0081.gif"},
        {"/x/東京.jpg", "\\u6771\\u4eac.jpg"}, {"/x/a\u2028b.gif", "a\\u2028b.gif"},
        {"/x/caf\xE9 \x81\x80.jpg", "caf\xE9 \\u0081\x80.jpg"},  // not UTF-8: read as Windows-1252
        {"/x/a\x1A\x01\tb\x7F.gif", "a\\u001a\\u0001\tb\\u007f.gif"},  // control characters, but the tab
    };
    for (const auto& [path, written] : cases) {
        Parametri_Sito p = startDefaults("/site/");
        p.Nome_Immagine_Testata = path;
        EXPECT_EQ(composeParameterScript(p).lines.at(27), "var Nome_Immagine_Testata='" + written + "';") << path;
    }
    // A backslash never survives the path split, but is escaped all the same.
    EXPECT_EQ(scriptStringBody("a\\b'"), "a\\\\b\\'");
}

TEST(HomePage, TitleDescriptionAndBackgroundGoInWhole) {
    struct Case { std::string title, description, background, titleShown, descriptionShown, backgroundShown; };  // Windows-1252
    const Case cases[] = {
        {"   Mare  ", "  Onde ", "Sfondo.jpg", "Mare", "Onde", "Sfondo.jpg"},  // typed, not yet committed: trimmed
        {"", "", "/a/", "", "", ""},
        {"A < B & C", "<b>grassetto</b> &amp; più", "x.jpg", "A < B & C", "<b>grassetto</b> &amp; pi\xF9", "x.jpg"},
        {"Caffè €", "Ελλάδα 😀", "x.jpg", "Caff\xE8 \x80", "&#917;&#955;&#955;&#940;&#948;&#945; &#128512;", "x.jpg"},
        {"T", "riga 1\nriga 2\r\nriga 3", "x.jpg", "T", "riga 1\r\nriga 2\r\nriga 3", "x.jpg"},
        {"T\x1A", "a\tb\x7F\x01", "x.jpg", "T&#26;", "a\tb&#127;&#1;", "x.jpg"},  // never a raw control but the tab
        // The background reaches the browser as the file it names (the odd names below try many more).
        {"T", "D", "C:\\img\\è.gif", "T", "D", "%C3%A8.gif"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines = composeHomePage(c.title, c.description, c.background);
        SCOPED_TRACE(c.title + " / " + c.description + " / " + c.background);
        ASSERT_EQ(lines.size(), 51u);
        EXPECT_EQ(lines[3], "<title>" + c.titleShown + " - Layout creato da Velmora(c)</title>");
        EXPECT_EQ(lines[23], "<body background='" + c.backgroundShown + "'>");
        EXPECT_EQ(lines[31], c.descriptionShown + "</strong></font>");
    }
}

struct Scene {
    explicit Scene(const std::string& app) : app(app), workingDirectory(app) { fs::create_directories(sources); }
    std::string picture(const std::string& name) { return makeFile(sources + "/" + name, "picture " + name); }
    test::TempDir dir;
    std::string app, workingDirectory;
    std::string sources = dir / "sorgenti";  // odd pictures
    Parametri_Sito p = startDefaults(dir / "sito/", app);
};

enum Written { All, NoFolder, NoFiles, NoScript };

struct BadInput {
    const char* name;
    std::function<void(Scene&)> arrange;
    Written written = All;
    std::size_t uncopied = 0, omitted = 0;
    bool permissions = false;  // run where permissions bind (the root user ignores them)
};

// A site whose folder cannot be written lacks its 23 pictures and its icon.
const BadInput kBadInputs[] = {
    {"FolderWithOldFiles", [](Scene& s) { makeFile(s.p.Cartella_Sito + "index.htm", "old"); makeFile(s.p.Cartella_Sito + "blank.gif", "old"); }},
    {"ParentMissing", [](Scene& s) { s.p.Cartella_Sito = s.dir / "manca/nuovo/"; }, NoFolder, 24},
    {"FolderIsAFile", [](Scene& s) { s.p.Cartella_Sito = makeFile(s.dir / "file.txt") + "/"; }, NoFolder, 24},
    {"FolderUnderAFile", [](Scene& s) { s.p.Cartella_Sito = makeFile(s.dir / "file.txt") + "/sito/"; }, NoFolder, 24},
    {"FolderReadOnly", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito); ::chmod(s.p.Cartella_Sito.c_str(), 0555); }, NoFiles, 24, 0, true},
    {"ScriptReadOnly", [](Scene& s) { ::chmod(makeFile(s.p.Cartella_Sito + kScriptFileName, "old").c_str(), 0444); }, NoScript, 0, 0, true},
    {"ImageMissing", [](Scene& s) { s.p.Nome_Immagine_Testata = s.sources + "/manca.jpg"; }, All, 1},
    {"ImageUnreadable", [](Scene& s) { ::chmod((s.p.Nome_Immagine_Testata = s.picture("chiusa.jpg")).c_str(), 0); }, All, 1, 0, true},
    {"ImageIsAFolder", [](Scene& s) { fs::create_directories(s.p.Nome_Immagine_Testata = s.sources + "/cartella.jpg"); }, All, 1},
    {"ImageIsAPipe", [](Scene& s) { ::mkfifo((s.p.Nome_Immagine_Testata = s.sources + "/tubo.jpg").c_str(), 0666); }, All, 1},
    {"ImageUnderAFile", [](Scene& s) { s.p.Nome_Immagine_Testata = s.picture("x.jpg") + "/y.jpg"; }, All, 1},
    {"ImageEmpty", [](Scene& s) { s.p.Nome_Immagine_Testata = ""; }, All, 1},
    {"ImageEndsWithSeparator", [](Scene& s) { s.p.Nome_Immagine_Testata = s.sources + "/"; }, All, 1},
    {"TargetNamesAFolder", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito + "Image5.jpg"); }, All, 1},
    {"TargetNamesAPipe", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito); ::mkfifo((s.p.Cartella_Sito + "blank.gif").c_str(), 0666); }, All, 1},
    {"TargetLinksToItsSource", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito); fs::create_symlink(s.p.Nome_Immagine_Testata = s.picture("via.jpg"), s.p.Cartella_Sito + "via.jpg"); }},
    {"BlankGifMissing", [](Scene& s) { s.app = s.sources; }, All, 2},  // and the icon
    {"WorkingDirectoryWithoutIcons", [](Scene& s) { s.workingDirectory = s.sources; }, All, 14},
    {"GroupValuesNotNumbers", [](Scene& s) { s.p.POS_Y_GRUPPI = "40px"; s.p.ALT_GRUPPI = ""; }, All, 0, 2},
};

// The report and its message against what the folder holds and the table.
void reportsExactlyWhatFailed(const BadInput& c, const std::string& app) {
    Scene s(app);
    c.arrange(s);
    const std::string& site = s.p.Cartella_Sito;
    const std::string oldScript = readFile(site + kScriptFileName);
    const SiteRequest request{s.p, "Titolo", "Descrizione", s.app, s.workingDirectory};
    const SiteReport report = writeSite(request);

    EXPECT_EQ(std::make_tuple(report.folderMissing, report.scriptWritten, report.homePageWritten, report.uncopiedImages.size(),
                              report.omittedLines.size()),
              std::make_tuple(c.written == NoFolder, c.written == All, c.written == All || c.written == NoScript, c.uncopied, c.omitted));
    const std::string script = readFile(site + kScriptFileName);
    EXPECT_EQ(script, report.scriptWritten ? crlf(composeParameterScript(s.p).lines) : oldScript) << "a failed write leaves the old file whole";
    EXPECT_EQ(report.homePageWritten,
              readFile(site + kHomePageFileName) == crlf(composeHomePage("Titolo", "Descrizione", s.p.Nome_Immagine_Sfondo_Sito)));
    std::set<std::string> reported;
    for (const ImageCopy& copy : report.uncopiedImages) reported.insert(copy.source);
    for (const ImageCopy& copy : siteImageCopies(request)) {  // every source here holds some bytes
        const bool landed = fs::is_regular_file(copy.target) && fs::is_regular_file(copy.source) && fs::file_size(copy.target) > 0 &&
                            readFile(copy.target) == readFile(copy.source);
        EXPECT_NE(landed, reported.count(copy.source) > 0) << copy.source << " -> " << copy.target;
    }

    const std::string message = siteMessage(report);
    const bool complete = c.written == All && c.uncopied + c.omitted == 0;
    const std::string heading = complete ? "terminata" : c.written == All ? "incompleta" : "non riuscita";
    EXPECT_EQ(message.rfind("Registrazione Sito " + heading + " ! \r\nCartella " + site, 0), 0u) << message;
    EXPECT_TRUE(!complete || message == "Registrazione Sito terminata ! \r\nCartella " + site) << message;
    const auto says = [&message](const std::string& line) { return message.find("\r\n" + line) != std::string::npos; };
    EXPECT_EQ(says("Impossibile creare la cartella " + site), c.written == NoFolder);
    EXPECT_EQ(says("Impossibile scrivere il file " + site + kScriptFileName), c.written != All);
    EXPECT_EQ(says("Impossibile scrivere il file " + site + kHomePageFileName), c.written == NoFolder || c.written == NoFiles);
    for (const std::string& source : reported) EXPECT_TRUE(says("Immagine non copiata: " + source)) << source;
    for (const OmittedLine& o : report.omittedLines) {
        EXPECT_TRUE(says("Riga del parametro " + o.variable + " omessa: valore non numerico \"" + o.value + "\"")) << o.variable;
    }
}

TEST(SiteWriter, BadInputIsReportedExactly) {
    for (const BadInput& c : kBadInputs) {
        SCOPED_TRACE(c.name);
        test::asUser(c.permissions, [&c](const std::string& app) { reportsExactlyWhatFailed(c, app); });
    }
}

// Percent-decodes a reference as the browser does before it opens the file.
std::string decoded(const std::string& reference) {
    std::string out;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const bool escape = reference[i] == '%' && i + 2 < reference.size();
        out.push_back(escape ? static_cast<char>(std::stoi(reference.substr(i + 1, 2), nullptr, 16)) : reference[i]);
        i += escape ? 2 : 0;
    }
    return out;
}

// Each odd name (the part before ".jpg"): the sample pages refer to the
// picture itself, and every name the script and home page give is a file of the site.
TEST(OddNames, EveryNameGivenIsThePictureItself) {
    const std::string oddNames[] = {"l'alba", "\"mare\"", "a&b", "hash#x", "pct%20", "q?x=1", "<b>", "  ai lati  ", "riga\nnuova",
                                    "riga\rnuova", "\xF0\x9F\x98\x80", "caf\xE9 \x81", "c:x", std::string(251, 'n')};
    const bool node = std::system("node --version >/dev/null 2>&1") == 0;
    for (const std::string& odd : oddNames) {
        SCOPED_TRACE(odd.substr(0, 20));
        const std::string path = "/foto " + odd + "/" + odd + ".jpg";
        const std::string background = viewer::backgroundPage(path)[4];
        const std::string prefix = "<body background=\"", suffix = "\"> ";
        ASSERT_EQ(background.rfind(prefix, 0), 0u);
        const std::string reference = background.substr(prefix.size(), background.size() - prefix.size() - suffix.size());
        EXPECT_EQ(reference.find_first_of("\"#?\n <>'&\x80\xE9", 0), std::string::npos) << reference;
        EXPECT_EQ(decoded(reference), path);
        if (!node) continue;

        test::TempDir dir;
        const std::string picture = makeFile(dir / (odd + "/" + odd + ".jpg"), "the picture " + odd);
        Parametri_Sito p = startDefaults(dir / ("sito " + odd.substr(0, 250) + "/"));
        p.Nome_Immagine_Sfondo_Sito = p.Nome_Immagine_Pulsanti_Argomenti = p.Nome_Sfondo_Pagina_Immagini =
            p.Nome_Immagine_Sfondo_Diapositiva = p.Nome_Immagine_Testata = p.Nome_Immagine_Sfondo_Fumetto_1 =
                p.Nome_Immagine_Pulsante_X_1 = p.Nome_Immagine_Pulsante_X_2 = picture;
        const SiteReport report = writeSite({p, "Titolo", "Descrizione", SB_APP_DIR, SB_APP_DIR});
        ASSERT_TRUE(report.complete()) << siteMessage(report);
        EXPECT_EQ(std::distance(fs::directory_iterator(p.Cartella_Sito), {}), 21) << "the script, the page, blank.gif, one picture, four arrows, ten buttons, the engine, its list, the icon";
        EXPECT_EQ(readFile(p.Cartella_Sito + siteFileName(picture)), "the picture " + odd);
        const fs::path saved = fs::current_path();
        fs::current_path(p.Cartella_Sito);
        const std::string out = dir / "node.out";
        std::system(("node '" SB_SOURCE_DIR "/tests/unit/odd_names_check.js' >'" + out + "' 2>&1").c_str());
        fs::current_path(saved);
        EXPECT_EQ(readFile(out), "9\n");
    }
    if (!node) GTEST_SKIP() << "node is not installed: the site's names went unchecked";
}

}  // namespace
}  // namespace sb
