#include "app/application_folder.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "common/files.h"

namespace sb {

namespace {

namespace fs = std::filesystem;

// What a file looked like: enough to tell whether it changed.
struct Stamp {
    std::uintmax_t size = 0;
    std::int64_t modified = 0;  // file clock ticks
    bool operator==(const Stamp&) const = default;
};

// The installed file and the copy left in the user's folder, as they were
// when the copy was made.
struct Copied {
    Stamp installed;
    Stamp copy;
};

using CopyRecord = std::map<std::string, Copied>;  // by path relative to the folders

std::optional<Stamp> stampOf(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || !fs::is_regular_file(status)) return std::nullopt;
    Stamp stamp;
    stamp.size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    const auto modified = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    stamp.modified = modified.time_since_epoch().count();
    return stamp;
}

bool isThere(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

// Lines of "installed-size installed-time copy-size copy-time relative-path".
CopyRecord readRecord(const fs::path& file) {
    CopyRecord record;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Copied copied;
        if (!(fields >> copied.installed.size >> copied.installed.modified >> copied.copy.size >> copied.copy.modified)) continue;
        if (fields.get() != ' ') continue;
        std::string relative;
        std::getline(fields, relative);
        if (!relative.empty()) record[relative] = copied;
    }
    return record;
}

void writeRecord(const fs::path& file, const CopyRecord& record) {
    std::ostringstream out;
    for (const auto& [relative, copied] : record) {
        out << copied.installed.size << ' ' << copied.installed.modified << ' ' << copied.copy.size << ' '
            << copied.copy.modified << ' ' << relative << '\n';
    }
    files::writeBytes(file.string(), out.str());
}

// Copies beside the target and renames, so that an interrupted start never
// leaves a half picture that would then pass for the user's own.
std::optional<Stamp> copyInto(const fs::path& from, const fs::path& to) {
    const fs::path partial = to.string() + ".partial-" + std::to_string(::getpid());
    std::error_code ec;
    if (files::copyFile(from.string(), partial.string())) {
        fs::rename(partial, to, ec);
        if (!ec) return stampOf(to);
    }
    fs::remove(partial, ec);
    return std::nullopt;
}

bool isHidden(const fs::path& path) { return path.filename().string().starts_with('.'); }

}  // namespace

bool fillUserFolder(const std::string& dataFolder, const std::string& userFolder) {
    std::error_code ec;
    const fs::path data(dataFolder), user(userFolder);
    fs::create_directories(user, ec);
    if (!fs::is_directory(user, ec)) return false;

    const fs::path recordFile = user / kCopyRecord;
    CopyRecord record = readRecord(recordFile);
    bool recordChanged = false;

    fs::recursive_directory_iterator it(data, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& from = it->path();
        std::error_code entryError;
        if (isHidden(from)) {
            if (it->is_directory(entryError)) it.disable_recursion_pending();
            continue;
        }
        const std::string relative = from.lexically_relative(data).generic_string();
        const fs::path to = user / relative;
        if (it->is_directory(entryError)) {
            fs::create_directory(to, entryError);
            continue;
        }
        const std::optional<Stamp> installed = stampOf(from);
        if (!installed) continue;

        const auto known = record.find(relative);
        bool copy = !isThere(to);
        if (!copy && known != record.end()) {
            // Replace only a copy the user left alone, and only when the
            // installed file is no longer what was copied.
            copy = stampOf(to) == known->second.copy && *installed != known->second.installed;
        }
        if (!copy) continue;
        if (const std::optional<Stamp> made = copyInto(from, to)) {
            record[relative] = {*installed, *made};
            recordChanged = true;
        }
    }
    if (recordChanged) writeRecord(recordFile, record);
    return true;
}

std::string chooseApplicationFolder(const ApplicationPlaces& places) {
    auto holdsData = [](const std::string& folder) {
        return !folder.empty() && files::isRegularFile((fs::path(folder) / kDataMarker).string());
    };
    std::string source;
    if (holdsData(places.programFolder)) {
        if (::access(places.programFolder.c_str(), W_OK) == 0) return places.programFolder;
        source = places.programFolder;
    } else if (holdsData(places.dataFolder)) {
        source = places.dataFolder;
    } else {
        return places.programFolder;  // no data files anywhere: nothing better to offer
    }
    if (!places.userFolder.empty() && fillUserFolder(source, places.userFolder)) return places.userFolder;
    return source;
}

}  // namespace sb
