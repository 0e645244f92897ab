// Pictures and site folders with awkward names: every name the script and
// the home page give reaches a file of the site, and the sample pages name
// the picture itself.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/text.h"
#include "site/site_writer.h"
#include "temp_dir.h"
#include "viewer/sample_pages.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

// The odd part of each name (it goes before ".jpg").
const std::pair<const char*, std::string> kOddNames[] = {
    {"Quote", "l'alba"},  {"DoubleQuote", "\"mare\""}, {"Ampersand", "a&b"},    {"Hash", "hash#x"},     {"Percent", "pct%20"},
    {"Question", "q?x=1"}, {"Angles", "<b>"},           {"Blanks", "  ai lati  "}, {"LineBreak", "riga\nnuova"},
    {"Emoji", "\xF0\x9F\x98\x80"}, {"NotUtf8", "caf\xE9 \x81"}, {"Colon", "c:x"}, {"Long", std::string(251, 'n')},
};

// Reads the written script as a browser reads a Windows-1252 page, and
// checks that every picture name it defines, and the home page's background
// reference resolved as a browser resolves it against the page, names a file
// in the folder it runs in. Prints what it misses.
constexpr const char* kNodeCheck =
    R"(const fs = require("fs");)"
    R"( const row80 = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160, 0x2039, 0x152, 0x8D, 0x17D, 0x8F,)"
    R"( 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178];)"
    R"( const read = f => Array.from(fs.readFileSync(f), b => String.fromCodePoint(b >= 0x80 && b < 0xA0 ? row80[b - 0x80] : b)).join("");)"
    R"( const c = {}; require("vm").runInNewContext(read("Parametri_by_Velmora.js"), c);)"
    R"( let names = Object.keys(c).filter(k => k.startsWith("Nome_")).map(k => c[k]);)"
    R"( const bg = /<body background='([^']*)'>/.exec(read("index.htm"));)"
    R"( names.push(bg ? require("url").fileURLToPath(new URL(bg[1], "file:///sito/")).replace("/sito/", "") : "none");)"
    R"( for (const n of names) if (!fs.existsSync(n)) console.log("missing " + JSON.stringify(n));)"
    R"( console.log(names.length))";

class OddNames : public testing::TestWithParam<std::pair<const char*, std::string>> {};

TEST_P(OddNames, EveryNameTheSiteGivesIsAFileOfTheSite) {
    if (std::system("node --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "node is not installed";
    const std::string odd = GetParam().second;
    test::TempDir dir;
    const std::string picture = makeFile(dir / (odd + "/" + odd + ".jpg"), "the picture " + odd);
    Parametri_Sito p = defaultParameters(SB_APP_DIR);
    p.Cartella_Sito = dir / ("sito " + odd.substr(0, 250) + "/");
    p.Nome_Immagine_Sfondo_Sito = p.Nome_Immagine_Pulsanti_Argomenti = p.Nome_Sfondo_Pagina_Immagini =
        p.Nome_Immagine_Sfondo_Diapositiva = p.Nome_Immagine_Testata = p.Nome_Immagine_Sfondo_Fumetto_1 =
            p.Nome_Immagine_Pulsante_X_1 = p.Nome_Immagine_Pulsante_X_2 = picture;
    const SiteReport report = writeSite({p, "Titolo", "Descrizione", SB_APP_DIR, SB_APP_DIR});
    ASSERT_TRUE(report.complete()) << siteMessage(report);

    EXPECT_EQ(std::distance(fs::directory_iterator(p.Cartella_Sito), {}), 21) << "the script, the page, blank.gif, one picture, four arrows, ten buttons, the engine, its list, the icon";
    EXPECT_EQ(readFile(p.Cartella_Sito + siteFileName(picture)), "the picture " + odd);

    const fs::path saved = fs::current_path();
    fs::current_path(p.Cartella_Sito);
    const std::string check = makeFile(dir / "check.js", kNodeCheck), out = dir / "node.out";
    std::system(("node '" + check + "' >'" + out + "' 2>&1").c_str());
    fs::current_path(saved);
    EXPECT_EQ(readFile(out), "9\n");
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

TEST_P(OddNames, SamplePagesReferToThePictureItself) {
    const std::string odd = GetParam().second;
    const std::string path = "/foto " + odd + "/" + odd + ".jpg";
    const std::string background = viewer::backgroundPage(path)[4];
    const std::string prefix = "<body background=\"", suffix = "\"> ";
    ASSERT_EQ(background.rfind(prefix, 0), 0u);
    const std::string reference = background.substr(prefix.size(), background.size() - prefix.size() - suffix.size());
    EXPECT_EQ(reference.find_first_of("\"#?\n <>'&\x80\xE9", 0), std::string::npos) << reference;
    EXPECT_EQ(decoded(reference), path);
}

INSTANTIATE_TEST_SUITE_P(Table, OddNames, testing::ValuesIn(kOddNames),
                         [](const testing::TestParamInfo<std::pair<const char*, std::string>>& info) {
                             return std::string(info.param.first);
                         });

}  // namespace
}  // namespace sb
