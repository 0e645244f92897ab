// The files of a site: the parameter script read by the gallery engine and the
// home page, byte for byte, and the pictures beside them.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "site/home_page.h"
#include "site/script_file.h"
#include "site/site_writer.h"
#include "fake_platform.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::crlf;
using test::readFile;
using test::startDefaults;

// Written twice over: the second run replaces, it does not add.
TEST(SiteFiles, DefaultSiteIsTheGoldenFilesAndItsPictures) {
    test::TempDir dir;
    const Parametri_Sito p = startDefaults(dir.str() + "/");
    for (int run = 0; run < 2; ++run) writeSite({p, "Titolo del Sito", "Descrizione del Sito", SB_APP_DIR, SB_APP_DIR});

    std::set<std::string> expected = {"Parametri_by_Velmora.js", "index.htm", "Immagini_by_Velmora.js"}, present;
    for (const std::string source : {"SFONDI/Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg",
                                     "PULSANTI/Tela_Vuota_Quadro_3_200x152_RID.jpg", "SFONDI/Tela_Vuota_Quadro_3_RID.jpg",
                                     "SFONDI_DIAPOSITIVE/Sfondo_Diapositiva_Oro_01.gif", "TESTATE/Image5.jpg", "TESTATE/Fumetto_01.gif",
                                     "PULSANTI/Pulsante_tondo_Annulla_thumbdown.gif", "PULSANTI/Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF",
                                     "blank.gif", "Icona_Avanti_1.gif", "Icona_Avanti_2.gif", "Icona_Indietro_1.gif", "Icona_Indietro_2.gif",
                                     "Pulsante_01.gif", "Pulsante_02.gif", "Pulsante_03.gif", "Pulsante_04.gif", "Pulsante_05.gif",
                                     "Pulsante_06.gif", "Pulsante_07.gif", "Pulsante_08.gif", "Pulsante_09.gif", "Pulsante_10.gif",
                                     "galleria_by_Velmora.js"}) {
        const std::string name = fs::path(source).filename().string(), copy = readFile(p.Cartella_Sito + name);
        expected.insert(name);
        EXPECT_TRUE(!copy.empty() && copy == readFile(std::string(SB_APP_DIR) + "/" + source)) << name;
    }
    for (const auto& entry : fs::directory_iterator(p.Cartella_Sito)) present.insert(entry.path().filename().string());
    EXPECT_EQ(present, expected);  // no thumbnail folder without groups
    // The written files against the golden copies kept beside this test, byte for byte.
    for (const char* name : {"Parametri_by_Velmora.js", "index.htm", "Immagini_by_Velmora.js"}) {
        EXPECT_EQ(readFile(p.Cartella_Sito + name), readFile(std::string(SB_SOURCE_DIR "/tests/unit/golden/") + name)) << name;
    }
}

// Under the user's locale the decimal point may be a comma; the script keeps the point.
TEST(ParameterScript, ValuesAreWrittenAsNumbersOrTheirLineIsLeftOut) {
    struct Locale { std::string saved; ~Locale() { std::setlocale(LC_NUMERIC, saved.c_str()); } };
    const Locale restore{std::setlocale(LC_NUMERIC, nullptr)};
    for (const char* name : {"it_IT.UTF-8", "it_IT.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"}) if (std::setlocale(LC_NUMERIC, name)) break;
    struct Case { Value value; std::string written; };  // "": the line is left out
    const Case cases[] = {
        {5, " 5"}, {-20, "-20"}, {0, " 0"}, {0.5, " .5"}, {-0.5, "-.5"}, {1.5, " 1.5"}, {0.1 + 0.2, " .3"},
        {0.000123, " .000123"}, {1e-7, " 1E-07"}, {1e21, " 1E+21"}, {123456789012345678.0, " 1.23456789012346E+17"},
        {4.9e-324, " 4.94065645841247E-324"}, {1.7976931348623e308, " 1.7976931348623E+308"},
        {DBL_MAX, " 1.7976931348623157E+308"}, {-DBL_MAX, "-1.7976931348623157E+308"},  // not rounded to Infinity
        {"40", " 40"}, {"4e1", " 40"}, {"-7.5", "-7.5"}, {".5", " .5"}, {" 40 ", " 40"},
        {"abc", ""}, {"40px", ""}, {"4,5", ""}, {"", ""}, {"1e999", ""},
    };
    for (const auto& c : cases) {
        Parametri_Sito p = startDefaults("/site/");
        p.POS_Y_GRUPPI = c.value;
        const ParameterScript script = composeParameterScript(p);
        SCOPED_TRACE('"' + c.value.toText() + '"');
        const bool left = c.written.empty();
        EXPECT_EQ(script.lines.size(), left ? 31u : 32u);
        EXPECT_EQ(script.lines.at(9), left ? "var ALT_GRUPPI= 95;" : "var POS_Y_GRUPPI=" + c.written + ";");
        ASSERT_EQ(script.omitted.size(), left ? 1u : 0u);
        if (left) {
            EXPECT_EQ(script.omitted[0].variable + "=" + script.omitted[0].value, "POS_Y_GRUPPI=" + c.value.text());
        }
    }
}

TEST(ParameterScript, ImageNamesAreSingleQuotedWindows1252Strings) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\img\\a.jpg", "a.jpg"}, {"/home/ann/foto mare/a b.jpg", "a b.jpg"}, {"nudo.gif", "nudo.gif"}, {"/home/ann/", ""},
        {"/x/it's.jpg", "it\\'s.jpg"}, {"/x/a&b<c>\"d\".jpg", "a&b<c>\"d\".jpg"},
        {"/x/Caffè.jpg", "Caff\xE8.jpg"}, {"/x/€uro.jpg", "\x80uro.jpg"}, {"/x/\u0081.gif", "\\u0081.gif"},
        {"/x/東京.jpg", "\\u6771\\u4eac.jpg"}, {"/x/😀.gif", "\\ud83d\\ude00.gif"},
        {"/x/riga\nnuova.gif", "riga\\nnuova.gif"}, {"/x/a\u2028b.gif", "a\\u2028b.gif"},
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

// The script read as a page reads it (Windows-1252); each variable it defines
// printed with its type, strings as JSON with all but printable ASCII as \uXXXX.
constexpr const char* kNodeHarness =
    R"(const row80 = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160, 0x2039, 0x152, 0x8D, 0x17D, 0x8F,)"
    R"( 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178];)"
    R"( const text = Array.from(require("fs").readFileSync(0), b => String.fromCodePoint(b >= 0x80 && b < 0xA0 ? row80[b - 0x80] : b));)"
    R"( const c = {}; require("vm").runInNewContext(text.join(""), c); for (const [k, v] of Object.entries(c)) console.log(k, typeof v,)"
    R"( typeof v == "string" ? JSON.stringify(v).replace(/[^ -~]/g, ch => "\\u" + ch.charCodeAt(0).toString(16).padStart(4, "0")) : v);)";

TEST(ParameterScript, RunsInNodeAndDefinesEveryValueWritten) {
    if (std::system("node --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "node is not installed";
    const Parametri_Sito p{
        .Cartella_Sito = {}, .MAX_NUM_ARG = 5, .MAX_NUM_RIGHE = -0.5, .MAX_NUM_IMG_RIGA = 1e21, .POS_Y_GRUPPI = "4e1", .ALT_GRUPPI = "abc",
        .LARGH_X_DIA = DBL_MAX, .ALT_DIA = 4.9e-324, .POS_X_DIA = 1e-7, .POS_Y_DIA = 123456789012345678.0, .POS_Y_IMG = -20,
        .POS_X_IMG_GRANDE = 0.000123, .POS_Y_IMG_GRANDE = 0, .Nome_Immagine_Sfondo_Sito = "/s/x\\it's mine.jpg",
        .Nome_Immagine_Pulsanti_Argomenti = "/s/Caffè € ok.gif", .Nome_Sfondo_Pagina_Immagini = "/s/a&b<c>\"d\".jpg",
        .Nome_Immagine_Sfondo_Diapositiva = "/s/東京 😀.png", .Nome_Immagine_Testata = "/s/",
        .Nome_Immagine_Sfondo_Fumetto_1 = "/s/riga\r\nnuova\u2028.gif", .Nome_Immagine_Pulsante_X_1 = "/s/" + std::string(251, 'n') + ".gif",
        .Nome_Immagine_Pulsante_X_2 = "/s/\u0081\u009d.gif"};
    test::TempDir dir;
    std::ofstream(dir / "script.js", std::ios::binary) << crlf(composeParameterScript(p).lines);
    std::system(("node -e '" + std::string(kNodeHarness) + "' <" + dir / "script.js" + " >" + dir / "out" + " 2>&1").c_str());
    // Not ALT_GRUPPI; the backslash is a separator to the path split.
    EXPECT_EQ(readFile(dir / "out"), R"(MAX_NUM_ARG number 5
MAX_NUM_RIGHE number -0.5
MAX_NUM_IMG_RIGA number 1e+21
POS_Y_GRUPPI number 40
LARGH_X_DIA number 1.7976931348623157e+308
ALT_DIA number 5e-324
POS_X_DIA number 1e-7
POS_Y_DIA number 123456789012346000
POS_Y_IMG number -20
POS_X_IMG_GRANDE number 0.000123
POS_Y_IMG_GRANDE number 0
Nome_Immagine_Sfondo_Sito string "it's mine.jpg"
Nome_Immagine_Pulsanti_Argomenti string "Caff\u00e8 \u20ac ok.gif"
Nome_Sfondo_Pagina_Immagini string "a&b<c>\"d\".jpg"
Nome_Immagine_Sfondo_Diapositiva string "\u6771\u4eac \ud83d\ude00.png"
Nome_Immagine_Testata string ""
Nome_Immagine_Sfondo_Fumetto_1 string "riga\r\nnuova\u2028.gif"
Nome_Immagine_Pulsante_X_1 string ")" + std::string(251, 'n') + R"(.gif"
Nome_Immagine_Pulsante_X_2 string "\u0081\u009d.gif"
)");
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
        // The background reaches the browser as the file it names.
        {"T", "D", "/a/l'alba & il mare.jpg", "T", "D", "l%27alba%20%26%20il%20mare.jpg"},
        {"T", "D", "/a/東京 <\"x\">.jpg", "T", "D", "%E6%9D%B1%E4%BA%AC%20%3C%22x%22%3E.jpg"},
        {"T", "D", "C:\\img\\è.gif", "T", "D", "%C3%A8.gif"},
        {"T", "D", "/a/pct%20.jpg", "T", "D", "pct%2520.jpg"},
        {"T", "D", "/a/hash#x?y=1.jpg", "T", "D", "hash%23x%3Fy=1.jpg"},
        {"T", "D", "/a/ riga\nnuova .jpg", "T", "D", "%20riga%0Anuova%20.jpg"},
        {"T", "D", "/a/caf\xE9 \x81.jpg", "T", "D", "caf%C3%A9%20%C2%81.jpg"},  // not UTF-8: read as Windows-1252
        {"T", "D", "/a/a:b.jpg", "T", "D", "a%3Ab.jpg"},  // not a scheme
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

}  // namespace
}  // namespace sb
