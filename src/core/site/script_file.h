// The site's parameter script "Parametri_by_Velmora.js": one global
// variable per site parameter, read by the gallery engine.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "site/parametri.h"

namespace sb {

inline constexpr const char* kScriptFileName = "Parametri_by_Velmora.js";
// The start of the script's title comment, followed by "=" to the frame's
// width: it tells a script this program wrote.
inline constexpr std::string_view kScriptTitleStart = "//======== Parametri del Sito ";

// A variable whose value could not be written as a number: its line is left
// out of the script.
struct OmittedLine {
    std::string variable;  // "POS_Y_GRUPPI"
    std::string value;     // the text that is not a number (UTF-8)
};

struct ParameterScript {
    // The lines in Windows-1252, without their line ends; the last is empty.
    std::vector<std::string> lines;
    std::vector<OmittedLine> omitted;
};

// Composes the script from the committed parameters.
ParameterScript composeParameterScript(const Parametri_Sito& parametri);

// A value as the script writes it: numbers in the sign-space form (" 5",
// "-20", " .5"), a text only when it holds nothing but a number. Nothing
// when the value cannot be written as a number.
std::optional<std::string> scriptNumber(const Value& value);

// The body of a single-quoted JavaScript string holding `utf8`, encoded in
// Windows-1252: "'" and "\" escaped, line breaks as \r and \n, characters
// outside the code page and other control characters as \uXXXX. Anything
// else is left as it is.
std::string scriptStringBody(std::string_view utf8);

}  // namespace sb
