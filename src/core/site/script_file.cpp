#include "site/script_file.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "common/encoding.h"
#include "common/text.h"
#include "site/addresses.h"
#include "site/site_writer.h"

namespace sb {

namespace {

// The comment lines framing the script are this wide.
constexpr std::size_t kLineWidth = 92;

constexpr std::string_view kLinkLineStart = "//======== Link Siti Velmora(c)  ";
constexpr std::string_view kLinkLineEnd = "========";
static_assert(kLinkLineStart.size() + Indirizzo_Sito_Layout.size() + 1 + kLinkLineEnd.size() <= kLineWidth,
              "the layout site's address leaves no room for the blanks of the link line");

std::string frameLine() { return "//" + std::string(kLineWidth - 2, '='); }

std::string titleLine() {
    std::string line(kScriptTitleStart);
    line.append(kLineWidth - line.size(), '=');
    return line;
}

std::string linkLine() {
    std::string line(kLinkLineStart);
    line += Indirizzo_Sito_Layout;
    line.append(kLineWidth - line.size() - kLinkLineEnd.size(), ' ');
    line += kLinkLineEnd;
    return line;
}

}  // namespace

std::optional<std::string> scriptNumber(const Value& value) {
    if (value.isNumber()) return formatSignSpace(value.number());
    if (const auto number = parseWholeNumber(value.text())) return formatSignSpace(*number);
    return std::nullopt;
}

std::string scriptStringBody(std::string_view utf8) {
    std::string body;
    body.reserve(utf8.size());
    for (const char32_t cp : decodeUtf8(utf8)) {
        switch (cp) {
        case U'\'': body += "\\'"; break;
        case U'\\': body += "\\\\"; break;
        case U'\r': body += "\\r"; break;
        case U'\n': body += "\\n"; break;
        default:
            if (const int byte = writtenByte(cp); byte >= 0) {
                body.push_back(static_cast<char>(byte));
            } else {
                body += jsUnicodeEscape(cp);
            }
        }
    }
    return body;
}

ParameterScript composeParameterScript(const Parametri_Sito& p) {
    ParameterScript script;
    auto& lines = script.lines;
    lines.reserve(32);
    lines.push_back(frameLine());
    lines.push_back(titleLine());
    lines.push_back(linkLine());
    lines.push_back(frameLine());
    lines.emplace_back();

    auto number = [&script](const char* variable, const Value& value) {
        if (const auto text = scriptNumber(value)) {
            script.lines.push_back(std::string("var ") + variable + "=" + *text + ";");
        } else {
            script.omitted.push_back({variable, value.text()});
        }
    };
    auto name = [&script](const char* variable, const std::string& path) {
        script.lines.push_back(std::string("var ") + variable + "='" + scriptStringBody(siteFileName(path)) +
                               "';");
    };

    number("MAX_NUM_ARG", p.MAX_NUM_ARG);
    number("MAX_NUM_RIGHE", p.MAX_NUM_RIGHE);
    number("MAX_NUM_IMG_RIGA", p.MAX_NUM_IMG_RIGA);
    lines.emplace_back();
    number("POS_Y_GRUPPI", p.POS_Y_GRUPPI);
    number("ALT_GRUPPI", p.ALT_GRUPPI);
    lines.emplace_back();
    number("LARGH_X_DIA", p.LARGH_X_DIA);
    number("ALT_DIA", p.ALT_DIA);
    lines.emplace_back();
    number("POS_X_DIA", p.POS_X_DIA);
    number("POS_Y_DIA", p.POS_Y_DIA);
    lines.emplace_back();
    number("POS_Y_IMG", p.POS_Y_IMG);
    lines.emplace_back();
    number("POS_X_IMG_GRANDE", p.POS_X_IMG_GRANDE);
    number("POS_Y_IMG_GRANDE", p.POS_Y_IMG_GRANDE);
    lines.emplace_back();
    name("Nome_Immagine_Sfondo_Sito", p.Nome_Immagine_Sfondo_Sito);
    name("Nome_Immagine_Pulsanti_Argomenti", p.Nome_Immagine_Pulsanti_Argomenti);
    name("Nome_Sfondo_Pagina_Immagini", p.Nome_Sfondo_Pagina_Immagini);
    name("Nome_Immagine_Sfondo_Diapositiva", p.Nome_Immagine_Sfondo_Diapositiva);
    name("Nome_Immagine_Testata", p.Nome_Immagine_Testata);
    name("Nome_Immagine_Sfondo_Fumetto_1", p.Nome_Immagine_Sfondo_Fumetto_1);
    name("Nome_Immagine_Pulsante_X_1", p.Nome_Immagine_Pulsante_X_1);
    name("Nome_Immagine_Pulsante_X_2", p.Nome_Immagine_Pulsante_X_2);
    lines.emplace_back();
    return script;
}

}  // namespace sb
