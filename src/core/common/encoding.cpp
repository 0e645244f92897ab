#include "common/encoding.h"

#include <array>
#include <cstdio>

namespace sb {

std::u32string decodeUtf8(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0;
        if (b < 0x80) { cp = b; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; extra = 3; }
        else { out.push_back(0xFFFD); ++i; continue; }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= s.size()) { ok = false; break; }
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        const bool overlong = (extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (!ok || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

namespace {

// The 0x80-0x9F row, where Windows-1252 differs from Latin-1 (0: unused).
constexpr std::array<char32_t, 32> kRow80 = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

}  // namespace

int cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kRow80.size(); ++i) {
        if (kRow80[i] != 0 && kRow80[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

int writtenByte(char32_t cp) {
    if ((cp < 0x20 && cp != U'\t' && cp != U'\n' && cp != U'\r') || cp == 0x7F) return -1;
    return cp1252Byte(cp);
}

std::string toCp1252(std::string_view utf8, const Fallback& fallback) {
    std::string out;
    out.reserve(utf8.size());
    for (char32_t cp : decodeUtf8(utf8)) {
        const int b = writtenByte(cp);
        if (b >= 0) out.push_back(static_cast<char>(b));
        else out += fallback(cp);
    }
    return out;
}

std::string htmlCharRef(char32_t cp) { return "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";"; }

std::string jsUnicodeEscape(char32_t cp) {
    auto unit = [](unsigned v) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", v);
        return std::string(buffer);
    };
    if (cp < 0x10000) return unit(static_cast<unsigned>(cp));
    const unsigned v = static_cast<unsigned>(cp) - 0x10000;
    return unit(0xD800 + (v >> 10)) + unit(0xDC00 + (v & 0x3FF));
}

namespace {

// Length of the valid UTF-8 sequence at the start of `s`, 0 when none.
std::size_t validSequence(std::string_view s) {
    const auto b = static_cast<unsigned char>(s[0]);
    if (b < 0x80) return 1;
    std::size_t extra = 0;
    char32_t cp = 0;
    if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; }
    else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; }
    else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; extra = 3; }
    else return 0;
    if (s.size() <= extra) return 0;
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(s[k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    const bool overlong = (extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return extra + 1;
}

char32_t cp1252Character(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    const char32_t cp = kRow80[byte - 0x80];
    return cp != 0 ? cp : byte;  // an unused byte stands for the C1 control
}

}  // namespace

std::string legibleUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t n = validSequence(bytes);
        if (n > 0) {
            out.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
        } else {
            const char32_t cp = cp1252Character(static_cast<unsigned char>(bytes[0]));
            out += encodeUtf8(std::u32string_view(&cp, 1));
            bytes.remove_prefix(1);
        }
    }
    return out;
}

std::string htmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\r': out += "&#13;"; break;
        case '\n': out += "&#10;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

bool isUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t n = validSequence(bytes);
        if (n == 0) return false;
        bytes.remove_prefix(n);
    }
    return true;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (const char c : bytes) text.push_back(cp1252Character(static_cast<unsigned char>(c)));
    return encodeUtf8(text);
}

std::string percentEncoded(std::string_view bytes, bool keepSlash) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    static constexpr std::string_view kKept = "-._~!$()*+,;=@";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                           kKept.find(c) != std::string_view::npos || (keepSlash && c == '/');
        if (plain) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        }
    }
    return out;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}

}  // namespace sb
