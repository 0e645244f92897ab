// Text helpers shared by the whole program: trimming, path splitting and
// the number forms the program reads and writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sb {

// The path separator the program writes.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

inline bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Removes leading and trailing spaces (only spaces, as the fields do).
std::string trimBlanks(std::string_view text);

// 1-based position of the last "\" or "/" of a path, 0 when there is none.
std::size_t lastSeparator(std::string_view path);

struct PathParts {
    std::string folder;
    std::string name;
};

// Splits a path at its last separator. A path without separator returns
// itself as both folder and name; a separator in first place is kept as the
// folder.
PathParts Separa_Percorso(std::string_view path);

// Reads the number at the start of a text: blanks anywhere are skipped, then
// the longest leading decimal number (sign, digits, one ".", exponent with E).
// No such number, or one too large for a double, gives 0.
// With `radixPrefixes` a leading "&H" or "&O" reads a hexadecimal or octal
// number instead.
double readNumber(std::string_view text, bool radixPrefixes = false);

// Like readNumber, but says whether the text holds a number at all (the whole
// trimmed text must be one). Used where an unreadable text must be noticed.
std::optional<double> parseWholeNumber(std::string_view text);

// Rounds half to even and checks the 16-bit signed range.
std::optional<std::int16_t> toInt16(double value);

// Plain decimal form: "5", "-20", "0.5", "1E+20" (up to 15 significant digits).
std::string formatPlain(double value);

// Sign-space form: a blank before zero and positive values, "-" before
// negative ones, no leading zero before the point: " 5", "-20", " .5".
std::string formatSignSpace(double value);

// Decimal form of a whole number, as captions show it.
std::string formatInteger(long long value);

}  // namespace sb
