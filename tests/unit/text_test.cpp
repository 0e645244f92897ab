#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/encoding.h"
#include "common/text.h"

namespace sb {
namespace {

TEST(SeparaPercorso, SplitsAtTheLastSeparator) {
    struct Case {
        std::string path, folder, name;
    };
    const Case cases[] = {
        {"C:\\img\\a.jpg", "C:\\img", "a.jpg"}, {"\\a.jpg", "\\", "a.jpg"}, {"/a.jpg", "/", "a.jpg"},
        {"a.jpg", "a.jpg", "a.jpg"},           {"C:/img/", "C:/img", ""},  {"C:\\x/y.gif", "C:\\x", "y.gif"},
        {"C:/x\\y.gif", "C:/x", "y.gif"},      {"", "", ""},               {"/", "/", ""},
        {"/home/ann/foto mare/é.jpg", "/home/ann/foto mare", "é.jpg"}};
    for (const auto& c : cases) {
        const PathParts parts = Separa_Percorso(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
    }
}

TEST(ReadNumber, TakesTheLongestLeadingNumber) {
    struct Case {
        std::string text;
        double value;
    };
    // Empty, blank, "1,5", "-0", "1e999" and the like are in the number-field table.
    const Case cases[] = {
        {"5", 5},     {" 150px ", 150}, {"12abc", 12}, {"abc", 0}, {"1 2 3", 123}, {"-7.5", -7.5},
        {"+4", 4},    {".5", 0.5},      {"5.", 5},     {"4e1", 40}, {"4E+1x", 40}, {"4e+", 4},
        {"1e-999", 0}, {"7è", 7},       {"inf", 0},    {"nan", 0},  {"0x1A", 0},   {"1..2", 1}};
    for (const auto& c : cases) {
        const double got = readNumber(c.text);
        EXPECT_DOUBLE_EQ(got, c.value) << '"' << c.text << '"';
        if (got == 0) {
            EXPECT_FALSE(std::signbit(got)) << "negative zero from \"" << c.text << '"';
        }
    }
}

TEST(ReadNumber, RadixPrefixesOnlyWhenAsked) {
    EXPECT_EQ(readNumber("&H2", true), 2);
    EXPECT_EQ(readNumber("&h1F", true), 31);
    EXPECT_EQ(readNumber("&O17", true), 15);
    EXPECT_EQ(readNumber("&HFFFF", true), -1);
    EXPECT_EQ(readNumber("&H", true), 0);
    EXPECT_EQ(readNumber("& H 2", true), 2);
    EXPECT_EQ(readNumber("&H2", false), 0);
    EXPECT_EQ(readNumber("&HFFFFFFFFFF", true), 0);
}

TEST(ParseWholeNumber, AcceptsOnlyACompleteNumber) {
    EXPECT_EQ(parseWholeNumber(" 40 "), 40.0);
    EXPECT_EQ(parseWholeNumber("4e1"), 40.0);
    EXPECT_EQ(parseWholeNumber("-7.5"), -7.5);
    for (const char* bad : {"abc", "40px", "", "  ", "1e999", "-", "1,5", "inf", "nan", "4 0"}) {
        EXPECT_FALSE(parseWholeNumber(bad).has_value()) << bad;
    }
}

TEST(ToInt16, RoundsHalfToEvenWithinRange) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_FALSE(toInt16(32767.5).has_value());
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_FALSE(toInt16(-32769).has_value());
    EXPECT_FALSE(toInt16(99999).has_value());
    EXPECT_FALSE(toInt16(NAN).has_value());
}

TEST(NumberForms, SignSpaceAndPlain) {
    struct Case {
        double value;
        std::string signSpace, plain;
    };
    const Case cases[] = {
        {5, " 5", "5"},          {0, " 0", "0"},          {-20, "-20", "-20"},   {0.5, " .5", "0.5"},
        {-0.5, "-.5", "-0.5"},   {135, " 135", "135"},    {1.25, " 1.25", "1.25"}, {1e20, " 1E+20", "1E+20"},
        {1e-5, " 1E-05", "1E-05"}, {0.1 + 0.2, " .3", "0.3"}, {-0.0, " 0", "0"},
        {123456789012345.0, " 123456789012345", "123456789012345"},
        {1.7976931348623157e308, " 1.7976931348623157E+308", "1.7976931348623157E+308"},
        {5e-324, " 4.94065645841247E-324", "4.94065645841247E-324"}};
    for (const auto& c : cases) {
        EXPECT_EQ(formatSignSpace(c.value), c.signSpace) << c.value;
        EXPECT_EQ(formatPlain(c.value), c.plain) << c.value;
    }
}

TEST(Encoding, WindowsCodePageWithFallbacks) {
    EXPECT_EQ(toCp1252("caffè", htmlCharRef), "caff\xE8");
    EXPECT_EQ(toCp1252("€ “x”", htmlCharRef), "\x80 \x93x\x94");
    EXPECT_EQ(toCp1252("日本", htmlCharRef), "&#26085;&#26412;");
    EXPECT_EQ(toCp1252("Ω", jsUnicodeEscape), "\\u03a9");
    EXPECT_EQ(toCp1252("😀", jsUnicodeEscape), "\\ud83d\\ude00");
    EXPECT_EQ(toCp1252("\xC2\x81", htmlCharRef), "&#129;");  // a C1 control has no byte
    EXPECT_EQ(toCp1252("\xC3\xBF \xC2\xA0", htmlCharRef), "\xFF \xA0");  // the Latin-1 half keeps its bytes
    EXPECT_EQ(toCp1252("a\xFFz", htmlCharRef), "a&#65533;z");  // broken UTF-8 is not dropped
    EXPECT_EQ(toCp1252("a\xED\xA0\x80z", htmlCharRef), "a&#65533;&#65533;&#65533;z");  // nor an encoded surrogate
    EXPECT_EQ(characterCount("è€a"), 3u);
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta "), "\ta");
}

}  // namespace
}  // namespace sb
