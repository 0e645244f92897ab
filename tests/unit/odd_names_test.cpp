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
    {"CarriageReturn", "riga\rnuova"}, {"Emoji", "\xF0\x9F\x98\x80"}, {"NotUtf8", "caf\xE9 \x81"}, {"Colon", "c:x"},
    {"Long", std::string(251, 'n')},
};

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
    const std::string out = dir / "node.out";
    std::system(("node '" SB_SOURCE_DIR "/tests/unit/odd_names_check.js' >'" + out + "' 2>&1").c_str());
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
