// Notes every file the process creates, changes or removes outside a set of
// folders. A file made out there (where a path the user typed leads: a site
// folder, a sample page beside a typed picture path) is listed; a file that
// was there before and is changed or removed is a fault.
#pragma once

#include <string>
#include <vector>

namespace monkey {

// From now on, a path written outside these folders (absolute, without a
// trailing separator) is noted. /dev, /proc and /sys are never noted.
void watchFiles(const std::vector<std::string>& allowedRoots);

// Files outside the folders that were there and have been changed or removed.
std::vector<std::string> filesTouchedOutside();
// Files and folders this run made outside the folders.
std::vector<std::string> filesMadeOutside();

}  // namespace monkey
