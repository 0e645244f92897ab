#include "common/files.h"

#include "common/text.h"

#include <dirent.h>
#include <fcntl.h>
#ifdef __linux__
#include <sys/sendfile.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int d) : fd(d) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

bool copyContent(int from, int to, off_t size) {
#ifdef __linux__
    off_t left = size;
    while (left > 0) {
        const ssize_t sent = ::sendfile(to, from, nullptr, static_cast<std::size_t>(left));
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EINVAL || errno == ENOSYS)) break;  // read and write instead
        if (sent <= 0) return false;
        left -= sent;
    }
    if (left == 0) return true;
    if (::lseek(from, size - left, SEEK_SET) < 0) return false;
#else
    (void)size;
#endif
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
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

// The checks are made on the open files, with as few calls as the copy
// itself needs: a site is written on every tab change.
CopyResult copyFileOver(const std::string& from, const std::string& to) {
    // Non-blocking, so that a pipe fails at once instead of waiting for a
    // writer; it changes nothing for a regular file.
    const Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.fd < 0) return CopyResult::Failed;
    struct stat sourceInfo {};
    if (::fstat(source.fd, &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return CopyResult::Failed;
    // Not truncated on opening: it may be the source itself.
    const Descriptor target(::open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
    if (target.fd < 0) {
        // A read-only file may still be the source itself.
        struct stat existing {};
        const bool same = ::stat(to.c_str(), &existing) == 0 && existing.st_dev == sourceInfo.st_dev &&
                          existing.st_ino == sourceInfo.st_ino;
        return same ? CopyResult::AlreadyInPlace : CopyResult::Failed;
    }
    struct stat targetInfo {};
    if (::fstat(target.fd, &targetInfo) != 0 || !S_ISREG(targetInfo.st_mode)) return CopyResult::Failed;
    if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
        return CopyResult::AlreadyInPlace;
    }
    if (::ftruncate(target.fd, 0) != 0) return CopyResult::Failed;
    return copyContent(source.fd, target.fd, sourceInfo.st_size) ? CopyResult::Copied : CopyResult::Failed;
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
    // A folder's size on disk tells roughly how many entries it holds.
    struct stat st {};
    if (::fstat(::dirfd(dir), &st) == 0 && st.st_size > 0) {
        names.reserve(static_cast<std::size_t>(std::min<off_t>(st.st_size / 24, 100000)));
    }
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
