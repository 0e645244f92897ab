// The numbers the user types: a parameter field and the go-to field read
// any text without fault, and what the script writes reads back as the
// number that was meant, in the form a script can hold.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "fuzz_check.h"
#include "site/script_file.h"
#include "viewer/navigation.h"

namespace {

// A script number: the sign-space form, then a JavaScript decimal literal.
bool isScriptNumber(const std::string& s) {
    if (s.empty() || (s[0] != ' ' && s[0] != '-')) return false;
    std::size_t i = 1, digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && s[i] == 'E') {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == s.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::int16_t count = static_cast<std::int16_t>(data[0] * 130);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    for (const bool radix : {false, true}) {
        const double value = sb::readNumber(text, radix);
        fuzz::check(std::isfinite(value), "a field read as no finite number", text);
        const std::string written = sb::formatSignSpace(value);
        fuzz::check(isScriptNumber(written), "a number the script cannot hold", written);
        std::string plain = written.substr(written[0] == ' ' ? 1 : 0);
        if (plain[0] == '.' || (plain[0] == '-' && plain[1] == '.')) plain.insert(plain[0] == '-' ? 1 : 0, "0");
        const double back = std::strtod(plain.c_str(), nullptr);
        fuzz::check(std::fabs(back - value) <= std::fabs(value) * 1e-14, "a number written is not the number read", written);
    }
    if (const auto whole = sb::parseWholeNumber(text)) {
        fuzz::check(std::isfinite(*whole), "a whole number that is not finite", text);
        fuzz::check(sb::scriptNumber(sb::Value(text)).has_value(), "a number text left out of the script", text);
    }
    if (const auto target = sb::viewer::typedImage(text, count)) {
        fuzz::check(*target >= 1 && *target <= count, "the go-to field leads past the list", text);
    }
    return 0;
}
