#include "common/text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace sb {

std::string trimBlanks(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    return std::string(text.substr(begin, end - begin));
}

std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (isSeparator(path[i - 1])) return i;
    }
    return 0;
}

PathParts Separa_Percorso(std::string_view path) {
    const std::size_t pos = lastSeparator(path);
    if (pos == 0) return {std::string(path), std::string(path)};
    PathParts parts;
    parts.folder = std::string(path.substr(0, pos == 1 ? 1 : pos - 1));
    parts.name = std::string(path.substr(pos));
    return parts;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest leading decimal number of `s` (no blanks inside),
// 0 when it does not start with one.
std::size_t decimalPrefix(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
    }
    if (digits == 0) return 0;
    const std::size_t mantissaEnd = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) { ++j; ++expDigits; }
        if (expDigits > 0) return j;
    }
    return mantissaEnd;
}

// Converts a well-formed decimal number; a value out of range gives nullopt.
std::optional<double> convertDecimal(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc{} || !std::isfinite(value)) return std::nullopt;
    return value == 0.0 ? 0.0 : value;  // no negative zero
}

double readRadix(std::string_view digits, int base) {
    unsigned long long value = 0;
    std::size_t count = 0;
    for (char c : digits) {
        int d = -1;
        if (isDigit(c)) d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0 || d >= base) break;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFull) return 0.0;  // beyond a 32-bit number
        ++count;
    }
    if (count == 0) return 0.0;
    // Short forms are 16-bit, longer ones 32-bit, both two's complement.
    if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

double readNumber(std::string_view text, bool radixPrefixes) {
    std::string packed;
    packed.reserve(text.size());
    for (char c : text) {
        if (!isBlank(c)) packed.push_back(c);
    }
    std::string_view s = packed;
    if (radixPrefixes && s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return readRadix(s.substr(2), 16);
        if (s[1] == 'O' || s[1] == 'o') return readRadix(s.substr(2), 8);
    }
    const std::size_t length = decimalPrefix(s);
    if (length == 0) return 0.0;
    return convertDecimal(s.substr(0, length)).value_or(0.0);
}

std::optional<double> parseWholeNumber(std::string_view text) {
    const std::string trimmed = trimBlanks(text);
    const std::size_t length = decimalPrefix(trimmed);
    if (length == 0 || length != trimmed.size()) return std::nullopt;
    return convertDecimal(trimmed);
}

std::optional<std::int16_t> toInt16(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);  // half to even
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

// Up to 15 significant digits, "E" for exponents. Near the top of the double
// range that rounding would go past the largest double, so such a value keeps
// all its digits. Made with to_chars: the process's locale cannot turn the
// point into a comma.
std::string formatPlain(double value) {
    if (value == 0.0 || !std::isfinite(value)) return "0";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    double back = 0.0;
    const auto reread = std::from_chars(buffer, result.ptr, back);
    if (reread.ec != std::errc{} || !std::isfinite(back)) result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    return text;
}

std::string formatSignSpace(double value) {
    std::string plain = formatPlain(value);
    const bool negative = plain[0] == '-';
    std::string digits = negative ? plain.substr(1) : plain;
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') digits.erase(0, 1);
    return (negative ? "-" : " ") + digits;
}

std::string formatInteger(long long value) { return std::to_string(value); }

}  // namespace sb
