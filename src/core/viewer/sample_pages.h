// The three sample pages that show a chosen image in its role on the site:
// as a page background, as a slide on a group's page background, and as the
// column of group buttons on the home page background. Each page lies beside
// the image it is named after.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"

namespace sb {
class Platform;
}

namespace sb::viewer {

// Page names. The name is cut at the first "." of the file name (never of a
// folder), so the page always lies in the image's own folder:
//   /foto/tramonto.jpg            -> /foto/tramonto.HTM
//   /foto/cornice.gif (slide)     -> /foto/cornice_Esempio_Sfondo7.htm
//   /foto/cornice.gif (groups)    -> /foto/cornice_Esempio_Sfondo8.htm
// A file name without "." has no page.
std::optional<std::string> backgroundPageName(std::string_view imagePath);
std::optional<std::string> slidePageName(std::string_view slideBackground);
std::optional<std::string> groupsPageName(std::string_view slideBackground);

// The pages' lines, encoded for writing (Windows-1252; a character outside it
// becomes a numeric character reference).
std::vector<std::string> backgroundPage(std::string_view imagePath);

struct SlidePageValues {
    std::string slide;       // the slide background, which is the slide picture
    std::string background;  // the page background of a group's images
    std::string photo;       // the sample photo put inside the slide
    Value width, height;     // of the slide
    Value slideTop;
    Value photoTop;
    Value photoLeft;
};
std::vector<std::string> slidePage(const SlidePageValues& values);

// The groups page writes at most this many buttons, whatever the number of
// groups holds: a page of a million buttons helps nobody judge a button.
inline constexpr int kMaxSampleButtons = 1000;

struct GroupsPageValues {
    std::string slide;       // names the page and gives its title
    std::string background;  // the home page background
    std::string button;      // the group button picture
    double groups = 0;
    int buttonHeightTwips = 0;  // the picture box that holds the button
};
std::vector<std::string> groupsPage(const GroupsPageValues& values);

// Writes a page at `path`. A file already there is replaced only when it is
// one of the program's pages for the same picture (it starts with the page's
// own first three lines); anything else stays untouched and the page goes into
// the program's temporary folder under the same file name instead. Returns the
// path where the page was meant to go; a write that fails is not reported, as
// the browser is sent there all the same.
std::string placePage(Platform& platform, const std::string& path, const std::vector<std::string>& lines);

}  // namespace sb::viewer
