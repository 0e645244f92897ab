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
//   var Lingua_Galleria='it';
//   var Parole_Galleria={home:'Home',page:'Pagina {k} di {n}',...};
//   var Gruppi_Immagini=[
//   ['Mare',[
//   ['Faro.jpg','3f9a0c1d2e4b5a69_230x160.jpg','3f9a0c1d2e4b5a69_2048.jpg','3f9a0c1d2e4b5a69_1024.jpg',4000,3000],
//   ['Scogli.jpg','','','',0,0]
//   ]],
//   ['Montagna',[
//   ...
//   ]]
//   ];
//
// The language and the engine's words are the program's at the write. Each
// picture is its file name, the names of its thumbnail and of its two
// web-sized copies in the thumbnail folder (each empty when it has none),
// and its upright pixel size (0, 0 when unknown).
//
// Thumbnails are JPEG files named "<16 hex digits>_<width>x<height>.jpg":
// the digits are a hash of the group, the picture's name, its size in bytes
// and the time it was last changed, so a thumbnail is fresh exactly when a
// file of its name exists, and one of another size, or of a picture changed
// since, bears another name. Only files named so (or as the copies below) in
// the thumbnail folder are the program's own: it removes those no picture
// needs any more and never touches anything else.
//
// Web-sized copies are JPEG files named "<16 hex digits>_2048.jpg" and
// "<16 hex digits>_1024.jpg" after their long side, the digits those of the
// picture's thumbnail. None is made larger than its picture: a JPEG whose
// long side is at most that has none, the browser shows the picture itself.
// Nor has a picture that moves or that the page shows through: a JPEG copy
// would stand still or lay it on white.
// The list also remembers, from one write to the next, which pictures need
// no copy and every picture's size, so an unchanged picture is not opened.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform.h"
#include "site/parametri.h"

namespace sb {

inline constexpr const char* kEngineFileName = "galleria_by_Velmora.js";
// The site's icon, made from the program's own, which the engine names in the page.
inline constexpr const char* kSiteIconFileName = "favicon_by_Velmora.png";
inline constexpr const char* kPictureListFileName = "Immagini_by_Velmora.js";
inline constexpr const char* kThumbnailFolderName = "Miniature_by_Velmora";

struct GalleryPicture {
    std::string file;       // the name in its group folder (UTF-8)
    std::string thumbnail;  // the name in the thumbnail folder; empty for none
    std::string large, small;  // the web-sized copies there; empty for none
    PixelSize size;            // upright, 0 x 0 when unknown
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
// The engine's words in English or Italian.
std::vector<std::string> composePictureList(const std::vector<GalleryGroup>& groups, bool english = false);

// The long sides of the web-sized copies: for large screens, for phones.
inline constexpr int kLargeCopySide = 2048, kSmallCopySide = 1024;

// How many groups the engine shows: MAX_NUM_ARG as it reads it.
int groupsShown(const Parametri_Sito& parametri);

// The size of every thumbnail: the slide's inside (20 pixels narrower and
// lower than the slide) twice over, for sharp screens. A slide size that the
// engine would not use is replaced by its default there and here alike.
PixelSize thumbnailSize(const Parametri_Sito& parametri);

std::string thumbnailName(const std::string& group, const GalleryPicture& picture, PixelSize size);
bool isThumbnailName(std::string_view name);
// The name of the picture's web-sized copy of that long side.
std::string copyName(const std::string& group, const GalleryPicture& picture, int side);
bool isCopyName(std::string_view name);

// What went wrong with the gallery of one site write.
struct GalleryReport {
    enum class Problem { UnreadablePicture, UnwrittenThumbnail, UnwrittenCopy, Cancelled };
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
    // Groups beyond the number the site shows, left out of it, and that number.
    std::vector<std::string> leftOutGroups;
    int groupsShown = 0;
};

struct GalleryUpdate {
    std::vector<GalleryGroup> groups;
    // The program's own thumbnails that no picture needs any more (full
    // paths), and its thumbnail folder when no group is left to need it.
    std::vector<std::string> stale;
    std::string unneededFolder;
};

struct GallerySettings {
    PixelSize thumbnail;
    int groupsShown = 0;
    std::string previousList;  // the list as the last write left it (a path)
};

// Finds the groups under `folder` (the first `groupsShown`), makes their
// missing thumbnails and copies through the platform and fills in each
// picture's names and size.
GalleryUpdate updateGallery(const std::string& folder, const GallerySettings& settings, Platform* platform,
                            GalleryReport& report);

// Removes what the update found stale: only once the list no longer names
// it, so that a list that could not be written still finds its pictures.
void removeStaleThumbnails(const GalleryUpdate& update);

}  // namespace sb
