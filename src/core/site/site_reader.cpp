#include "site/site_reader.h"

#include <array>
#include <charconv>
#include <cmath>

#include "common/encoding.h"
#include "common/files.h"
#include "common/text.h"
#include "site/home_page.h"
#include "site/script_file.h"

namespace sb {

namespace {

// Files larger than this are no site of ours: what fits is read.
constexpr std::size_t kLargestFile = 1 << 20;

// A file's text as UTF-8: a file that is UTF-8 throughout (an editor may
// have saved it so) is taken as it is, any other as the Windows-1252 the
// writer writes. A Windows-1252 text that is also valid UTF-8 needs a
// capital accented letter followed at once by a symbol of the 0x80-0xBF
// row, which names and titles hardly hold.
std::string fileText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return isUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);
}

// Lines ended by CR LF, LF or CR alone.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

void skipSpaces(std::string_view& s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameChar(char c) {
    return c == '_' || c == '$' || isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A decimal number at the start of `s` (sign, digits, point, exponent), as
// JavaScript reads it; finite only.
std::optional<double> takeNumber(std::string_view& s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    const std::size_t start = i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t exponentStart = j;
        while (j < s.size() && isDigit(s[j])) ++j;
        if (j == exponentStart) return std::nullopt;
        i = j;
    }
    std::string number(s.substr(start, i - start));
    if (number.front() == '.') number.insert(0, "0");
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) return std::nullopt;
    s.remove_prefix(i);
    return negative ? -value : value;
}

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<char32_t> takeHex(std::string_view& s, std::size_t count) {
    if (s.size() < count) return std::nullopt;
    char32_t value = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const int digit = hexValue(s[k]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<char32_t>(digit);
    }
    s.remove_prefix(count);
    return value;
}

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The code point of a "\u" escape whose "\u" is already taken: four hex
// digits, a surrogate pair as two escapes, or "{...}".
std::optional<char32_t> takeUnicodeEscape(std::string_view& s) {
    if (s.starts_with('{')) {
        const std::size_t close = s.find('}');
        if (close == std::string_view::npos || close < 2 || close > 7) return std::nullopt;
        std::string_view digits = s.substr(1, close - 1);
        const auto value = takeHex(digits, digits.size());
        if (!value || *value > 0x10FFFF || (*value >= 0xD800 && *value <= 0xDFFF)) return std::nullopt;
        s.remove_prefix(close + 1);
        return value;
    }
    const auto unit = takeHex(s, 4);
    if (!unit || isLowSurrogate(*unit)) return std::nullopt;
    if (!isHighSurrogate(*unit)) return unit;
    if (!s.starts_with("\\u")) return std::nullopt;
    s.remove_prefix(2);
    const auto low = takeHex(s, 4);
    if (!low || !isLowSurrogate(*low)) return std::nullopt;
    return 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
}

// A quoted JavaScript string at the start of the UTF-8 text `s`, its
// escapes undone.
std::optional<std::string> takeString(std::string_view& s) {
    if (s.empty() || (s.front() != '\'' && s.front() != '"')) return std::nullopt;
    const char quote = s.front();
    s.remove_prefix(1);
    std::string text;
    const auto add = [&text](char32_t cp) { text += encodeUtf8(std::u32string_view(&cp, 1)); };
    while (!s.empty()) {
        const char c = s.front();
        s.remove_prefix(1);
        if (c == quote) return text;
        if (c != '\\') {
            text += c;
            continue;
        }
        if (s.empty()) return std::nullopt;
        const char e = s.front();
        s.remove_prefix(1);
        switch (e) {
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'b': text += '\b'; break;
        case 'f': text += '\f'; break;
        case 'v': text += '\v'; break;
        case 'x':
        case 'u': {
            const auto value = e == 'x' ? takeHex(s, 2) : takeUnicodeEscape(s);
            if (!value) return std::nullopt;
            add(*value);
            break;
        }
        default:
            // An octal escape is none of ours; any other character stands
            // for itself (its further UTF-8 bytes follow as they are).
            if (isDigit(e)) return std::nullopt;
            text += e;
        }
    }
    return std::nullopt;  // no closing quote on the line
}

// One "var NAME = VALUE;" line: the name and what follows the "=".
struct Declaration {
    std::string_view name;
    std::string_view value;
};

std::optional<Declaration> declaration(std::string_view line) {
    line = trimmed(line);
    for (std::string_view keyword : {"var", "let", "const"}) {
        if (line.starts_with(keyword) && line.size() > keyword.size() && isSpace(line[keyword.size()])) {
            line.remove_prefix(keyword.size());
            skipSpaces(line);
            break;
        }
    }
    std::size_t n = 0;
    while (n < line.size() && isNameChar(line[n])) ++n;
    if (n == 0 || isDigit(line[0])) return std::nullopt;
    Declaration d{line.substr(0, n), {}};
    line.remove_prefix(n);
    skipSpaces(line);
    if (!line.starts_with('=') || line.starts_with("==")) return std::nullopt;
    line.remove_prefix(1);
    skipSpaces(line);
    d.value = line;
    return d;
}

// Nothing after a value but an optional ";" and a comment.
bool endsStatement(std::string_view rest) {
    skipSpaces(rest);
    if (rest.starts_with(';')) rest.remove_prefix(1);
    skipSpaces(rest);
    return rest.empty() || rest.starts_with("//");
}

// A picture's name as the script may hold it: no folder in it, nothing a
// path cannot hold.
bool isPictureName(std::string_view name) {
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

using Numbers = std::array<std::pair<const char*, Value Parametri_Sito::*>, 12>;
constexpr Numbers kNumbers = {{
    {"MAX_NUM_ARG", &Parametri_Sito::MAX_NUM_ARG},
    {"MAX_NUM_RIGHE", &Parametri_Sito::MAX_NUM_RIGHE},
    {"MAX_NUM_IMG_RIGA", &Parametri_Sito::MAX_NUM_IMG_RIGA},
    {"POS_Y_GRUPPI", &Parametri_Sito::POS_Y_GRUPPI},
    {"ALT_GRUPPI", &Parametri_Sito::ALT_GRUPPI},
    {"LARGH_X_DIA", &Parametri_Sito::LARGH_X_DIA},
    {"ALT_DIA", &Parametri_Sito::ALT_DIA},
    {"POS_X_DIA", &Parametri_Sito::POS_X_DIA},
    {"POS_Y_DIA", &Parametri_Sito::POS_Y_DIA},
    {"POS_Y_IMG", &Parametri_Sito::POS_Y_IMG},
    {"POS_X_IMG_GRANDE", &Parametri_Sito::POS_X_IMG_GRANDE},
    {"POS_Y_IMG_GRANDE", &Parametri_Sito::POS_Y_IMG_GRANDE},
}};
using Pictures = std::array<std::pair<const char*, std::string Parametri_Sito::*>, 8>;
constexpr Pictures kPictures = {{
    {"Nome_Immagine_Sfondo_Sito", &Parametri_Sito::Nome_Immagine_Sfondo_Sito},
    {"Nome_Immagine_Pulsanti_Argomenti", &Parametri_Sito::Nome_Immagine_Pulsanti_Argomenti},
    {"Nome_Sfondo_Pagina_Immagini", &Parametri_Sito::Nome_Sfondo_Pagina_Immagini},
    {"Nome_Immagine_Sfondo_Diapositiva", &Parametri_Sito::Nome_Immagine_Sfondo_Diapositiva},
    {"Nome_Immagine_Testata", &Parametri_Sito::Nome_Immagine_Testata},
    {"Nome_Immagine_Sfondo_Fumetto_1", &Parametri_Sito::Nome_Immagine_Sfondo_Fumetto_1},
    {"Nome_Immagine_Pulsante_X_1", &Parametri_Sito::Nome_Immagine_Pulsante_X_1},
    {"Nome_Immagine_Pulsante_X_2", &Parametri_Sito::Nome_Immagine_Pulsante_X_2},
}};

// Reads every declaration of the script; the last one of a name counts, as
// in the browser. Returns, for each of the 20 values, whether it was read.
std::array<bool, 20> readScript(std::string_view text, Parametri_Sito& p) {
    std::array<bool, 20> read{};
    for (std::string_view line : splitLines(text)) {
        const auto d = declaration(line);
        if (!d) continue;
        for (std::size_t i = 0; i < kNumbers.size(); ++i) {
            if (d->name != kNumbers[i].first) continue;
            std::string_view value = d->value;
            const auto number = takeNumber(value);
            read[i] = number && endsStatement(value);
            if (read[i]) p.*kNumbers[i].second = *number;
        }
        for (std::size_t i = 0; i < kPictures.size(); ++i) {
            if (d->name != kPictures[i].first) continue;
            std::string_view value = d->value;
            const auto name = takeString(value);
            bool& ok = read[kNumbers.size() + i];
            ok = name && endsStatement(value) && isPictureName(*name);
            if (ok) p.*kPictures[i].second = p.Cartella_Sito + *name;
        }
    }
    return read;
}

// Finds `what` in `text` with ASCII letters of either case.
std::size_t findNoCase(std::string_view text, std::string_view what, std::size_t from = 0) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < what.size() && lower(text[i + k]) == lower(what[k])) ++k;
        if (k == what.size()) return i;
    }
    return std::string_view::npos;
}

// The page's text back as typed: the numeric references the writer makes
// for characters Windows-1252 lacks are undone; anything else is the page's
// own source and stays as it is (the writer writes the text unescaped).
std::string typedText(std::string_view page) {
    std::string out;
    out.reserve(page.size());
    for (std::size_t i = 0; i < page.size();) {
        if (page.substr(i).starts_with("&#")) {
            std::size_t j = i + 2;
            char32_t cp = 0;
            while (j < page.size() && isDigit(page[j]) && j - i < 10) cp = cp * 10 + static_cast<char32_t>(page[j++] - '0');
            if (j > i + 2 && j < page.size() && page[j] == ';' && cp <= 0x10FFFF &&
                !(cp >= 0xD800 && cp <= 0xDFFF) && writtenByte(cp) < 0) {
                out += encodeUtf8(std::u32string(1, cp));
                i = j + 1;
                continue;
            }
        }
        out += page[i++];
    }
    return out;
}

std::string joinLines(const std::vector<std::string_view>& lines, std::size_t first, std::size_t last) {
    std::string out;
    for (std::size_t i = first; i <= last; ++i) {
        if (i > first) out += "\r\n";
        out += lines[i];
    }
    return out;
}

// The title (between "<title>" and the suffix the writer adds) and the
// description (between the "<strong>" line of the sliding header and the
// line that ends it, the last "</marquee>" of the page).
void readHomePage(std::string_view text, SiteReading& reading, bool& titleRead, bool& descriptionRead) {
    const std::vector<std::string_view> lines = splitLines(text);
    std::size_t titleEnd = 0;
    for (std::size_t i = 0; i < lines.size() && !titleRead; ++i) {
        const std::size_t open = findNoCase(lines[i], "<title>");
        if (open == std::string_view::npos) continue;
        for (std::size_t j = i; j < lines.size(); ++j) {
            std::string_view line = lines[j];
            std::size_t close = std::string_view::npos;
            for (std::size_t at = findNoCase(line, "</title>", j == i ? open + 7 : 0); at != std::string_view::npos;
                 at = findNoCase(line, "</title>", at + 1)) {
                close = at;
            }
            if (close == std::string_view::npos) continue;
            std::vector<std::string_view> parts(lines.begin() + static_cast<std::ptrdiff_t>(i),
                                                lines.begin() + static_cast<std::ptrdiff_t>(j) + 1);
            parts.front() = parts.front().substr(open + 7);
            if (j == i) {
                parts.back() = line.substr(open + 7, close - open - 7);
            } else {
                parts.back() = parts.back().substr(0, close);
            }
            // The title field holds one line: a title an editor broke is joined again.
            std::string title;
            for (std::string_view part : parts) title += (title.empty() ? "" : " ") + std::string(part);
            if (title.ends_with(kTitleSuffix)) title.resize(title.size() - kTitleSuffix.size());
            reading.title = trimBlanks(typedText(title));
            titleRead = true;
            titleEnd = j + 1;
            break;
        }
        break;
    }

    std::size_t marquee = std::string_view::npos;
    for (std::size_t i = lines.size(); i-- > titleEnd;) {
        if (trimmed(lines[i]) == "</marquee>" || trimmed(lines[i]) == "</MARQUEE>") {
            marquee = i;
            break;
        }
    }
    std::size_t strong = std::string_view::npos;
    for (std::size_t i = titleEnd; i < lines.size() && i < marquee; ++i) {
        const std::string_view line = trimmed(lines[i]);
        if (line == "<strong>" || line == "<STRONG>") {
            strong = i;
            break;
        }
    }
    if (marquee == std::string_view::npos || strong == std::string_view::npos || marquee < strong + 2) return;
    std::vector<std::string_view> parts(lines.begin() + static_cast<std::ptrdiff_t>(strong) + 1,
                                        lines.begin() + static_cast<std::ptrdiff_t>(marquee));
    std::string_view& last = parts.back();
    const std::size_t end = last.size() >= kDescriptionEnd.size()
                                ? findNoCase(last, kDescriptionEnd, last.size() - kDescriptionEnd.size())
                                : std::string_view::npos;
    // A hand-made end: the description is what comes before "</strong>".
    const std::size_t cut = end != std::string_view::npos ? end : findNoCase(last, "</strong>");
    if (cut == std::string_view::npos) return;
    last = last.substr(0, cut);
    reading.description = trimBlanks(typedText(joinLines(parts, 0, parts.size() - 1)));
    descriptionRead = true;
}

}  // namespace

bool isWrittenScript(std::string_view scriptBytes) {
    const std::string text = fileText(scriptBytes.substr(0, 4096));
    int seen = 0;
    for (std::string_view line : splitLines(text)) {
        line = trimmed(line);
        if (line.empty()) continue;
        if (++seen > 8) break;
        if (!line.starts_with(trimmed(kScriptTitleStart))) continue;
        line.remove_prefix(trimmed(kScriptTitleStart).size());
        line = trimmed(line);
        if (!line.empty() && line.find_first_not_of('=') == std::string_view::npos) return true;
    }
    return false;
}

SiteReading readSite(std::string_view scriptBytes, std::optional<std::string_view> homePageBytes, SiteReading base) {
    SiteReading reading = std::move(base);
    reading.unread.clear();
    const std::array<bool, 20> read = readScript(fileText(scriptBytes), reading.parametri);
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        if (!read[i]) reading.unread.emplace_back(kNumbers[i].first);
    }
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        if (!read[kNumbers.size() + i]) reading.unread.emplace_back(kPictures[i].first);
    }
    bool titleRead = false, descriptionRead = false;
    if (homePageBytes) readHomePage(fileText(*homePageBytes), reading, titleRead, descriptionRead);
    if (!titleRead) reading.unread.emplace_back("Titolo_Sito");
    if (!descriptionRead) reading.unread.emplace_back("Des_Sito");
    return reading;
}

bool holdsWrittenSite(const std::string& folder) {
    const auto script = files::readPrefix(folder + kScriptFileName, 4096);
    return script && isWrittenScript(*script);
}

SiteReading readSiteFolder(SiteReading base) {
    const std::string& folder = base.parametri.Cartella_Sito;
    const std::string script = files::readPrefix(folder + kScriptFileName, kLargestFile).value_or("");
    const auto page = files::readPrefix(folder + kHomePageFileName, kLargestFile);
    return readSite(script, page ? std::optional<std::string_view>(*page) : std::nullopt, std::move(base));
}

}  // namespace sb
