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

// The byte a written file holds for a code point, or -1 when it must go
// through a fallback: characters Windows-1252 lacks, and the control
// characters other than tab, line feed and carriage return (a 0x1A or a
// 0x00 in a page or script is never what the user meant to see).
int writtenByte(char32_t cp);

using Fallback = std::function<std::string(char32_t)>;

// Encodes UTF-8 text as Windows-1252; the characters writtenByte refuses go
// through `fallback`, whose result must itself be plain ASCII.
std::string toCp1252(std::string_view utf8, const Fallback& fallback);

// Fallbacks.
std::string htmlCharRef(char32_t cp);   // "&#8364;"
std::string jsUnicodeEscape(char32_t cp);  // "\u20ac" (surrogate pairs above U+FFFF)

// A file name as the program shows and writes it: UTF-8 kept, and each byte
// that is not part of valid UTF-8 read as Windows-1252 (the code page of the
// files the program writes; its five unused bytes as the C1 controls of the
// same number), so a name from an 8-bit system keeps its letters.
std::string legibleUtf8(std::string_view bytes);

// Text as it stands in a page, in an element or a quoted attribute: "&",
// "<", ">" and both quotes as references, and line breaks as references so
// that the text keeps to its line. Nothing in it is markup.
std::string htmlEscaped(std::string_view text);

// A file name or path as a URL reference in a page: every byte but the
// letters, digits and "-._~!$()*+,;=@" percent-encoded (so "%", "#", "?",
// blanks, line breaks, quotes, ":" and non-ASCII reach the browser as part
// of the name), "/" kept when `keepSlash`.
std::string percentEncoded(std::string_view bytes, bool keepSlash);

// Whether the bytes are UTF-8 throughout.
bool isUtf8(std::string_view bytes);

// Windows-1252 bytes as UTF-8 (its five unused bytes as the C1 controls of
// the same number).
std::string cp1252ToUtf8(std::string_view bytes);

// Number of characters (code points) of a UTF-8 text.
std::size_t characterCount(std::string_view utf8);

}  // namespace sb
