// The site's home page "index.htm": title, background, the sliding header
// with the description, the parameter script and the remote gallery engine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sb {

inline constexpr const char* kHomePageFileName = "index.htm";
// What follows the title in the page's title element and the description in
// its sliding header.
inline constexpr std::string_view kTitleSuffix = " - Layout creato da Velmora(c)";
inline constexpr std::string_view kDescriptionEnd = "</strong></font>";

// Composes the page. `title` and `description` are the texts of the title and
// description fields (UTF-8, trimmed here); `backgroundPath` is the home page
// background parameter, of which only the site's name for it goes into the
// page, percent-encoded so that the browser finds the file whatever its name.
// Returns the lines in Windows-1252, without their line ends; the last is empty.
std::vector<std::string> composeHomePage(std::string_view title, std::string_view description,
                                         std::string_view backgroundPath);

// Text typed by the user, for the page as it is: Windows-1252, characters the
// code page lacks as numeric references, line breaks as CR LF.
std::string pageText(std::string_view utf8);

}  // namespace sb
