// Paths as the user types or picks them: the split, the names of the sample
// pages and the site's name of a picture. A page always lies in the folder
// of the picture it is named after.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/encoding.h"
#include "common/text.h"
#include "fuzz_check.h"
#include "site/site_writer.h"
#include "viewer/sample_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const sb::PathParts parts = sb::Separa_Percorso(path);
    const std::size_t last = sb::lastSeparator(path);
    fuzz::check(parts.name.find_first_of("/\\") == std::string::npos || last == 0, "a name with a separator", path);
    if (last > 1) fuzz::check(parts.folder + path[last - 1] + parts.name == path, "the split loses part of the path", path);
    if (last == 0) fuzz::check(parts.folder == path && parts.name == path, "a bare name split", path);

    const std::string folder = path.substr(0, last);  // with its separator
    for (const auto& page : {sb::viewer::backgroundPageName(path), sb::viewer::slidePageName(path),
                             sb::viewer::groupsPageName(path)}) {
        if (!page) {
            fuzz::check(parts.name.find('.') == std::string::npos, "a name with a dot has no page", path);
            continue;
        }
        fuzz::check(page->compare(0, folder.size(), folder) == 0 && sb::lastSeparator(*page) == last,
                    "a sample page outside its picture's folder", *page);
    }
    const std::vector<std::string> page = sb::viewer::backgroundPage(path);
    for (const std::string& line : page) {
        fuzz::check(fuzz::isWrittenText(line), "a background page holds a byte it must not", line);
    }
    // The path shown as text is never markup.
    const std::string title = page.at(2).substr(7, page.at(2).size() - 15), text = page.at(6).substr(16, page.at(6).size() - 32);
    for (const std::string& shown : {title, text}) {
        fuzz::check(shown.find_first_of("<>\"'\r\n") == std::string::npos, "a path shown as markup", shown);
    }
    const std::string siteName = sb::siteFileName(path);
    fuzz::check(sb::legibleUtf8(siteName) == siteName, "a site name that is not UTF-8", siteName);
    fuzz::check(siteName.find_first_of("/\\") == std::string::npos || last == 0, "a site name with a separator", siteName);
    return 0;
}
