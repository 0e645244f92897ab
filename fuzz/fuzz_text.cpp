// Text conversions: any bytes taken as UTF-8 and written as Windows-1252, in
// a page (numeric references) and in a script (\u escapes). What cannot be
// written plainly is never lost: decoding the output gives the input back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/encoding.h"
#include "fuzz_check.h"

namespace {

// Reads a Windows-1252 page text back, numeric references included.
std::u32string readPage(const std::string& bytes) {
    std::u32string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '&' && i + 1 < bytes.size() && bytes[i + 1] == '#') {
            const std::size_t end = bytes.find(';', i);
            fuzz::check(end != std::string::npos, "an unended reference", bytes);
            text.push_back(static_cast<char32_t>(std::stoul(bytes.substr(i + 2, end - i - 2))));
            i = end;
            continue;
        }
        text += sb::decodeUtf8(sb::legibleUtf8(bytes.substr(i, 1)));
    }
    return text;
}

std::u32string readScript(const std::string& bytes) {
    std::u32string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 5 < bytes.size() + 0 && bytes[i + 1] == 'u') {
            char32_t unit = static_cast<char32_t>(std::stoul(bytes.substr(i + 2, 4), nullptr, 16));
            i += 5;
            if (unit >= 0xD800 && unit < 0xDC00 && i + 6 < bytes.size() && bytes[i + 1] == '\\') {
                const char32_t low = static_cast<char32_t>(std::stoul(bytes.substr(i + 3, 4), nullptr, 16));
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
            text.push_back(unit);
            continue;
        }
        text += sb::decodeUtf8(sb::legibleUtf8(bytes.substr(i, 1)));
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::u32string decoded = sb::decodeUtf8(input);
    fuzz::check(sb::decodeUtf8(sb::encodeUtf8(decoded)) == decoded, "UTF-8 does not round-trip");
    const std::string legible = sb::legibleUtf8(input);
    fuzz::check(sb::decodeUtf8(legible).find(U'\uFFFD') == std::u32string::npos || input.find("\xEF\xBF\xBD") != std::string::npos,
                "a legible name lost a byte", input);
    fuzz::check(sb::legibleUtf8(legible) == legible, "a legible name is not stable", input);

    const std::string page = sb::toCp1252(input, sb::htmlCharRef);
    const std::string script = sb::toCp1252(input, sb::jsUnicodeEscape);
    fuzz::check(fuzz::isWrittenText(page), "a page holds a byte it must not", page);
    fuzz::check(fuzz::isWrittenText(script), "a script holds a byte it must not", script);
    if (input.find('&') == std::string::npos) fuzz::check(readPage(page) == decoded, "a page lost a character", input);
    if (input.find('\\') == std::string::npos) fuzz::check(readScript(script) == decoded, "a script lost a character", input);

    const std::string url = sb::percentEncoded(input, true);
    std::string back;
    for (std::size_t i = 0; i < url.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        fuzz::check(c > 0x20 && c < 0x7F && c != '#' && c != '?' && c != '"' && c != '\'' && c != '&' && c != '<', "an unsafe reference", url);
        if (url[i] == '%') {
            back.push_back(static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            back.push_back(url[i]);
        }
    }
    fuzz::check(back == input, "a reference names another file", input);
    return 0;
}
