// The gallery of a written site: the groups of pictures the user puts into
// the site folder, the list of them that the gallery engine reads, and the
// thumbnails its slides show.
//
// A group is a direct subfolder of the site folder holding at least one
// picture (hidden folders, the thumbnail folder and links to the site folder
// or a folder above it excepted); its pictures
// are its direct files whose last extension is jpg, jpeg, png, gif, webp or
// bmp, in any case. Groups and pictures go in natural name order.
//
// The list, "Immagini_by_Velmora.js", is a script in the parameter script's
// conventions (Windows-1252, CR LF, names in single-quoted strings escaped
// alike):
//
//   var Cartella_Miniature='Miniature_by_Velmora';
//   var Gruppi_Immagini=[
//   ['Mare',[
//   ['Faro_al_tramonto.jpg','3f9a0c1d2e4b5a69_230x160.jpg'],
//   ['Scogli.jpg','']
//   ]],
//   ['Montagna',[
//   ...
//   ]]
//   ];
//
// Each picture is its file name and the name of its thumbnail in the
// thumbnail folder, empty when it has none.
//
// Thumbnails are JPEG files named "<16 hex digits>_<width>x<height>.jpg":
// the digits are a hash of the group, the picture's name, its size in bytes
// and the time it was last changed, so a thumbnail is fresh exactly when a
// file of its name exists, and one of another size, or of a picture changed
// since, bears another name. Only files named so in the thumbnail folder are
// the program's own: it removes those no picture needs any more and never
// touches anything else.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform.h"
#include "site/parametri.h"

namespace sb {

inline constexpr const char* kEngineFileName = "galleria_by_Velmora.js";
inline constexpr const char* kPictureListFileName = "Immagini_by_Velmora.js";
inline constexpr const char* kThumbnailFolderName = "Miniature_by_Velmora";

struct GalleryPicture {
    std::string file;       // the name in its group folder (UTF-8)
    std::string thumbnail;  // the name in the thumbnail folder; empty for none
    std::int64_t bytes = 0;
    std::int64_t changedSeconds = 0, changedNanoseconds = 0;
};

struct GalleryGroup {
    std::string name;
    std::vector<GalleryPicture> pictures;
};

// Compares names as a person reads them: runs of digits by their value
// ("2" before "10"), letters without regard to case. Names that differ only
// in case or leading zeros keep a fixed order. Negative, zero or positive.
int naturalCompare(std::string_view a, std::string_view b);

bool isPictureName(std::string_view name);

struct GroupSearch {
    std::vector<GalleryGroup> groups;  // in order, each with its pictures in order
    // Folders and pictures left out because their names are not UTF-8 text
    // (the engine could not name them), as full paths.
    std::vector<std::string> unreadableNames;
    // Folders left out because they cannot be read, as full paths.
    std::vector<std::string> unreadableFolders;
};

// The groups under `folder` (a folder path, without trailing separator).
GroupSearch findGroups(const std::string& folder);

// The lines of the list, Windows-1252, without line ends; the last is empty.
std::vector<std::string> composePictureList(const std::vector<GalleryGroup>& groups);

// The size of every thumbnail: the slide's inside (20 pixels narrower and
// lower than the slide) twice over, for sharp screens. A slide size that the
// engine would not use is replaced by its default there and here alike.
PixelSize thumbnailSize(const Parametri_Sito& parametri);

std::string thumbnailName(const std::string& group, const GalleryPicture& picture, PixelSize size);
bool isThumbnailName(std::string_view name);

// What went wrong with the gallery of one site write.
struct GalleryReport {
    enum class Problem { UnreadablePicture, UnwrittenThumbnail, Cancelled };
    struct PictureProblem {
        std::string picture;  // full path
        Problem problem;
    };
    std::vector<std::string> unreadableNames;
    std::vector<std::string> unreadableFolders;
    // The thumbnail folder exists but is not a folder of the program's own
    // (a file, a link), or could not be made: no thumbnails.
    bool thumbnailFolderUnusable = false;
    std::vector<PictureProblem> pictureProblems;
};

struct GalleryUpdate {
    std::vector<GalleryGroup> groups;
    // The program's own thumbnails that no picture needs any more (full
    // paths), and its thumbnail folder when no group is left to need it.
    std::vector<std::string> stale;
    std::string unneededFolder;
};

// Finds the groups under `folder`, makes their missing thumbnails through the
// platform and fills in each picture's thumbnail name.
GalleryUpdate updateGallery(const std::string& folder, PixelSize thumbnail, Platform* platform, GalleryReport& report);

// Removes what the update found stale: only once the list no longer names
// it, so that a list that could not be written still finds its thumbnails.
void removeStaleThumbnails(const GalleryUpdate& update);

}  // namespace sb
