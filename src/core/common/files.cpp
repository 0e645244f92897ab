#include "common/files.h"

#include "common/text.h"

#include <dirent.h>
#include <fcntl.h>
#ifdef __linux__
#include <sys/sendfile.h>
#endif
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

namespace sb::files {

namespace {

std::atomic<bool> unnamedFilesAllowed{true};

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

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool copyContent(int from, int to, off_t size) {
#ifdef __linux__
    off_t left = size;
    while (left > 0) {
        const ssize_t sent = ::sendfile(to, from, nullptr, static_cast<std::size_t>(left));
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EINVAL || errno == ENOSYS)) break;  // read and write instead
        if (sent < 0) return false;
        if (sent == 0) return true;  // the source got shorter meanwhile
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
        if (!writeAll(to, buffer, static_cast<std::size_t>(got))) return false;
    }
}

// Reads exactly `size` bytes at `offset`.
bool readAt(int fd, char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, size, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        data += got, size -= static_cast<std::size_t>(got), offset += got;
    }
    return true;
}

// Copies `size` bytes and reads each stretch of the copy back at once,
// comparing it with what was read from the source: true when the copy holds
// the source's bytes, all of them and nothing more. One pass over the data,
// so that the check costs little beside the copy itself.
bool copyAndCompare(int from, int to, off_t size) {
    constexpr std::size_t kChunk = 256 << 10;
    const std::unique_ptr<char[]> buffer(new char[2 * kChunk]);
    char* const read = buffer.get();
    char* const back = read + kChunk;
    for (off_t at = 0; at < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<off_t>(kChunk, size - at));
        if (!readAt(from, read, n, at) || !writeAll(to, read, n) || !readAt(to, back, n, at) ||
            std::memcmp(read, back, n) != 0) {
            return false;
        }
        at += static_cast<off_t>(n);
    }
    char extra = 0;
    return ::pread(from, &extra, 1, size) == 0;  // the source did not grow meanwhile
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// True when a file is as it was when `before` was taken: the bytes read from
// it are then the bytes it holds.
bool unchangedSince(int fd, const struct stat& before) {
    struct stat now {};
    return ::fstat(fd, &now) == 0 && now.st_size == before.st_size && sameTime(now.st_mtim, before.st_mtim) &&
           sameTime(now.st_ctim, before.st_ctim);
}

// True when `at` is at least a couple of seconds after `changed`. A file
// read then had its last change behind it: any change after the read gets
// a later modification time, even on a file system that keeps times to two
// seconds only.
bool settledBy(const timespec& changed, const timespec& at) {
    constexpr time_t kSettledSeconds = 2;
    return at.tv_sec - changed.tv_sec > kSettledSeconds ||
           (at.tv_sec - changed.tv_sec == kSettledSeconds && at.tv_nsec >= changed.tv_nsec);
}

// True when `to` is a copy that copyFileOver made of the source as it still
// is (see keepCopyInPlace): a regular file of its size bearing its time,
// given when the source had settled. Its last status change (the stamp, the
// rename) is then a couple of seconds after the source's time; a copy made
// earlier, whose time could match by chance, is not trusted.
bool copiedBefore(const std::string& to, const struct stat& source) {
    struct stat target {};
    return ::lstat(to.c_str(), &target) == 0 && S_ISREG(target.st_mode) && target.st_size == source.st_size &&
           sameTime(target.st_mtim, source.st_mtim) && settledBy(source.st_mtim, target.st_ctim);
}

// True when `path` is a regular file (not a link) holding exactly `bytes`.
bool holdsExactly(const std::string& path, std::string_view bytes) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != static_cast<off_t>(bytes.size())) {
        return false;
    }
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (file.fd < 0) return false;
    char buffer[65536];
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = std::min(sizeof buffer, bytes.size() - at);
        if (!readAt(file.fd, buffer, n, static_cast<off_t>(at)) || std::memcmp(buffer, bytes.data() + at, n) != 0) {
            return false;
        }
        at += n;
    }
    char extra = 0;
    return ::pread(file.fd, &extra, 1, static_cast<off_t>(bytes.size())) == 0;
}

// What stands at a target path before it is replaced.
struct Target {
    enum { Missing, Replaceable, Refused, IsSource } state = Refused;
    mode_t mode = 0;  // permissions of a file being replaced
};

// A target is replaced only when it is a regular file the user may write
// (a file without any write permission counts as read-only, whoever runs the
// program) and is not the source itself.
Target examineTarget(const std::string& path, const struct stat* source) {
    Target target;
    if (path.empty() || path.back() == '/') return target;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) target.state = Target::Missing;
        return target;
    }
    if (source && st.st_dev == source->st_dev && st.st_ino == source->st_ino) {
        target.state = Target::IsSource;
        return target;
    }
    if (!S_ISREG(st.st_mode)) return target;
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) return target;
    target.state = Target::Replaceable;
    target.mode = st.st_mode & 07777;
    return target;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A hidden name beside the target that nothing else uses.
std::string temporaryNameBeside(const std::string& path) {
    static std::mt19937 generator{std::random_device{}()};
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(generator()));
    // Short enough for any file system, whatever the target's name.
    return folder + "." + name.substr(0, 64) + suffix;
}

// Whether a name is one temporaryNameBeside gives: ".", a name, ".", eight
// lower-case hexadecimal digits, ".part".
bool isTemporaryName(std::string_view name) {
    constexpr std::string_view kEnd = ".part";
    constexpr std::size_t kDigits = 8;
    if (name.size() < 2 + 1 + kDigits + kEnd.size() || name[0] != '.' || !name.ends_with(kEnd)) return false;
    const std::string_view digits = name.substr(name.size() - kEnd.size() - kDigits, kDigits);
    return name[name.size() - kEnd.size() - kDigits - 1] == '.' &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A writer killed while its file had a temporary name (on a file system
// without unnamed files, or between naming and renaming) leaves that file
// behind. The first write into a folder in each run removes such leftovers:
// files of those names only, none that a living writer holds (each keeps its
// file locked) and none changed in the last seconds (a writer between
// making its file and locking it).
void removeLeftovers(const std::string& folder) {
    static std::mutex mutex;
    static std::unordered_set<std::string> cleaned;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(folder).second) return;
    }
    constexpr time_t kSettledSeconds = 5;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name)) continue;
        const Descriptor file(::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (st.st_mtime > now - kSettledSeconds || ::flock(file.fd, LOCK_EX | LOCK_NB) != 0) continue;
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// The new content of a file, made beside it. Where the file system allows,
// the new file has no name at all while it is written (O_TMPFILE), so a
// program killed meanwhile leaves nothing behind; elsewhere it has a hidden
// temporary name. It takes the target's name only in commit(), by a rename,
// so the target is always either the old file or the whole new one. Left
// without commit(), the new file goes away.
class Replacement {
public:
    explicit Replacement(const std::string& target) : target_(target) {
        removeLeftovers(folderOf(target));
#ifdef O_TMPFILE
        if (unnamedFilesAllowed) {
            fd_ = ::open(folderOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        }
#endif
        for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
            temporary_ = temporaryNameBeside(target);
            fd_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0) temporary_.clear();
        // Held until the file is closed: tells the next run's clean-up that
        // this file is no leftover.
        if (fd_ >= 0) ::flock(fd_, LOCK_EX | LOCK_NB);
    }
    ~Replacement() {
        if (fd_ >= 0) ::close(fd_);
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
    }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    int fd() const { return fd_; }

    // Gives the finished file the target's name; `mode` keeps the
    // permissions of the file it replaces (0: a new file, as created).
    // `durable`: the file and its name reach the disk before this returns.
    // The target is looked at afterwards and must be this very file.
    bool commit(mode_t mode, bool durable = false) {
        if (fd_ < 0) return false;
        if (mode != 0) ::fchmod(fd_, mode);
        if (durable && ::fsync(fd_) != 0) return false;
        struct stat written {};
        if (::fstat(fd_, &written) != 0) return false;
        if (temporary_.empty() && !linkUnnamed()) return false;
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return false;  // some file systems report a failed write only here
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
        temporary_.clear();
        if (durable) {
            const Descriptor folder(::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (folder.fd < 0 || ::fsync(folder.fd) != 0) return false;
        }
        struct stat found {};
        return ::stat(target_.c_str(), &found) == 0 && found.st_dev == written.st_dev && found.st_ino == written.st_ino &&
               found.st_size == written.st_size;
    }

private:
    // Names the unnamed file, beside the target.
    bool linkUnnamed() {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        for (int attempt = 0; attempt < 16; ++attempt) {
            const std::string name = temporaryNameBeside(target_);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary_ = name;
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};

}  // namespace

bool writeBytes(const std::string& path, std::string_view bytes) {
    if (holdsExactly(path, bytes)) return true;
    const Target target = examineTarget(path, nullptr);
    if (target.state != Target::Missing && target.state != Target::Replaceable) return false;
    Replacement replacement(path);
    if (replacement.fd() < 0 || !writeAll(replacement.fd(), bytes.data(), bytes.size())) return false;
    return replacement.commit(target.mode);
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
    // Room for what the file holds, not for the limit: a generous limit
    // costs nothing for a small file.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data(std::min(limit, static_cast<std::size_t>(std::max<off_t>(st.st_size, 0))), '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

CopyResult copyFileOver(const std::string& from, const std::string& to, CopyCheck check) {
    const bool keepInPlace = check.keepCopyInPlace && !check.compare;
    if (keepInPlace) {
        struct stat st {};
        if (::stat(from.c_str(), &st) == 0 && S_ISREG(st.st_mode) && copiedBefore(to, st)) {
            return CopyResult::AlreadyInPlace;
        }
    }
    // Non-blocking, so that a pipe fails at once instead of waiting for a
    // writer; it changes nothing for a regular file.
    const Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.fd < 0) return CopyResult::Failed;
    struct stat sourceInfo {};
    if (::fstat(source.fd, &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return CopyResult::Failed;
    timespec openedAt {};
    ::clock_gettime(CLOCK_REALTIME, &openedAt);
    const Target target = examineTarget(to, &sourceInfo);
    if (target.state == Target::IsSource) return CopyResult::AlreadyInPlace;
    if (target.state != Target::Missing && target.state != Target::Replaceable) return CopyResult::Failed;
    Replacement replacement(to);
    if (replacement.fd() < 0) return CopyResult::Failed;
    const bool copied = check.compare ? copyAndCompare(source.fd, replacement.fd(), sourceInfo.st_size) &&
                                            unchangedSince(source.fd, sourceInfo)
                                      : copyContent(source.fd, replacement.fd(), sourceInfo.st_size);
    // A copy shorter than its source (one that shrank meanwhile) never takes the target's name.
    struct stat written {};
    if (!copied || ::fstat(replacement.fd(), &written) != 0 || written.st_size != sourceInfo.st_size) {
        return CopyResult::Failed;
    }
    // The source's time, given only when the source was settled before it
    // was read and did not change while it was: the copy then holds what
    // the source holds as long as the source keeps that time. A failed
    // stamp only costs a whole copy next time.
    if (keepInPlace && settledBy(sourceInfo.st_mtim, openedAt) && unchangedSince(source.fd, sourceInfo)) {
        const timespec times[2] = {{0, UTIME_OMIT}, sourceInfo.st_mtim};
        ::futimens(replacement.fd(), times);
    }
    return replacement.commit(target.mode, check.durable) ? CopyResult::Copied : CopyResult::Failed;
}

void useUnnamedFiles(bool allowed) { unnamedFilesAllowed = allowed; }

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
