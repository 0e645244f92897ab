// Windows-1252 output. The program keeps texts in UTF-8 and writes files in
// Windows-1252; a character that code page lacks is written through a
// fallback chosen by the caller, never dropped.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sb {

// Decodes UTF-8 into code points; malformed bytes become U+FFFD.
std::u32string decodeUtf8(std::string_view utf8);
std::string encodeUtf8(std::u32string_view text);

// The Windows-1252 byte of a code point, or -1 when there is none.
int cp1252Byte(char32_t cp);

using Fallback = std::function<std::string(char32_t)>;

// Encodes UTF-8 text as Windows-1252; unmappable characters go through
// `fallback`, whose result must itself be plain ASCII.
std::string toCp1252(std::string_view utf8, const Fallback& fallback);

// Fallbacks.
std::string htmlCharRef(char32_t cp);   // "&#8364;"
std::string jsUnicodeEscape(char32_t cp);  // "\u20ac" (surrogate pairs above U+FFFF)

// Number of characters (code points) of a UTF-8 text.
std::size_t characterCount(std::string_view utf8);

}  // namespace sb
