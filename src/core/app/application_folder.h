// Where the program works (Cartella_Applicazione): its own folder when that
// folder holds its data files and can be written, as in the build folder or
// a copy unpacked into the user's home; otherwise a folder of the user's own,
// filled from the installed data files, so that an ordinary user of a
// program installed under /usr can still write the default site, the sample
// pages and the copies.
#pragma once

#include <string>

namespace sb {

struct ApplicationPlaces {
    std::string programFolder;  // the folder of the executable
    std::string dataFolder;     // where an installation keeps the data files
    std::string userFolder;     // the user's own folder for this program
};

// The file whose presence tells that a folder holds the program's data files.
inline constexpr const char* kDataMarker = "blank.gif";

// Picks the application folder, filling the user's folder when it is the one.
// Falls back on a folder the program can at least read its pictures from
// when the user's folder cannot be made.
std::string chooseApplicationFolder(const ApplicationPlaces& places);

// Brings `userFolder` up to date with `dataFolder`: copies every data file
// that is missing there. A file the user changed or added is never touched;
// a copy the user left as it was is replaced when the installed file has
// changed since (a newer version of the program). The record of what was
// copied is the hidden file kCopyRecord in `userFolder`. True when the user's
// folder exists afterwards; a file that cannot be copied is skipped.
bool fillUserFolder(const std::string& dataFolder, const std::string& userFolder);

inline constexpr const char* kCopyRecord = ".installed-files";

}  // namespace sb
