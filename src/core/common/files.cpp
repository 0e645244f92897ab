#include "common/files.h"

#include "common/text.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace sb::files {

namespace {

std::string temporaryNameBeside(const std::string& path) {
    static std::mt19937 generator{std::random_device{}()};
    const PathParts parts = Separa_Percorso(path);
    const std::string folder = lastSeparator(path) > 0 ? path.substr(0, lastSeparator(path)) : std::string{};
    return folder + "." + parts.name.substr(0, 64) + ".tmp" + std::to_string(generator() % 1000000);
}

bool statRegular(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool writeBytes(const std::string& path, std::string_view bytes) {
    if (path.empty() || isSeparator(path.back())) return false;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) return false;
        if (::access(path.c_str(), W_OK) != 0) return false;
    }
    const std::string temp = temporaryNameBeside(path);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    if (fs::exists(status)) {
        // Keep the permissions the user gave the file.
        fs::permissions(temp, status.permissions(), ec);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return writeBytes(path, bytes);
}

std::optional<std::string> readPrefix(const std::string& path, std::size_t limit) {
    if (!statRegular(path)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data(limit, '\0');
    in.read(data.data(), static_cast<std::streamsize>(limit));
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

bool copyFile(const std::string& from, const std::string& to) {
    if (!statRegular(from)) return false;
    if (sameFile(from, to)) return false;
    std::error_code ec;
    if (fs::exists(to, ec) && ::access(to.c_str(), W_OK) != 0) return false;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool createFolder(const std::string& path) {
    if (path.empty()) return false;
    std::string p = path;
    while (p.size() > 1 && isSeparator(p.back())) p.pop_back();
    return ::mkdir(p.c_str(), 0777) == 0;
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool isRegularFile(const std::string& path) { return statRegular(path); }

bool removeFile(const std::string& path) {
    std::error_code ec;
    return statRegular(path) && fs::remove(path, ec);
}

std::vector<std::string> listNormalFiles(const std::string& pattern) {
    std::vector<std::string> names;
    if (pattern.empty()) return names;
    if (!isSeparator(pattern.back())) {
        const std::string name = pattern.substr(lastSeparator(pattern));
        if (!name.empty() && name[0] != '.' && statRegular(pattern)) names.push_back(name);
        return names;
    }
    DIR* dir = ::opendir(pattern.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.') continue;  // hidden, "." and ".."
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) regular = statRegular(pattern + name);
        if (regular) names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

}  // namespace sb::files
