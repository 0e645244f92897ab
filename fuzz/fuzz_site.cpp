// The parameter script and the home page composed from any texts the fields
// may hold: both are Windows-1252 as the program writes it, and every line of
// the script is one a JavaScript engine reads as meant (checked by a small
// tokenizer here, and by Node on a sample: FUZZ_SCRIPTS_TO=folder keeps them).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "common/text.h"
#include "site/home_page.h"
#include "site/script_file.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A single-quoted JavaScript string with nothing after it but ";": no raw
// quote, backslash or line end inside, every escape complete.
bool isStringThenEnd(const std::string& s, std::size_t i) {
    if (i >= s.size() || s[i] != '\'') return false;
    for (++i; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'') return s.substr(i + 1) == ";";
        if (c == '\r' || c == '\n') return false;
        if (c != '\\') continue;
        if (++i >= s.size()) return false;
        if (s[i] == 'u') {
            for (int k = 1; k <= 4; ++k) {
                if (i + k >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i + k]))) return false;
            }
            i += 4;
        } else if (s[i] != '\'' && s[i] != '\\' && s[i] != 'r' && s[i] != 'n') {
            return false;
        }
    }
    return false;
}

bool isNumberThenEnd(const std::string& s, std::size_t i) {
    if (i < s.size() && (s[i] == ' ' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < s.size() && isDigit(s[i])) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return s.substr(i) == ";";
}

// Every line: empty, a "//" comment, or "var NAME=" and a number or a string.
void checkScript(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.empty() || line.rfind("//", 0) == 0) {
            fuzz::check(line.find_first_of("\r\n") == std::string::npos, "a comment line broken", line);
            continue;
        }
        fuzz::check(line.rfind("var ", 0) == 0, "a line that is no declaration", line);
        const std::size_t equals = line.find('=');
        fuzz::check(equals != std::string::npos, "a declaration without a value", line);
        for (std::size_t k = 4; k < equals; ++k) {
            const char c = line[k];
            fuzz::check(c == '_' || std::isalnum(static_cast<unsigned char>(c)), "a variable name broken", line);
        }
        fuzz::check(isNumberThenEnd(line, equals + 1) || isStringThenEnd(line, equals + 1), "a value the engine misreads", line);
    }
}

// Splits the input at zero bytes into the texts of the fields.
std::vector<std::string> fields(const std::uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<std::string> out(count);
    std::size_t k = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            if (++k == count) break;
        } else {
            out[k].push_back(static_cast<char>(data[i]));
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> f = fields(data, size, 22);
    sb::Parametri_Sito p;
    p.Cartella_Sito = f[0];
    sb::Value* numbers[] = {&p.MAX_NUM_ARG, &p.MAX_NUM_RIGHE, &p.MAX_NUM_IMG_RIGA, &p.POS_Y_GRUPPI, &p.ALT_GRUPPI,
                            &p.LARGH_X_DIA, &p.ALT_DIA, &p.POS_X_DIA, &p.POS_Y_DIA, &p.POS_Y_IMG,
                            &p.POS_X_IMG_GRANDE, &p.POS_Y_IMG_GRANDE};
    for (std::size_t i = 0; i < 12; ++i) {
        // As the fields give them: POS_Y_GRUPPI and ALT_GRUPPI as texts, the others read as numbers.
        *numbers[i] = i == 3 || i == 4 ? sb::Value(f[1 + i]) : sb::Value(sb::readNumber(f[1 + i]));
    }
    std::string* pictures[] = {&p.Nome_Immagine_Sfondo_Sito, &p.Nome_Immagine_Pulsanti_Argomenti,
                               &p.Nome_Sfondo_Pagina_Immagini, &p.Nome_Immagine_Sfondo_Diapositiva,
                               &p.Nome_Immagine_Testata, &p.Nome_Immagine_Sfondo_Fumetto_1,
                               &p.Nome_Immagine_Pulsante_X_1, &p.Nome_Immagine_Pulsante_X_2};
    for (std::size_t i = 0; i < 8; ++i) *pictures[i] = f[13 + i];

    const sb::ParameterScript script = sb::composeParameterScript(p);
    for (const std::string& line : script.lines) fuzz::check(fuzz::isWrittenText(line), "a script line holds a byte it must not", line);
    checkScript(script.lines);
    fuzz::check(script.lines.size() + script.omitted.size() == 32, "a script line lost", f[4] + "|" + f[5]);

    const std::vector<std::string> page = sb::composeHomePage(f[21], f[0], p.Nome_Immagine_Sfondo_Sito);
    fuzz::check(page.size() == 51, "the home page lost a line");
    for (const std::string& line : page) fuzz::check(fuzz::isWrittenText(line), "a page line holds a byte it must not", line);
    const std::string& body = page[23];
    fuzz::check(body.rfind("<body background='", 0) == 0 && body.find('\'', 18) == body.size() - 2, "the background attribute broken", body);
    const std::string attribute = body.substr(18, body.size() - 20);
    fuzz::check(attribute.find_first_of(" \"#?\r\n<>&") == std::string::npos, "a background the browser misreads", body);

    if (const char* keep = std::getenv("FUZZ_SCRIPTS_TO")) {
        static int kept = 0;
        if (kept >= 300) return 0;
        std::ofstream out(std::string(keep) + "/script" + std::to_string(kept++) + ".js", std::ios::binary);
        for (const std::string& line : script.lines) out << line << "\r\n";
    }
    return 0;
}
