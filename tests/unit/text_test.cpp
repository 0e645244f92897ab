// Paths, numbers read from typed text and written back, and Windows-1252 output.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "common/encoding.h"
#include "common/text.h"

namespace sb {
namespace {

TEST(SeparaPercorso, SplitsAtTheLastSeparator) {
    const std::tuple<std::string, std::string, std::string> cases[] = {  // path, folder, name
        {"C:\\img\\a.jpg", "C:\\img", "a.jpg"}, {"\\a.jpg", "\\", "a.jpg"}, {"/a.jpg", "/", "a.jpg"}, {"a.jpg", "a.jpg", "a.jpg"},
        {"C:/img/", "C:/img", ""}, {"C:\\x/y.gif", "C:\\x", "y.gif"}, {"C:/x\\y.gif", "C:/x", "y.gif"}, {"", "", ""}, {"/", "/", ""},
        {"/home/ann/foto mare/é.jpg", "/home/ann/foto mare", "é.jpg"}};
    for (const auto& [path, folder, name] : cases) {
        const PathParts parts = Separa_Percorso(path);
        EXPECT_EQ(parts.folder + "|" + parts.name, folder + "|" + name) << path;
    }
}

// Blank, "1,5", "-0", "1e999" and the like are in the table of the number fields.
TEST(ReadNumber, TakesTheLongestLeadingNumber) {
    const std::pair<std::string, double> cases[] = {
        {"5", 5},      {" 150px ", 150}, {"12abc", 12}, {"abc", 0},  {"1 2 3", 123}, {"-7.5", -7.5}, {"+4", 4}, {".5", 0.5},
        {"5.", 5},     {"4e1", 40},      {"4E+1x", 40}, {"4e+", 4},  {"1e-999", 0},  {"7è", 7},       {"inf", 0}, {"nan", 0},
        {"0x1A", 0},   {"1..2", 1},      {"", 0}};
    for (const auto& [text, value] : cases) {
        const double got = readNumber(text);
        EXPECT_DOUBLE_EQ(got, value) << '"' << text << '"';
        EXPECT_FALSE(got == 0 && std::signbit(got)) << "negative zero from \"" << text << '"';
    }
    const std::pair<const char*, double> radix[] = {{"&H2", 2}, {"&h1F", 31}, {"&O17", 15}, {"&HFFFF", -1}, {"&H", 0}, {"& H 2", 2},
                                                    {"&HFFFFFFFFFF", 0}};
    for (const auto& [text, value] : radix) EXPECT_EQ(readNumber(text, true), value) << text;
    EXPECT_EQ(readNumber("&H2", false), 0) << "radix prefixes only when asked";
}

TEST(NumberForms, SignSpaceAndPlain) {
    const std::tuple<double, std::string, std::string> cases[] = {
        {5, " 5", "5"}, {0, " 0", "0"}, {-20, "-20", "-20"}, {0.5, " .5", "0.5"}, {-0.5, "-.5", "-0.5"}, {135, " 135", "135"},
        {1.25, " 1.25", "1.25"}, {1e20, " 1E+20", "1E+20"}, {1e-5, " 1E-05", "1E-05"}, {0.1 + 0.2, " .3", "0.3"}, {-0.0, " 0", "0"},
        {123456789012345.0, " 123456789012345", "123456789012345"},
        {1.7976931348623157e308, " 1.7976931348623157E+308", "1.7976931348623157E+308"},
        {5e-324, " 4.94065645841247E-324", "4.94065645841247E-324"}};
    for (const auto& [value, signSpace, plain] : cases) {
        EXPECT_EQ(formatSignSpace(value) + "|" + formatPlain(value), signSpace + "|" + plain) << value;
    }
}

// The home page, script and picture list tables try the common letters and both fallbacks.
TEST(Encoding, WindowsCodePageWithFallbacks) {
    EXPECT_EQ(toCp1252("€ “x”", htmlCharRef), "\x80 \x93x\x94");
    EXPECT_EQ(toCp1252("\xC2\x81", htmlCharRef), "&#129;");                // a C1 control has no byte
    EXPECT_EQ(toCp1252("\xC3\xBF \xC2\xA0", htmlCharRef), "\xFF \xA0");   // the Latin-1 half keeps its bytes
    EXPECT_EQ(toCp1252("a\xFFz", htmlCharRef), "a&#65533;z");             // broken UTF-8 is not dropped
    EXPECT_EQ(toCp1252("a\xED\xA0\x80z", htmlCharRef), "a&#65533;&#65533;&#65533;z");  // nor an encoded surrogate
    EXPECT_EQ(characterCount("è€a"), 3u);
    EXPECT_EQ(trimBlanks("  a b  ") + "|" + trimBlanks("\ta "), "a b|\ta");
}

}  // namespace
}  // namespace sb
