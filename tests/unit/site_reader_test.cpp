// A written site read back: what the writer writes comes back as it was
// (and writing it again changes no byte), what an editor makes of it is
// read all the same, and what cannot be read keeps its default and is named.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "cramped_folder.h"
#include "fake_platform.h"
#include "site/home_page.h"
#include "site/site_reader.h"

namespace sb {
namespace {

using test::readFile;

std::string bytesOf(const std::vector<std::string>& lines) { return test::crlf(lines); }

// Parameter sets the writer accepts, with awkward names and texts. The
// pieces never put an accented letter of the file right before a byte of
// the 0x80-0xBF row, so that no file is also UTF-8 (see fileText).
struct Generator {
    std::mt19937 random{20261207};
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    std::string pieces(const std::vector<const char*>& from, int most) {
        std::string out;
        for (int n = 1 + pick(most); n > 0; --n) out += from[static_cast<std::size_t>(pick(static_cast<int>(from.size())))];
        return out;
    }
    std::string name() {
        return pieces({"a", "Z", "0", " ", "'", "\"", "\u00e8", "5\u20ac", "\u00ff", "\u6771\u4eac", "\U0001F600", "&", "#", "%",
                       "\t", ".", "\u2028", "\x01", "$", "\u0081"}, 6) + ".jpg";
    }
    std::string text(bool lines) {
        std::vector<const char*> from = {"Le ", "mie", " foto", "'", "\"", "\\", "\u00e8", "5\u20ac", "\u6771", "\U0001F600", "&amp;",
                                         "&#8364;", "<b>", "</title>", "</strong>", "\t", "\x02", "  "};
        if (lines) from.insert(from.end(), {"\r\n", "\r\n\r\n", "<strong>"});
        return pieces(from, 8);
    }
    Value number() {
        static const char* const typed[] = {"0", "5", "-20", "135", "99999", "-0.5", "12.345", "0.000123", "1e21", "1E-7", "007", "3.25"};
        return readNumber(typed[pick(static_cast<int>(std::size(typed)))]);
    }
};

TEST(SiteReader, ReadsBackWhatTheWriterWrote) {
    Generator g;
    const std::string site = "/siti/il mio sito/";
    for (int round = 0; round < 400; ++round) {
        Parametri_Sito p = test::startDefaults(site);
        for (Value* v : {&p.MAX_NUM_ARG, &p.MAX_NUM_RIGHE, &p.MAX_NUM_IMG_RIGA, &p.POS_Y_GRUPPI, &p.ALT_GRUPPI, &p.LARGH_X_DIA,
                         &p.ALT_DIA, &p.POS_X_DIA, &p.POS_Y_DIA, &p.POS_Y_IMG, &p.POS_X_IMG_GRANDE, &p.POS_Y_IMG_GRANDE}) {
            *v = g.number();
        }
        p.ALT_GRUPPI = " " + p.ALT_GRUPPI.toText() + " ";  // kept as the field's text
        for (std::string* picture : {&p.Nome_Immagine_Sfondo_Sito, &p.Nome_Immagine_Pulsanti_Argomenti, &p.Nome_Sfondo_Pagina_Immagini,
                                     &p.Nome_Immagine_Sfondo_Diapositiva, &p.Nome_Immagine_Testata, &p.Nome_Immagine_Sfondo_Fumetto_1,
                                     &p.Nome_Immagine_Pulsante_X_1, &p.Nome_Immagine_Pulsante_X_2}) {
            *picture = (g.pick(2) ? "C:\\foto\\" : "/home/ann/'x'/") + g.name();
        }
        const std::string title = g.text(false), description = g.text(true);
        const std::string script = bytesOf(composeParameterScript(p).lines);
        const std::string page = bytesOf(composeHomePage(title, description, p.Nome_Immagine_Sfondo_Sito));
        SCOPED_TRACE(script + page);
        ASSERT_TRUE(isWrittenScript(script));

        const SiteReading r = readSite(script, page, {test::startDefaults(site), "", "", {}});
        EXPECT_TRUE(r.unread.empty());
        EXPECT_EQ(r.title, trimBlanks(title));
        EXPECT_EQ(r.description, trimBlanks(description));
        EXPECT_EQ(r.parametri.Nome_Immagine_Testata, site + siteFileName(p.Nome_Immagine_Testata));
        EXPECT_EQ(r.parametri.MAX_NUM_ARG, p.MAX_NUM_ARG);
        EXPECT_EQ(scriptNumber(r.parametri.ALT_GRUPPI), scriptNumber(p.ALT_GRUPPI));
        // Written again from what was read: the same bytes.
        EXPECT_EQ(bytesOf(composeParameterScript(r.parametri).lines), script);
        EXPECT_EQ(bytesOf(composeHomePage(r.title, r.description, r.parametri.Nome_Immagine_Sfondo_Sito)), page);
    }
}

// A whole site read back from its folder and written again: not one byte
// changes, the pictures being taken as the copies already in the site.
TEST(SiteReader, WritingTheSiteReadBackChangesNoByte) {
    Generator g;
    for (int round = 0; round < 3; ++round) {
        test::TempDir dir;
        Parametri_Sito p = test::startDefaults(dir / "sito/");
        p.MAX_NUM_ARG = g.number();
        p.Nome_Immagine_Testata = test::makeFile(dir / g.name(), "header");
        p.Nome_Immagine_Sfondo_Sito = test::makeFile(dir / g.name(), "background");
        const std::string title = g.text(false), description = g.text(true);
        ASSERT_TRUE(writeSite({p, title, description, SB_APP_DIR, SB_APP_DIR}).complete());
        const auto before = test::filesUnder(dir / "sito");

        const SiteReading r = readSiteFolder({test::startDefaults(p.Cartella_Sito), "", "", {}});
        EXPECT_TRUE(r.unread.empty());
        EXPECT_EQ(r.parametri.Nome_Immagine_Testata, p.Cartella_Sito + siteFileName(p.Nome_Immagine_Testata));
        const SiteReport again = writeSite({r.parametri, r.title, r.description, SB_APP_DIR, SB_APP_DIR});
        EXPECT_TRUE(again.complete()) << siteMessage(again);
        EXPECT_EQ(test::filesUnder(dir / "sito"), before);
    }
}

// Files an editor saved: other spacing, blank lines, LF ends, UTF-8, double
// quotes, comments. What cannot be read keeps its default and is named.
TEST(SiteReader, ForgivesAnEditorAndNamesWhatItCannotRead) {
    const std::string header = "//" + std::string(90, '=') + "\n//======== Parametri del Sito =====\n";
    const std::string page = "<html><head>\n<TITLE>Caff\u00e8 - Layout creato da Velmora(c)</TITLE>\n</head><body>\n<strong>\n"
                             "  riga uno\n\ndue</strong></font>\n</marquee>\n</body></html>";
    struct Case { std::string script, page, numberOfGroups, header, title, description, unread; };
    const Case cases[] = {
        {header + "\n\n  var   MAX_NUM_ARG =7 ;  // groups\nvar Nome_Immagine_Testata = \"t\\u00e8sta.gif\"", page, "7",
         "/s/t\u00e8sta.gif", "Caff\u00e8", "riga uno\r\n\r\ndue", ""},
        {header + "let MAX_NUM_ARG=+.6e1\r\nvar Nome_Immagine_Testata='\xE8\\'.gif';\r\n", "", "6", "/s/\u00e8'.gif", "T", "D",
         "Titolo_Sito Des_Sito"},
        {header + "var MAX_NUM_ARG= 5x;\nvar Nome_Immagine_Testata='../altrove/x.gif';\nvar ALT_DIA='100';\nvar POS_Y_IMG=1e999;\n"
                  "var POS_X_DIA=\nvar Nome_Immagine_Sfondo_Sito='senza fine;\nvar LARGH_X_DIA= 1 2;",
         page, "5", "/app/TESTATE/Image5.jpg", "Caff\u00e8", "riga uno\r\n\r\ndue",
         "MAX_NUM_ARG ALT_DIA POS_X_DIA POS_Y_IMG LARGH_X_DIA Nome_Immagine_Sfondo_Sito Nome_Immagine_Testata"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_TRUE(isWrittenScript(c.script));
        SiteReading base{test::startDefaults("/s/", "/app"), "T", "D", {}};
        const SiteReading r = readSite(c.script, c.page.empty() ? std::nullopt : std::optional<std::string_view>(c.page), base);
        EXPECT_EQ(r.parametri.MAX_NUM_ARG.toText() + "|" + r.parametri.Nome_Immagine_Testata + "|" + r.title + "|" + r.description,
                  c.numberOfGroups + "|" + c.header + "|" + c.title + "|" + c.description);
        // Each value the script names, and the page's two, named exactly when unread.
        for (const std::string& name : r.unread) {
            if (c.script.find(name) == std::string::npos && name != "Titolo_Sito" && name != "Des_Sito") continue;
            EXPECT_NE(c.unread.find(name), std::string::npos) << name << " named unread";
        }
        std::istringstream words(c.unread);
        for (std::string name; words >> name;) EXPECT_NE(std::find(r.unread.begin(), r.unread.end(), name), r.unread.end()) << name;
    }
    // Scripts this program did not write.
    for (const std::string script : {"", "var MAX_NUM_ARG= 5;", "//== Parametri del Sito ==", "// Parametri del Sito ===", "\xFF\xFE/\0/"}) {
        EXPECT_FALSE(isWrittenScript(script)) << script;
    }
}

}  // namespace
}  // namespace sb
