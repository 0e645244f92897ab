// Writes a whole site into its folder: the parameter script, the home page
// and copies of every picture the site needs. Plain core, no window: the
// confirm button hands it the parameters and reports what it returns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform.h"
#include "site/gallery.h"
#include "site/parametri.h"
#include "site/script_file.h"

namespace sb {

struct SiteRequest {
    const Parametri_Sito& parametri;
    std::string title;        // text of the title field, as typed
    std::string description;  // text of the description field, as typed
    // Where "blank.gif" comes from (without trailing separator).
    std::string applicationFolder;
    // Where the arrow icons and the numbered group buttons come from.
    std::string workingDirectory;
    // Makes the thumbnails of the groups; without it none is made.
    Platform* platform = nullptr;
    // The program's language: the gallery's words and the report's notes.
    bool english = false;
};

// One picture the site needs: where it comes from and where it goes.
struct ImageCopy {
    std::string source;
    std::string target;
};

// The name a picture of the site bears in the site folder, in the script and
// in the home page: the file name of its path, its bytes that are not UTF-8
// read as Windows-1252 (see legibleUtf8). The script and the page can only
// name a file by characters, so the copy is named by the same characters.
std::string siteFileName(std::string_view picturePath);

// The 23 copies of a site, in the order they are made: "blank.gif", the
// eight image parameters, the four arrow icons, "Pulsante_01.gif" to
// "Pulsante_10.gif".
std::vector<ImageCopy> siteImageCopies(const SiteRequest& request);

struct SiteReport {
    std::string folder;  // the site folder, as given
    bool folderMissing = false;
    bool scriptWritten = false;
    bool homePageWritten = false;
    std::vector<std::string> unwrittenFiles;  // full paths
    std::vector<ImageCopy> uncopiedImages;
    std::vector<OmittedLine> omittedLines;
    std::string engineSource;  // where the gallery engine is copied from
    bool engineCopied = false;
    bool pictureListWritten = false;
    GalleryReport gallery;
    bool english = false;  // the language of the notes in the message

    std::string homePage() const;
    // The folder exists and both files were written.
    bool written() const { return !folderMissing && scriptWritten && homePageWritten; }
    // Nothing at all went wrong.
    bool complete() const {
        return written() && uncopiedImages.empty() && omittedLines.empty() && engineCopied && pictureListWritten &&
               gallery.unreadableNames.empty() && gallery.unreadableFolders.empty() &&
               !gallery.thumbnailFolderUnusable && gallery.pictureProblems.empty();
    }
};

// Creates the folder, writes both files and makes the copies; then copies
// the gallery engine and the site's icon from the application folder,
// brings the thumbnails and web-sized copies of the groups up to date and
// writes the list of groups and pictures. Every
// step is tried whatever happened before it; what failed is in the report.
// A copy whose source already is its target (a picture taken from the site
// folder itself) is left alone and is no failure; so is a copy an earlier
// write made that is still in place, and a file that already holds what
// would be written (see files::CopyCheck::keepCopyInPlace and writeBytes),
// so that writing an unchanged site again costs little more than a look
// at each file.
SiteReport writeSite(const SiteRequest& request);

// The message that ends an announced run (Italian, UTF-8, lines joined by
// CR LF): "Registrazione Sito terminata ! " and the folder when the site is
// complete, otherwise a heading saying it is not and one line per failure;
// then, in the program's language, the groups the site leaves out.
std::string siteMessage(const SiteReport& report);

}  // namespace sb
