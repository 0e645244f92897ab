// Reads a written site back: the parameters from its script, the title and
// the description from its home page. The mirror of the site writer, pure:
// bytes in, parameters out. It reads what the writer writes (Windows-1252,
// CR LF, its escapes) and what a person may make of it in an editor (blank
// lines, other spacing, LF ends, UTF-8, double quotes); a value it cannot
// read keeps the value it had and is named.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "site/parametri.h"

namespace sb {

struct SiteReading {
    Parametri_Sito parametri;
    std::string title;        // UTF-8, trimmed
    std::string description;  // UTF-8, lines joined by CR LF, trimmed
    // The values that could not be read and kept what they had: the script's
    // variable names, "Titolo_Sito" and "Des_Sito".
    std::vector<std::string> unread;
};

// Whether a parameter script is one this program wrote: its title comment
// among its first lines.
bool isWrittenScript(std::string_view scriptBytes);

// Reads the script and the home page (nothing: no page) over `base`, whose
// Cartella_Sito is the site's folder: a picture is the copy in that folder.
SiteReading readSite(std::string_view scriptBytes, std::optional<std::string_view> homePageBytes, SiteReading base);

// The files of a site folder (ending with its separator): whether it holds
// a script this program wrote, and the reading of its two files.
bool holdsWrittenSite(const std::string& folder);
SiteReading readSiteFolder(SiteReading base);

}  // namespace sb
