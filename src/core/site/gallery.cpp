#include "site/gallery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "common/encoding.h"
#include "common/files.h"
#include "common/text.h"
#include "site/script_file.h"

namespace sb {

namespace {

// The comment lines framing the list are as wide as the parameter script's.
constexpr std::size_t kLineWidth = 92;

// The slide sizes the engine accepts, and what it takes instead.
constexpr double kSmallestSlide = 21, kLargestSlide = 2000;
constexpr int kDefaultSlideWidth = 135, kDefaultSlideHeight = 100;

// Lists the entries of a folder; `keep` sees each name (never a hidden one)
// with the folder's descriptor, for the calls that need one. False when the
// folder cannot be read.
template <typename Keep>
bool forEachEntry(const std::string& folder, Keep keep) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') keep(::dirfd(dir), std::string(entry->d_name), entry->d_type);
    }
    ::closedir(dir);
    return true;
}

bool isUtf8(const std::string& name) { return encodeUtf8(decodeUtf8(name)) == name; }

// A letter as it sorts: small, without its accent ("È" with "e"), so that
// names sort as people read them. Latin letters lose their accents; Greek
// and Cyrillic capitals become small.
char32_t sortingLetter(char32_t c) {
    // U+00C0 to U+00FF, then U+0100 to U+017F; '*' keeps the character.
    static constexpr std::string_view kLatin1 = "aaaaaaaceeeeiiiidnooooo*ouuuuytsaaaaaaaceeeeiiiidnooooo*ouuuuyty";
    static constexpr std::string_view kExtendedA =
        "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllll"
        "nnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
    static_assert(kLatin1.size() == 0x40 && kExtendedA.size() == 0x80);
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xFF && kLatin1[c - 0xC0] != '*') return static_cast<unsigned char>(kLatin1[c - 0xC0]);
    if (c >= 0x100 && c <= 0x17F) return static_cast<unsigned char>(kExtendedA[c - 0x100]);
    if ((c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F)) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// The pictures of a folder; `readable` turns false when the folder, or the
// pictures it lists, cannot be read (a folder without the right to read or
// to look into it).
std::vector<GalleryPicture> findPictures(const std::string& folder, std::vector<std::string>& unreadableNames,
                                         bool& readable) {
    std::vector<GalleryPicture> pictures;
    bool searchable = true;
    readable = forEachEntry(folder, [&](int dir, const std::string& name, unsigned char) {
        if (!isPictureName(name)) return;
        struct stat st {};
        // One look at each picture: that it is a file (links followed), and
        // its size and last change for the thumbnail's name.
        if (::fstatat(dir, name.c_str(), &st, 0) != 0) {
            if (errno == EACCES) searchable = false;
            return;
        }
        if (!S_ISREG(st.st_mode)) return;
        if (!isUtf8(name)) {
            unreadableNames.push_back(folder + kSeparator + name);
            return;
        }
        GalleryPicture& picture = pictures.emplace_back();
        picture.file = name;
        picture.bytes = st.st_size;
        picture.changedSeconds = st.st_mtim.tv_sec;
        picture.changedNanoseconds = st.st_mtim.tv_nsec;
    });
    // A picture refused (a link into a folder closed to the user is the
    // link's fault) says nothing of its group unless the group itself is closed.
    readable = readable && (searchable || ::access(folder.c_str(), X_OK) == 0);
    // By name first, then extension: "a.jpg" before "a 2.jpg" before "a 10.jpg".
    auto stem = [](const std::string& file) { return std::string_view(file).substr(0, file.rfind('.')); };
    std::sort(pictures.begin(), pictures.end(), [&stem](const GalleryPicture& a, const GalleryPicture& b) {
        const int byName = naturalCompare(stem(a.file), stem(b.file));
        return byName != 0 ? byName < 0 : naturalCompare(a.file, b.file) < 0;
    });
    return pictures;
}

std::string frameLine() { return "//" + std::string(kLineWidth - 2, '='); }

std::string quoted(const std::string& utf8) { return "'" + scriptStringBody(utf8) + "'"; }

// A number of the parameter script as the engine reads it: rounded, and
// `fallback` where it is no number or out of the range.
int engineNumber(const Value& value, int fallback, double least, double most) {
    const std::optional<double> number = value.isNumber() ? std::optional(value.number()) : parseWholeNumber(value.text());
    if (!number || !std::isfinite(*number)) return fallback;
    const double whole = std::floor(*number + 0.5);  // rounded as the engine rounds
    return whole >= least && whole <= most ? static_cast<int>(whole) : fallback;
}

int slideSide(const Value& value, int fallback) { return engineNumber(value, fallback, kSmallestSlide, kLargestSlide); }

// The thumbnails and copies of the program's own that the folder holds.
std::unordered_set<std::string> ownThumbnails(const std::string& folder) {
    std::unordered_set<std::string> names;
    forEachEntry(folder, [&](int dir, const std::string& name, unsigned char type) {
        if (!isThumbnailName(name) && !isCopyName(name)) return;
        struct stat st {};
        if (type == DT_REG || (type == DT_UNKNOWN && ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                               S_ISREG(st.st_mode))) {
            names.insert(name);
        }
    });
    return names;
}

// The hash that names a picture's thumbnail and copies, 16 hex digits.
std::string pictureKey(const std::string& group, const GalleryPicture& picture) {
    // FNV-1a, 64 bits: the same picture, unchanged, always gets the same name.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto add = [&hash](std::string_view bytes) {
        for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
        hash = (hash ^ 0xFFu) * 0x100000001b3ULL;  // ends each part, so that parts cannot slide into each other
    };
    add(group);
    add(picture.file);
    add(std::to_string(picture.bytes) + ":" + std::to_string(picture.changedSeconds) + "." +
        std::to_string(picture.changedNanoseconds));
    char key[20];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
    return key;
}

// Reads a name of the program's own made of runs: hex digits, digits and
// fixed texts, as `pattern` says ('h' sixteen hex digits, 'd' one to five
// digits, any other character itself).
bool matchesName(std::string_view name, std::string_view pattern) {
    std::size_t i = 0;
    auto run = [&](auto accepted, std::size_t least, std::size_t most) {
        const std::size_t start = i;
        while (i < name.size() && i - start < most && accepted(name[i])) ++i;
        return i - start >= least;
    };
    auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (const char p : pattern) {
        const bool ok = p == 'h'   ? run(hex, 16, 16)
                        : p == 'd' ? run(digit, 1, 5)
                                   : (i < name.size() && name[i] == p && ++i);
        if (!ok) return false;
    }
    return i == name.size();
}

// What the list of the last write says of a picture: its copies' names
// (empty where it needs none) and its size.
struct Remembered {
    std::string large, small;
    PixelSize size;
};

// The pictures the list at `path` names with a thumbnail or a copy, by the
// key their names begin with. A line not of the program's own is passed by.
std::unordered_map<std::string, Remembered> rememberedPictures(const std::string& path) {
    std::unordered_map<std::string, Remembered> remembered;
    const std::optional<std::string> list = files::readPrefix(path, 64u << 20);
    if (!list) return remembered;
    std::string_view rest = *list;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        // A picture's line ends ",'thumbnail','large','small',width,height]" and maybe ",".
        while (!line.empty() && (line.back() == '\r' || line.back() == ',')) line.remove_suffix(1);
        if (!line.starts_with("['") || !line.ends_with("]")) continue;
        line.remove_suffix(1);
        std::string_view fields[5];
        bool whole = true;
        for (int f = 4; f >= 0 && whole; --f) {
            const std::size_t comma = line.rfind(',');
            whole = comma != std::string_view::npos;
            if (whole) {
                fields[f] = line.substr(comma + 1);
                line = line.substr(0, comma);
            }
        }
        if (!whole) continue;
        std::string names[3];
        for (int f = 0; f < 3 && whole; ++f) {
            whole = fields[f].size() >= 2 && fields[f].front() == '\'' && fields[f].back() == '\'';
            if (whole) names[f] = std::string(fields[f].substr(1, fields[f].size() - 2));
        }
        const std::optional<double> width = parseWholeNumber(fields[3]), height = parseWholeNumber(fields[4]);
        if (!whole || !width || !height || *width < 1 || *height < 1 || *width > INT_MAX || *height > INT_MAX) continue;
        const std::string& key = !names[0].empty() ? names[0] : !names[1].empty() ? names[1] : names[2];
        if (key.size() < 16) continue;
        const bool own = (names[0].empty() || (isThumbnailName(names[0]) && names[0].starts_with(key.substr(0, 16)))) &&
                         (names[1].empty() || names[1] == key.substr(0, 16) + "_" + std::to_string(kLargeCopySide) + ".jpg") &&
                         (names[2].empty() || names[2] == key.substr(0, 16) + "_" + std::to_string(kSmallCopySide) + ".jpg");
        if (!own) continue;
        remembered[key.substr(0, 16)] = {names[1], names[2], {static_cast<int>(*width), static_cast<int>(*height)}};
    }
    return remembered;
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b) {
    // Both names are read as runs of digits (numbers) and single letters.
    // A number sorts among the characters where the digits stand, numbers
    // among themselves by value; letters by their sorting letter. Names
    // equal so far go in byte order, which keeps the order total and the
    // same whichever name comes first.
    const std::u32string x = decodeUtf8(a), y = decodeUtf8(b);
    std::size_t i = 0, j = 0;
    while (i < x.size() && j < y.size()) {
        const bool numberX = isDigit(x[i]), numberY = isDigit(y[j]);
        if (numberX && numberY) {
            while (i < x.size() && x[i] == U'0') ++i;  // leading zeros
            while (j < y.size() && y[j] == U'0') ++j;
            std::size_t endX = i, endY = j;
            while (endX < x.size() && isDigit(x[endX])) ++endX;
            while (endY < y.size() && isDigit(y[endY])) ++endY;
            if (endX - i != endY - j) return endX - i < endY - j ? -1 : 1;  // fewer digits, smaller number
            for (; i < endX; ++i, ++j) {
                if (x[i] != y[j]) return x[i] < y[j] ? -1 : 1;
            }
            continue;
        }
        const char32_t p = numberX ? U'0' : sortingLetter(x[i]), q = numberY ? U'0' : sortingLetter(y[j]);
        if (p != q) return p < q ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < x.size() || j < y.size()) return i < x.size() ? 1 : -1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

bool isPictureName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.empty() || name[0] == '.') return false;
    std::string extension(name.substr(dot + 1));
    for (char& c : extension) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    for (const char* picture : {"jpg", "jpeg", "png", "gif", "webp", "bmp"}) {
        if (extension == picture) return true;
    }
    return false;
}

GroupSearch findGroups(const std::string& folder) {
    GroupSearch search;
    // The site folder and the folders above it: a link to one of them is no
    // group (it would show the site's own pictures, or the whole disk).
    std::vector<std::pair<dev_t, ino_t>> above;
    for (std::filesystem::path at = folder;; at = at.parent_path()) {
        struct stat st {};
        if (::stat(at.c_str(), &st) == 0) above.emplace_back(st.st_dev, st.st_ino);
        if (at == at.parent_path() || at.empty()) break;
    }
    std::vector<std::string> folders;
    forEachEntry(folder, [&](int dir, const std::string& name, unsigned char type) {
        if (name == kThumbnailFolderName) return;
        if (type == DT_DIR) {
            folders.push_back(name);
            return;
        }
        // A link to a folder is a group like the folder itself.
        struct stat st {};
        if (type != DT_LNK && type != DT_UNKNOWN) return;
        if (::fstatat(dir, name.c_str(), &st, 0) != 0 || !S_ISDIR(st.st_mode)) return;
        if (std::find(above.begin(), above.end(), std::pair(st.st_dev, st.st_ino)) != above.end()) return;
        folders.push_back(name);
    });
    for (const std::string& name : folders) {
        const std::string path = folder + kSeparator + name;
        bool readable = true;
        if (!isUtf8(name)) {
            std::vector<std::string> ignored;
            if (!findPictures(path, ignored, readable).empty()) search.unreadableNames.push_back(path);
            continue;
        }
        std::vector<GalleryPicture> pictures = findPictures(path, search.unreadableNames, readable);
        if (!readable) {
            search.unreadableFolders.push_back(path);
            continue;
        }
        if (!pictures.empty()) search.groups.push_back({name, std::move(pictures)});
    }
    std::sort(search.groups.begin(), search.groups.end(),
              [](const GalleryGroup& a, const GalleryGroup& b) { return naturalCompare(a.name, b.name) < 0; });
    return search;
}

std::vector<std::string> composePictureList(const std::vector<GalleryGroup>& groups, bool english) {
    // The engine's words, as script text (ASCII, escaped where needed).
    struct Word {
        const char* key;
        const char* italian;
        const char* english;
    };
    static constexpr Word kWords[] = {
        {"home", "'Home'", "'Home'"},
        {"page", "'Pagina {k} di {n}'", "'Page {k} of {n}'"},
        {"previous", "'Precedente'", "'Previous'"},
        {"next", "'Successiva'", "'Next'"},
        {"close", "'Chiudi'", "'Close'"},
        {"download", "'Scarica l\\'originale'", "'Download original'"},
        {"slideshow", "'Presentazione'", "'Slideshow'"},
        {"pause", "'Pausa'", "'Pause'"},
        {"fullscreen", "'Schermo intero'", "'Full screen'"},
        {"loading", "'Caricamento\\u2026'", "'Loading\\u2026'"},
        {"first", "'Prima'", "'First'"},
        {"last", "'Ultima'", "'Last'"},
    };
    std::string words = "var Parole_Galleria={";
    for (const Word& word : kWords) {
        if (word.key != kWords[0].key) words += ",";
        words += std::string(word.key) + ":" + (english ? word.english : word.italian);
    }
    words += "};";

    std::string title = "//======== Gruppi e Immagini del Sito ";
    title.append(kLineWidth - title.size(), '=');
    std::vector<std::string> lines = {frameLine(), title, frameLine(), "",
                                      "var Cartella_Miniature=" + quoted(kThumbnailFolderName) + ";",
                                      std::string("var Lingua_Galleria=") + (english ? "'en'" : "'it'") + ";",
                                      words, "",
                                      "var Gruppi_Immagini=["};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        lines.push_back("[" + quoted(groups[g].name) + ",[");
        const auto& pictures = groups[g].pictures;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const GalleryPicture& picture = pictures[i];
            lines.push_back("[" + quoted(picture.file) + "," + quoted(picture.thumbnail) + "," + quoted(picture.large) +
                            "," + quoted(picture.small) + "," + std::to_string(picture.size.width) + "," +
                            std::to_string(picture.size.height) + "]" + (i + 1 < pictures.size() ? "," : ""));
        }
        lines.push_back(g + 1 < groups.size() ? "]]," : "]]");
    }
    lines.push_back("];");
    lines.emplace_back();
    return lines;
}

PixelSize thumbnailSize(const Parametri_Sito& p) {
    return {(slideSide(p.LARGH_X_DIA, kDefaultSlideWidth) - 20) * 2, (slideSide(p.ALT_DIA, kDefaultSlideHeight) - 20) * 2};
}

int groupsShown(const Parametri_Sito& p) { return engineNumber(p.MAX_NUM_ARG, 5, 1, 100); }

std::string thumbnailName(const std::string& group, const GalleryPicture& picture, PixelSize size) {
    return pictureKey(group, picture) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".jpg";
}

std::string copyName(const std::string& group, const GalleryPicture& picture, int side) {
    return pictureKey(group, picture) + "_" + std::to_string(side) + ".jpg";
}

bool isThumbnailName(std::string_view name) { return matchesName(name, "h_dxd.jpg"); }

bool isCopyName(std::string_view name) { return matchesName(name, "h_d.jpg"); }

GalleryUpdate updateGallery(const std::string& folder, const GallerySettings& settings, Platform* platform,
                            GalleryReport& report) {
    GroupSearch search = findGroups(folder);
    report.unreadableNames = std::move(search.unreadableNames);
    report.unreadableFolders = std::move(search.unreadableFolders);
    // The engine shows the first groups only: the others are left out here
    // too (no thumbnails made that nobody would see) and named in the report.
    report.groupsShown = settings.groupsShown;
    if (settings.groupsShown >= 0 && search.groups.size() > static_cast<std::size_t>(settings.groupsShown)) {
        for (auto group = search.groups.begin() + settings.groupsShown; group != search.groups.end(); ++group) {
            report.leftOutGroups.push_back(group->name);
        }
        search.groups.resize(static_cast<std::size_t>(settings.groupsShown));
    }
    GalleryUpdate update{std::move(search.groups), {}, {}};
    std::vector<GalleryGroup>& groups = update.groups;

    // The thumbnail folder is made only for a site that has groups, and used
    // only when it is a real folder: a file or a link there is the user's.
    const std::string thumbnails = folder + kSeparator + kThumbnailFolderName;
    struct stat st {};
    const bool existed = ::lstat(thumbnails.c_str(), &st) == 0;
    const bool usable = existed ? S_ISDIR(st.st_mode) : !groups.empty() && ::mkdir(thumbnails.c_str(), 0777) == 0;
    report.thumbnailFolderUnusable = !groups.empty() && !usable;
    if (!usable) return update;

    const std::unordered_set<std::string> present = ownThumbnails(thumbnails);
    const std::unordered_map<std::string, Remembered> remembered =
        groups.empty() ? std::unordered_map<std::string, Remembered>() : rememberedPictures(settings.previousList);
    constexpr int kSides[] = {kLargeCopySide, kSmallCopySide};
    auto copyOf = [](GalleryPicture& picture, int side) -> std::string& {
        return side == kLargeCopySide ? picture.large : picture.small;
    };
    std::unordered_set<std::string> wanted;
    std::vector<ThumbnailOrder> orders;
    struct Waiting {
        GalleryPicture* picture;
        std::string key, thumbnail;  // the thumbnail's name when it is to be made
    };
    std::vector<Waiting> waiting;  // by order
    for (GalleryGroup& group : groups) {
        for (GalleryPicture& picture : group.pictures) {
            const std::string key = pictureKey(group.name, picture);
            const auto known = remembered.find(key);
            ThumbnailOrder order{folder + kSeparator + group.name + kSeparator + picture.file, {}};
            std::string thumbnail = thumbnailName(group.name, picture, settings.thumbnail);
            if (present.count(thumbnail) != 0) {
                picture.thumbnail = thumbnail;
                wanted.insert(std::move(thumbnail));
                thumbnail.clear();
            } else {
                order.size = settings.thumbnail;
            }
            for (const int side : kSides) {
                std::string name = copyName(group.name, picture, side);
                if (present.count(name) != 0) {
                    copyOf(picture, side) = name;
                    wanted.insert(std::move(name));
                } else if (known == remembered.end() || !(side == kLargeCopySide ? known->second.large : known->second.small).empty()) {
                    order.copySides.push_back(side);  // made only if the picture needs it
                }
            }
            if (known != remembered.end()) picture.size = known->second.size;
            // A picture the last list does not know is at least measured.
            if (!thumbnail.empty() || !order.copySides.empty() || known == remembered.end()) {
                orders.push_back(std::move(order));
                waiting.push_back({&picture, key, std::move(thumbnail)});
            }
        }
    }

    std::vector<bool> handed(orders.size(), false);
    if (!orders.empty() && platform != nullptr) {
        platform->makeThumbnails(orders, [&](std::size_t i, MadePicture made) {
            if (i >= orders.size() || handed[i]) return;
            handed[i] = true;
            const ThumbnailOrder& order = orders[i];
            Waiting& w = waiting[i];
            const bool thumbnailWanted = !w.thumbnail.empty();
            if (made.upright.width <= 0 || made.upright.height <= 0 || (thumbnailWanted && made.thumbnail.empty())) {
                report.pictureProblems.push_back({order.picture, GalleryReport::Problem::UnreadablePicture});
                return;
            }
            w.picture->size = made.upright;
            std::optional<GalleryReport::Problem> problem;
            if (thumbnailWanted) {
                if (files::writeBytes(thumbnails + kSeparator + w.thumbnail, made.thumbnail)) {
                    w.picture->thumbnail = w.thumbnail;
                    wanted.insert(w.thumbnail);
                } else {
                    problem = GalleryReport::Problem::UnwrittenThumbnail;
                }
            }
            for (std::size_t k = 0; k < order.copySides.size() && k < made.copies.size(); ++k) {
                if (made.copies[k].empty()) continue;  // the picture is its own copy
                const std::string name = w.key + "_" + std::to_string(order.copySides[k]) + ".jpg";
                if (files::writeBytes(thumbnails + kSeparator + name, made.copies[k])) {
                    copyOf(*w.picture, order.copySides[k]) = name;
                    wanted.insert(name);
                } else if (!problem) {
                    problem = GalleryReport::Problem::UnwrittenCopy;
                }
            }
            if (problem) report.pictureProblems.push_back({order.picture, *problem});
        });
    }
    for (std::size_t i = 0; i < orders.size(); ++i) {
        if (!handed[i]) report.pictureProblems.push_back({orders[i].picture, GalleryReport::Problem::Cancelled});
    }

    // Thumbnails and copies of pictures gone, changed or now of another size.
    for (const std::string& name : present) {
        if (wanted.count(name) == 0) update.stale.push_back(thumbnails + kSeparator + name);
    }
    if (groups.empty()) update.unneededFolder = thumbnails;
    return update;
}

void removeStaleThumbnails(const GalleryUpdate& update) {
    for (const std::string& path : update.stale) ::unlink(path.c_str());
    if (!update.unneededFolder.empty()) ::rmdir(update.unneededFolder.c_str());  // only when nothing else is in it
}

}  // namespace sb
