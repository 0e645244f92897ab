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
    const sb::SiteReading second = sb::readSite(script2, page2, b);
    fuzz::check(second.unread.empty(), "a written value unread", second.unread.empty() ? "" : second.unread.front());
    fuzz::check(second.title == first.title && second.description == first.description, "a text changed by writing", first.title + "|" + first.description);
    fuzz::check(bytesOf(sb::composeParameterScript(second.parametri).lines) == script2, "the script changed by writing", script2);
    fuzz::check(bytesOf(sb::composeHomePage(second.title, second.description, second.parametri.Nome_Immagine_Sfondo_Sito)) == page2,
                "the page changed by writing", page2);
    return 0;
}
