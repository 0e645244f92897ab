// The two files of a site, byte for byte: the parameter script read by the
// gallery engine and the home page.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cfloat>
#include <clocale>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/text.h"
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
                ("sb-site-files-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    // The folder followed by its separator, as the site folder is given.
    std::string folder() const { return path_.string() + "/"; }

private:
    fs::path path_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string withLineEnds(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

// The parameters as the program sets them at start, images under `app`.
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

// --- the default site, byte for byte ------------------------------------------

TEST(SiteFiles, DefaultScriptIsTheDocumentedLines) {
    Scratch site;
    const Parametri_Sito p = documentedDefaults(SB_APP_DIR, site.folder());
    writeSite({p, "Titolo del Sito", "Descrizione del Sito", SB_APP_DIR, SB_APP_DIR});

    const std::string expected = withLineEnds({
        "//==========================================================================================",
        "//======== Parametri del Sito ==============================================================",
        "//======== Link Siti Velmora(c)  http://www.velmora.example/                        ========",
        "//==========================================================================================",
        "",
        "var MAX_NUM_ARG= 5;",
        "var MAX_NUM_RIGHE= 4;",
        "var MAX_NUM_IMG_RIGA= 4;",
        "",
        "var POS_Y_GRUPPI= 30;",
        "var ALT_GRUPPI= 95;",
        "",
        "var LARGH_X_DIA= 135;",
        "var ALT_DIA= 100;",
        "",
        "var POS_X_DIA= 400;",
        "var POS_Y_DIA= 190;",
        "",
        "var POS_Y_IMG= 200;",
        "",
        "var POS_X_IMG_GRANDE= 220;",
        "var POS_Y_IMG_GRANDE= 80;",
        "",
        "var Nome_Immagine_Sfondo_Sito='Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg';",
        "var Nome_Immagine_Pulsanti_Argomenti='Tela_Vuota_Quadro_3_200x152_RID.jpg';",
        "var Nome_Sfondo_Pagina_Immagini='Tela_Vuota_Quadro_3_RID.jpg';",
        "var Nome_Immagine_Sfondo_Diapositiva='Sfondo_Diapositiva_Oro_01.gif';",
        "var Nome_Immagine_Testata='Image5.jpg';",
        "var Nome_Immagine_Sfondo_Fumetto_1='Fumetto_01.gif';",
        "var Nome_Immagine_Pulsante_X_1='Pulsante_tondo_Annulla_thumbdown.gif';",
        "var Nome_Immagine_Pulsante_X_2='Pulsante_X_Chiudi_Finestra_by_Velmora_03.GIF';",
        "",
    });
    EXPECT_EQ(readFile(site.folder() + "Parametri_by_Velmora.js"), expected);
}

TEST(SiteFiles, DefaultHomePageIsTheDocumentedLines) {
    Scratch site;
    const Parametri_Sito p = documentedDefaults(SB_APP_DIR, site.folder());
    writeSite({p, "Titolo del Sito", "Descrizione del Sito", SB_APP_DIR, SB_APP_DIR});

    const std::vector<std::string> lines = {
        "",
        "<html><head>",
        "",
        "<title>Titolo del Sito - Layout creato da Velmora(c)</title>",
        "",
        "<meta http-equiv=\"imagetoolbar\" content=\"no\">",
        "",
        "<meta http-equiv=\"Content-Script-Type\" content=\"text/javascript\">",
        "",
        "<!--=====================================================================================-->",
        "<!--======== Home Page del Sito - Site Builder by Velmora ===============================-->",
        "<!--====== Create Web-Sites Free   Velmora(c)  http://www.velmora-siti.example/       ===-->",
        "<!--====== Resources Free Web-Site Velmora(c)  http://www.velmora.example/           ====-->",
        "<!--=====================================================================================-->",
        "<script language=\"JavaScript\" type=\"text/javascript\" src=\"Parametri_by_Velmora.js\"></script>",
        "<!--=====================================================================================-->",
        "<!--=========== Pagina con Pulsanti e Animazioni Angoli Piegati by Velmora(c) ===========-->",
        "<!--=====================================================================================-->",
        "<script language=\"JavaScript\" type=\"text/javascript\" "
        "src=\"http://www.velmora.example/motore/galleria_by_Velmora.js\"></script>",
        "<!--=====================================================================================-->",
        "",
        "</head>",
        "",
        "<body background='Sfondo_Bello_Azzurro_Moderno_main-bg_1024x768_RID.jpg'>",
        "",
        "<!-- Scritta Testata 01 -->",
        "",
        "<div id='Scritta_Testata_01' STYLE='position:absolute;top:45;left:240;'>",
        "<marquee direction='left' behavior='slide' scrollamount='6' scrolldelay='0'>",
        "<font size='6'>",
        "<strong>",
        "Descrizione del Sito</strong></font>",
        "</marquee>",
        "</div>",
        "",
        "<div id='Scritta_Testata_02' STYLE='position:absolute;top:144;left:500;'>",
        "<font size='2'><em>Layout creato da Velmora(c)</em></font>",
        "</div>",
        "",
        "",
        "<noscript><p>",
        "<font size=\"2\" color=\"black\"><strong>",
        "Prego abilitare Javascript - Please enable JavaScript, this web-site runing only with javascript",
        "<a href=\"http://www.velmora.example/index.htm\">See instructions</a><strong></font> <br>",
        "<font size=\"2\" color=\"white\"><strong>",
        "Prego abilitare Javascript - Please enable JavaScript, this web-site runing only with javascript",
        "<a href=\"http://www.velmora.example/index.htm\">See instructions</a><strong></font> <br>",
        "</noscript>",
        "",
        "</body></html>",
        "",
    };
    ASSERT_EQ(lines.size(), 51u);
    for (std::size_t n = 10; n <= 18; ++n) EXPECT_EQ(lines[n - 1].size(), 92u) << "line " << n;
    EXPECT_EQ(readFile(site.folder() + "index.htm"), withLineEnds(lines));
}

TEST(SiteFiles, WritingTwiceGivesTheSameBytes) {
    Scratch site;
    Parametri_Sito p = documentedDefaults(SB_APP_DIR, site.folder());
    p.POS_Y_GRUPPI = "abc";
    p.Nome_Immagine_Testata = "/x/Caffè €.jpg";
    const SiteRequest request{p, "Titolo ◆", "Descrizione", SB_APP_DIR, SB_APP_DIR};
    writeSite(request);
    const std::string script = readFile(site.folder() + "Parametri_by_Velmora.js");
    const std::string page = readFile(site.folder() + "index.htm");
    writeSite(request);
    EXPECT_EQ(readFile(site.folder() + "Parametri_by_Velmora.js"), script);
    EXPECT_EQ(readFile(site.folder() + "index.htm"), page);
}

// --- the parameter script -------------------------------------------------------

// The line of one variable in a composed script, or "" when it is left out.
std::string lineOf(const ParameterScript& script, const std::string& variable) {
    const std::string start = "var " + variable + "=";
    for (const auto& line : script.lines) {
        if (line.compare(0, start.size(), start) == 0) return line;
    }
    return {};
}

TEST(ParameterScript, NumbersAreValidLiteralsInTheSignSpaceForm) {
    struct Case {
        Value value;
        std::string written;
    };
    const Case cases[] = {
        {5, " 5"},
        {-20, "-20"},
        {0, " 0"},
        {0.5, " .5"},
        {-0.5, "-.5"},
        {1.5, " 1.5"},
        {0.000123, " .000123"},
        {1e-7, " 1E-07"},
        {1e21, " 1E+21"},
        {123456789012345678.0, " 1.23456789012346E+17"},
        {0.1 + 0.2, " .3"},
        {4.9e-324, " 4.94065645841247E-324"},
        // Rounded to 15 digits these would read as Infinity.
        {DBL_MAX, " 1.7976931348623157E+308"},
        {-DBL_MAX, "-1.7976931348623157E+308"},
        {1.7976931348623e308, " 1.7976931348623E+308"},
    };
    for (const auto& c : cases) {
        Parametri_Sito p;
        p.POS_Y_IMG = c.value;
        EXPECT_EQ(lineOf(composeParameterScript(p), "POS_Y_IMG"), "var POS_Y_IMG=" + c.written + ";")
            << c.value.toText();
    }
}

// The Qt program runs under the user's locale, where the decimal point may
// be a comma; the script must keep the point all the same.
TEST(ParameterScript, NumbersKeepThePointUnderACommaLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = nullptr;
    for (const char* name : {"it_IT.UTF-8", "it_IT.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            comma = name;
            break;
        }
    }
    if (comma == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
    Parametri_Sito p = documentedDefaults("/app", "/site/");
    p.POS_Y_IMG = 0.5;
    p.POS_X_DIA = -1.25;
    p.POS_Y_GRUPPI = "-7.5";
    const ParameterScript script = composeParameterScript(p);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(lineOf(script, "POS_Y_IMG"), "var POS_Y_IMG= .5;") << comma;
    EXPECT_EQ(lineOf(script, "POS_X_DIA"), "var POS_X_DIA=-1.25;") << comma;
    EXPECT_EQ(lineOf(script, "POS_Y_GRUPPI"), "var POS_Y_GRUPPI=-7.5;") << comma;
}

TEST(ParameterScript, GroupPositionsHeldAsTextAreWrittenOnlyWhenNumbers) {
    struct Case {
        std::string text;
        std::string line;  // empty: left out
    };
    const Case cases[] = {
        {"40", "var POS_Y_GRUPPI= 40;"},
        {"4e1", "var POS_Y_GRUPPI= 40;"},
        {"-7.5", "var POS_Y_GRUPPI=-7.5;"},
        {".5", "var POS_Y_GRUPPI= .5;"},
        {" 40 ", "var POS_Y_GRUPPI= 40;"},
        {"abc", ""},
        {"40px", ""},
        {"4,5", ""},
        {"", ""},
        {"1e999", ""},
    };
    for (const auto& c : cases) {
        Parametri_Sito p = documentedDefaults("/app", "/site/");
        p.POS_Y_GRUPPI = c.text;
        const ParameterScript script = composeParameterScript(p);
        SCOPED_TRACE('"' + c.text + '"');
        EXPECT_EQ(lineOf(script, "POS_Y_GRUPPI"), c.line);
        if (c.line.empty()) {
            ASSERT_EQ(script.omitted.size(), 1u);
            EXPECT_EQ(script.omitted[0].variable, "POS_Y_GRUPPI");
            EXPECT_EQ(script.omitted[0].value, c.text);
            // Line 11 follows line 9 directly.
            ASSERT_EQ(script.lines.size(), 31u);
            EXPECT_EQ(script.lines[8], "");
            EXPECT_EQ(script.lines[9], "var ALT_GRUPPI= 95;");
        } else {
            EXPECT_TRUE(script.omitted.empty());
            EXPECT_EQ(script.lines.size(), 32u);
        }
    }
}

TEST(ParameterScript, ImageNamesAreSingleQuotedStrings) {
    struct Case {
        std::string path;
        std::string written;  // Windows-1252 bytes between the quotes
    };
    const Case cases[] = {
        {"C:\\img\\a.jpg", "a.jpg"},
        {"/home/ann/foto mare/a b.jpg", "a b.jpg"},
        {"nudo.gif", "nudo.gif"},
        {"/home/ann/", ""},
        {"/x/it's.jpg", "it\\'s.jpg"},
        {"/x/a&b<c>\"d\".jpg", "a&b<c>\"d\".jpg"},
        {"/x/Caffè.jpg", "Caff\xE8.jpg"},
        {"/x/€uro.jpg", "\x80uro.jpg"},
        {"/x/東京.jpg", "\\u6771\\u4eac.jpg"},
        {"/x/😀.gif", "\\ud83d\\ude00.gif"},
        {"/x/riga\nnuova.gif", "riga\\nnuova.gif"},
        {"/x/a\u2028b.gif", "a\\u2028b.gif"},
        {"/x/\u0081.gif", "\\u0081.gif"},
    };
    for (const auto& c : cases) {
        Parametri_Sito p;
        p.Nome_Immagine_Testata = c.path;
        EXPECT_EQ(lineOf(composeParameterScript(p), "Nome_Immagine_Testata"),
                  "var Nome_Immagine_Testata='" + c.written + "';")
            << c.path;
    }
    // A backslash never survives the path split, but a name handed over
    // directly is escaped all the same.
    EXPECT_EQ(scriptStringBody("a\\b'"), "a\\\\b\\'");
}

// --- the script in a real JavaScript engine ----------------------------------------

bool nodeAvailable() { return std::system("command -v node >/dev/null 2>&1") == 0; }

std::string runCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

// Loads the script the way a page does (bytes read as Windows-1252) and
// prints each variable: its type and its value, strings as code points.
constexpr const char* kNodeHarness = R"js(
const fs = require('fs');
const vm = require('vm');
const row80 = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160, 0x2039,
               0x152, 0x8D, 0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
               0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178];
let text = '';
for (const b of fs.readFileSync(process.argv[2])) text += String.fromCodePoint(b >= 0x80 && b < 0xA0 ? row80[b - 0x80] : b);
vm.runInThisContext(text);
for (const name of process.argv.slice(3)) {
  const v = globalThis[name];
  if (typeof v === 'number') console.log(name + ' number ' + v);
  else if (typeof v === 'string') console.log(name + ' string ' + Array.from(v).map(c => c.codePointAt(0).toString(16)).join(','));
  else console.log(name + ' ' + typeof v);
}
)js";

std::string codePoints(const std::string& utf8) {
    std::string out;
    for (char32_t cp : decodeUtf8(utf8)) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned>(cp));
        out += (out.empty() ? "" : ",") + std::string(buffer);
    }
    return out;
}

TEST(ParameterScript, RunsInNodeAndDefinesEveryValueWritten) {
    if (!nodeAvailable()) GTEST_SKIP() << "node is not installed";
    Scratch folder;
    Parametri_Sito p;
    p.MAX_NUM_ARG = 5;
    p.MAX_NUM_RIGHE = -0.5;
    p.MAX_NUM_IMG_RIGA = 1e21;
    p.POS_Y_GRUPPI = "4e1";
    p.ALT_GRUPPI = "abc";
    p.LARGH_X_DIA = DBL_MAX;
    p.ALT_DIA = 4.9e-324;
    p.POS_X_DIA = 1e-7;
    p.POS_Y_DIA = 123456789012345678.0;
    p.POS_Y_IMG = -20;
    p.POS_X_IMG_GRANDE = 0.000123;
    p.POS_Y_IMG_GRANDE = 0;
    p.Nome_Immagine_Sfondo_Sito = "/s/it's \\ mine.jpg";
    p.Nome_Immagine_Pulsanti_Argomenti = "/s/Caffè € ok.gif";
    p.Nome_Immagine_Sfondo_Diapositiva = "/s/東京 😀.png";
    p.Nome_Sfondo_Pagina_Immagini = "/s/a&b<c>\"d\".jpg";
    p.Nome_Immagine_Testata = "/s/";
    p.Nome_Immagine_Sfondo_Fumetto_1 = "/s/riga\r\nnuova\u2028.gif";
    p.Nome_Immagine_Pulsante_X_1 = "/s/" + std::string(251, 'n') + ".gif";
    p.Nome_Immagine_Pulsante_X_2 = "/s/\u0081\u009d.gif";

    const std::string scriptPath = folder.folder() + "script.js";
    const std::string harnessPath = folder.folder() + "harness.js";
    {
        std::ofstream(scriptPath, std::ios::binary) << withLineEnds(composeParameterScript(p).lines);
        std::ofstream(harnessPath, std::ios::binary) << kNodeHarness;
    }

    const std::map<std::string, double> numbers = {
        {"MAX_NUM_ARG", 5},      {"MAX_NUM_RIGHE", -0.5},         {"MAX_NUM_IMG_RIGA", 1e21},
        {"POS_Y_GRUPPI", 40},    {"LARGH_X_DIA", DBL_MAX},        {"ALT_DIA", 4.9e-324},
        {"POS_X_DIA", 1e-7},     {"POS_Y_DIA", 123456789012345678.0}, {"POS_Y_IMG", -20},
        {"POS_X_IMG_GRANDE", 0.000123}, {"POS_Y_IMG_GRANDE", 0},
    };
    const std::map<std::string, std::string> names = {
        {"Nome_Immagine_Sfondo_Sito", "it's \\ mine.jpg"},
        {"Nome_Immagine_Pulsanti_Argomenti", "Caffè € ok.gif"},
        {"Nome_Immagine_Sfondo_Diapositiva", "東京 😀.png"},
        {"Nome_Sfondo_Pagina_Immagini", "a&b<c>\"d\".jpg"},
        {"Nome_Immagine_Testata", ""},
        {"Nome_Immagine_Sfondo_Fumetto_1", "riga\r\nnuova\u2028.gif"},
        {"Nome_Immagine_Pulsante_X_1", std::string(251, 'n') + ".gif"},
        {"Nome_Immagine_Pulsante_X_2", "\u0081\u009d.gif"},
    };
    // The backslash is a path separator to the split: only the part after it
    // is the name.
    const std::map<std::string, std::string> expectedNames = [&] {
        auto copy = names;
        copy["Nome_Immagine_Sfondo_Sito"] = " mine.jpg";
        return copy;
    }();

    std::string command = "node " + harnessPath + " " + scriptPath + " ALT_GRUPPI";
    for (const auto& [name, value] : numbers) command += " " + name;
    for (const auto& [name, value] : names) command += " " + name;
    std::istringstream output(runCommand(command + " 2>&1"));

    std::map<std::string, std::pair<std::string, std::string>> seen;  // name -> (type, value)
    std::string line;
    while (std::getline(output, line)) {
        std::istringstream fields(line);
        std::string name, type, value;
        fields >> name >> type >> value;
        seen[name] = {type, value};
    }
    ASSERT_EQ(seen.size(), 1 + numbers.size() + names.size()) << "node said:\n" << output.str();
    EXPECT_EQ(seen["ALT_GRUPPI"].first, "undefined");
    for (const auto& [name, value] : numbers) {
        ASSERT_EQ(seen[name].first, "number") << name;
        const std::string& text = seen[name].second;
        double got = 0;
        ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), got).ec, std::errc{}) << name << " " << text;
        EXPECT_TRUE(std::isfinite(got)) << name;
        EXPECT_LE(std::fabs(got - value), std::fabs(value) * 1e-14) << name << " " << text;
    }
    for (const auto& [name, value] : expectedNames) {
        EXPECT_EQ(seen[name].first, "string") << name;
        EXPECT_EQ(seen[name].second, codePoints(value)) << name;
    }
}

// --- the home page ---------------------------------------------------------------------

TEST(HomePage, TitleDescriptionAndBackgroundGoInWhole) {
    struct Case {
        std::string title, description, background;
        std::string line4, line24, line32;  // Windows-1252 bytes
    };
    const Case cases[] = {
        {"Titolo del Sito", "Descrizione del Sito", "/a/SFONDI/Sfondo.jpg",
         "<title>Titolo del Sito - Layout creato da Velmora(c)</title>", "<body background='Sfondo.jpg'>",
         "Descrizione del Sito</strong></font>"},
        // Typed with blanks and not yet committed: trimmed all the same.
        {"   Mare  ", "  Onde ", "Sfondo.jpg", "<title>Mare - Layout creato da Velmora(c)</title>",
         "<body background='Sfondo.jpg'>", "Onde</strong></font>"},
        {"", "", "/a/", "<title> - Layout creato da Velmora(c)</title>", "<body background=''>", "</strong></font>"},
        // HTML typed on purpose goes in as typed.
        {"A < B & C", "<b>grassetto</b> &amp; più", "x.jpg", "<title>A < B & C - Layout creato da Velmora(c)</title>",
         "<body background='x.jpg'>", "<b>grassetto</b> &amp; pi\xF9</strong></font>"},
        {"Caffè €", "Ελλάδα 😀", "x.jpg", "<title>Caff\xE8 \x80 - Layout creato da Velmora(c)</title>",
         "<body background='x.jpg'>", "&#917;&#955;&#955;&#940;&#948;&#945; &#128512;</strong></font>"},
        {"T", "riga 1\nriga 2\r\nriga 3", "x.jpg", "<title>T - Layout creato da Velmora(c)</title>",
         "<body background='x.jpg'>", "riga 1\r\nriga 2\r\nriga 3</strong></font>"},
        {"T", "D", "/a/l'alba & il mare.jpg", "<title>T - Layout creato da Velmora(c)</title>",
         "<body background='l&#39;alba &amp; il mare.jpg'>", "D</strong></font>"},
        {"T", "D", "/a/東京 <\"x\">.jpg", "<title>T - Layout creato da Velmora(c)</title>",
         "<body background='&#26481;&#20140; <\"x\">.jpg'>", "D</strong></font>"},
        {"T", "D", "C:\\img\\è.gif", "<title>T - Layout creato da Velmora(c)</title>", "<body background='\xE8.gif'>",
         "D</strong></font>"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines = composeHomePage(c.title, c.description, c.background);
        SCOPED_TRACE(c.title + " / " + c.description + " / " + c.background);
        ASSERT_EQ(lines.size(), 51u);
        EXPECT_EQ(lines[3], c.line4);
        EXPECT_EQ(lines[23], c.line24);
        EXPECT_EQ(lines[31], c.line32);
    }
}

}  // namespace
}  // namespace sb
