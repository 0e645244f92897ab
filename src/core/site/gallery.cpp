#include "site/gallery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
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

char32_t foldCase(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
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
        pictures.push_back({name, {}, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec});
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

int slideSide(const Value& value, int fallback) {
    const std::optional<double> number = value.isNumber() ? std::optional(value.number()) : parseWholeNumber(value.text());
    if (!number || !std::isfinite(*number)) return fallback;
    const double whole = std::floor(*number + 0.5);  // rounded as the engine rounds
    return whole >= kSmallestSlide && whole <= kLargestSlide ? static_cast<int>(whole) : fallback;
}

// The thumbnails of the program's own that the folder holds.
std::unordered_set<std::string> ownThumbnails(const std::string& folder) {
    std::unordered_set<std::string> names;
    forEachEntry(folder, [&](int dir, const std::string& name, unsigned char type) {
        if (!isThumbnailName(name)) return;
        struct stat st {};
        if (type == DT_REG || (type == DT_UNKNOWN && ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                               S_ISREG(st.st_mode))) {
            names.insert(name);
        }
    });
    return names;
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b) {
    const std::u32string x = decodeUtf8(a), y = decodeUtf8(b);
    std::size_t i = 0, j = 0;
    while (i < x.size() && j < y.size()) {
        if (isDigit(x[i]) && isDigit(y[j])) {
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
        const char32_t p = foldCase(x[i]), q = foldCase(y[j]);
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

std::vector<std::string> composePictureList(const std::vector<GalleryGroup>& groups) {
    std::string title = "//======== Gruppi e Immagini del Sito ";
    title.append(kLineWidth - title.size(), '=');
    std::vector<std::string> lines = {frameLine(), title, frameLine(), "",
                                      "var Cartella_Miniature=" + quoted(kThumbnailFolderName) + ";", "",
                                      "var Gruppi_Immagini=["};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        lines.push_back("[" + quoted(groups[g].name) + ",[");
        const auto& pictures = groups[g].pictures;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            lines.push_back("[" + quoted(pictures[i].file) + "," + quoted(pictures[i].thumbnail) + "]" +
                            (i + 1 < pictures.size() ? "," : ""));
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

std::string thumbnailName(const std::string& group, const GalleryPicture& picture, PixelSize size) {
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
    char name[64];
    std::snprintf(name, sizeof name, "%016llx_%dx%d.jpg", static_cast<unsigned long long>(hash), size.width, size.height);
    return name;
}

bool isThumbnailName(std::string_view name) {
    std::size_t i = 0;
    auto run = [&](auto accepted, std::size_t least, std::size_t most) {
        const std::size_t start = i;
        while (i < name.size() && i - start < most && accepted(name[i])) ++i;
        return i - start >= least;
    };
    auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    auto is = [&](std::string_view text) {
        if (name.substr(i, text.size()) != text) return false;
        i += text.size();
        return true;
    };
    return run(hex, 16, 16) && is("_") && run(digit, 1, 5) && is("x") && run(digit, 1, 5) && is(".jpg") &&
           i == name.size();
}

GalleryUpdate updateGallery(const std::string& folder, PixelSize size, Platform* platform, GalleryReport& report) {
    GroupSearch search = findGroups(folder);
    report.unreadableNames = std::move(search.unreadableNames);
    report.unreadableFolders = std::move(search.unreadableFolders);
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
    std::unordered_set<std::string> wanted;
    std::vector<ThumbnailOrder> orders;
    std::vector<std::pair<GalleryPicture*, std::string>> waiting;  // picture and thumbnail name, by order
    for (GalleryGroup& group : groups) {
        for (GalleryPicture& picture : group.pictures) {
            std::string name = thumbnailName(group.name, picture, size);
            if (present.count(name) != 0) {
                picture.thumbnail = name;
                wanted.insert(std::move(name));
            } else {
                orders.push_back({folder + kSeparator + group.name + kSeparator + picture.file, size});
                waiting.emplace_back(&picture, std::move(name));
            }
        }
    }

    std::vector<bool> handed(orders.size(), false);
    if (!orders.empty() && platform != nullptr) {
        platform->makeThumbnails(orders, [&](std::size_t i, std::string jpeg) {
            if (i >= orders.size() || handed[i]) return;
            handed[i] = true;
            auto& [picture, name] = waiting[i];
            if (jpeg.empty()) {
                report.pictureProblems.push_back({orders[i].picture, GalleryReport::Problem::UnreadablePicture});
            } else if (files::writeBytes(thumbnails + kSeparator + name, jpeg)) {
                picture->thumbnail = name;
                wanted.insert(name);
            } else {
                report.pictureProblems.push_back({orders[i].picture, GalleryReport::Problem::UnwrittenThumbnail});
            }
        });
    }
    for (std::size_t i = 0; i < orders.size(); ++i) {
        if (!handed[i]) report.pictureProblems.push_back({orders[i].picture, GalleryReport::Problem::Cancelled});
    }

    // Thumbnails of pictures gone, changed or now of another size.
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
