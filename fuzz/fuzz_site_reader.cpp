// A site read back from any bytes: no crash, no hang, every value within
// its range (numbers finite, picture names in the site folder with no folder
// of their own, texts in UTF-8), and what was read, written and read again,
// reads the same and writes the same bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "common/encoding.h"
#include "site/home_page.h"
#include "site/site_reader.h"
#include "site/script_file.h"

namespace {

const char* const kSite = "/sito/";

std::string bytesOf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

sb::SiteReading base() { return {sb::defaultParameters("/app"), "T", "D", {}}; }

// The first line where two texts differ, both ways.
std::string firstDifference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    const std::size_t line = a.rfind('\n', i) == std::string::npos ? 0 : a.rfind('\n', i) + 1;
    return a.substr(line, a.find('\n', i) - line) + " | " + b.substr(line, b.find('\n', i) - line);
}

void checkRanges(const sb::SiteReading& r) {
    const sb::Parametri_Sito& p = r.parametri;
    for (const sb::Value* v : {&p.MAX_NUM_ARG, &p.MAX_NUM_RIGHE, &p.MAX_NUM_IMG_RIGA, &p.POS_Y_GRUPPI, &p.ALT_GRUPPI, &p.LARGH_X_DIA,
                               &p.ALT_DIA, &p.POS_X_DIA, &p.POS_Y_DIA, &p.POS_Y_IMG, &p.POS_X_IMG_GRANDE, &p.POS_Y_IMG_GRANDE}) {
        fuzz::check(v->isNumber() && std::isfinite(v->number()), "a number out of range", v->toText());
    }
    for (const std::string* name : {&p.Nome_Immagine_Sfondo_Sito, &p.Nome_Immagine_Pulsanti_Argomenti, &p.Nome_Sfondo_Pagina_Immagini,
                                    &p.Nome_Immagine_Sfondo_Diapositiva, &p.Nome_Immagine_Testata, &p.Nome_Immagine_Sfondo_Fumetto_1,
                                    &p.Nome_Immagine_Pulsante_X_1, &p.Nome_Immagine_Pulsante_X_2}) {
        if (name->starts_with("/app/")) continue;  // the default
        fuzz::check(name->starts_with(kSite), "a picture outside the site", *name);
        const std::string own = name->substr(std::string(kSite).size());
        fuzz::check(own.find_first_of(std::string("/\\\0", 3)) == std::string::npos, "a picture name with a folder", *name);
        fuzz::check(sb::isUtf8(own), "a picture name not in UTF-8", *name);
    }
    fuzz::check(sb::isUtf8(r.title) && sb::isUtf8(r.description), "a text not in UTF-8", r.title + "|" + r.description);
}

}  // namespace

// The input is the script, a zero byte, then the home page.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string script = input.substr(0, split);
    const std::string page = split == std::string::npos ? std::string() : input.substr(split + 1);
    (void)sb::isWrittenScript(input);

    sb::SiteReading b = base();
    b.parametri.Cartella_Sito = kSite;
    const sb::SiteReading first = sb::readSite(script, page, b);
    checkRanges(first);

    const std::string script2 = bytesOf(sb::composeParameterScript(first.parametri).lines);
    const std::string page2 = bytesOf(sb::composeHomePage(first.title, first.description, first.parametri.Nome_Immagine_Sfondo_Sito));
    // A written file that is also UTF-8 (a capital accented letter right
    // before a symbol of the 0x80-0xBF row, and nothing else beyond ASCII)
    // is read as UTF-8: the one reading the reader cannot tell apart.
    const auto ambiguous = [](const std::string& bytes) {
        return sb::isUtf8(bytes) && bytes.find_first_of(std::string("\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F"
                                                                     "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F"
                                                                     "\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF"
                                                                     "\xB0\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF")) != std::string::npos;
    };
    if (ambiguous(script2) || ambiguous(page2)) return 0;
    const sb::SiteReading second = sb::readSite(script2, page2, b);
    fuzz::check(second.unread.empty(), "a written value unread", second.unread.empty() ? "" : second.unread.front());
    fuzz::check(second.title == first.title && second.description == first.description, "a text changed by writing", first.title + "|" + first.description);
    const std::string script3 = bytesOf(sb::composeParameterScript(second.parametri).lines);
    fuzz::check(script3 == script2, "the script changed by writing", firstDifference(script2, script3));
    const std::string page3 = bytesOf(sb::composeHomePage(second.title, second.description, second.parametri.Nome_Immagine_Sfondo_Sito));
    fuzz::check(page3 == page2, "the page changed by writing", firstDifference(page2, page3));
    return 0;
}
