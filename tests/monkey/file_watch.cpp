// Every file this process creates, changes or removes, caught where the C
// library is entered: the functions below take the place of the library's
// own for the whole process (Qt and the standard library included) and hand
// each call on after noting the path. Only the monkey links this file.
#include "file_watch.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace monkey {
namespace {

std::mutex mutex;
std::vector<std::string> allowed;
std::vector<std::string> outside;      // files that were there, changed or removed
std::set<std::string> createdOutside;  // made by this run where a typed path led
std::atomic<bool> watching{false};
thread_local bool inside = false;  // our own calls are not watched

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

std::string folderOfDescriptor(int dirfd) {
    char path[PATH_MAX];
    if (dirfd == AT_FDCWD) return ::getcwd(path, sizeof path) ? path : "?";
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(dirfd)).c_str(), path, sizeof path);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "?";
}

// One call that may change a file: looked at before it runs, judged after.
class Change {
public:
    // `made`: the call has made the file already (its name was not known before).
    Change(int dirfd, const char* path, bool made = false) {
        if (!watching || inside || path == nullptr) return;
        inside = true;
        full_ = path;
        if (full_.empty() || full_[0] != '/') full_ = folderOfDescriptor(dirfd) + "/" + full_;
        struct stat st {};
        existed_ = !made && ::lstat(full_.c_str(), &st) == 0;
        watched_ = !isAllowed();
        inside = false;
    }
    // `succeeded`: the call did what it was asked.
    void done(bool succeeded) {
        if (!watched_ || !succeeded) return;
        const std::lock_guard<std::mutex> lock(mutex);
        if (existed_ && createdOutside.count(full_) == 0) outside.push_back(full_);
        else createdOutside.insert(full_);
    }

private:
    bool isAllowed() const {
        for (const char* system : {"/dev/", "/proc/", "/sys/"}) if (full_.rfind(system, 0) == 0) return true;
        const std::lock_guard<std::mutex> lock(mutex);
        for (const std::string& root : allowed) if (full_.rfind(root + "/", 0) == 0 || full_ == root) return true;
        return false;
    }

    std::string full_;
    bool existed_ = false;
    bool watched_ = false;
};

bool writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0 && (flags & O_TMPFILE) != O_TMPFILE; }
bool writes(const char* mode) { return mode && std::strpbrk(mode, "wa+") != nullptr; }

}  // namespace

void watchFiles(const std::vector<std::string>& allowedRoots) {
    const std::lock_guard<std::mutex> lock(mutex);
    allowed = allowedRoots;
    watching = true;
}

std::vector<std::string> filesTouchedOutside() {
    const std::lock_guard<std::mutex> lock(mutex);
    return outside;
}

std::vector<std::string> filesMadeOutside() {
    const std::lock_guard<std::mutex> lock(mutex);
    return {createdOutside.begin(), createdOutside.end()};
}

}  // namespace monkey

// --- the library's entries ------------------------------------------------------
// Each one notes the paths it may change (FROM and TO, the second one may be
// none) and hands the call on; OK says, from `result`, whether it succeeded.

#define WATCHED(Result, name, Parameters, Arguments, FROM, TO, OK)        \
    Result name Parameters {                                             \
        monkey::Change first FROM, second TO;                            \
        static const auto next = monkey::real<Result(*) Parameters>(#name); \
        const auto result = next Arguments;                              \
        first.done(OK), second.done(OK);                                 \
        return result;                                                   \
    }

// The open calls take a mode only when they may create a file.
#define WATCHED_OPEN(name, Parameters, Arguments, dirfd)                                          \
    int name Parameters {                                                                         \
        va_list args;                                                                             \
        va_start(args, flags);                                                                    \
        const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0; \
        va_end(args);                                                                             \
        monkey::Change change(dirfd, monkey::writes(flags) ? path : nullptr);                    \
        static const auto next = monkey::real<int(*) Parameters>(#name);                         \
        const int result = next Arguments;                                                        \
        change.done(result >= 0);                                                                 \
        return result;                                                                            \
    }

// A temporary name is known only once the file is made.
#define WATCHED_TEMPORARY(Result, name, Parameters, Arguments, OK)              \
    Result name Parameters {                                                   \
        static const auto next = monkey::real<Result(*) Parameters>(#name);    \
        const auto result = next Arguments;                                    \
        monkey::Change(AT_FDCWD, (OK) ? pattern : nullptr, true).done(OK);     \
        return result;                                                         \
    }

#define NONE (AT_FDCWD, nullptr)

extern "C" {

WATCHED_OPEN(open, (const char* path, int flags, ...), (path, flags, mode), AT_FDCWD)
WATCHED_OPEN(open64, (const char* path, int flags, ...), (path, flags, mode), AT_FDCWD)
WATCHED_OPEN(openat, (int dirfd, const char* path, int flags, ...), (dirfd, path, flags, mode), dirfd)
WATCHED_OPEN(openat64, (int dirfd, const char* path, int flags, ...), (dirfd, path, flags, mode), dirfd)
WATCHED(int, creat, (const char* path, mode_t mode), (path, mode), (AT_FDCWD, path), NONE, result == 0)
WATCHED(FILE*, fopen, (const char* path, const char* mode), (path, mode),
        (AT_FDCWD, monkey::writes(mode) ? path : nullptr), NONE, result != nullptr)
WATCHED(FILE*, fopen64, (const char* path, const char* mode), (path, mode),
        (AT_FDCWD, monkey::writes(mode) ? path : nullptr), NONE, result != nullptr)
WATCHED(int, mkdir, (const char* path, mode_t mode), (path, mode), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, mkdirat, (int dirfd, const char* path, mode_t mode), (dirfd, path, mode), (dirfd, path), NONE, result == 0)
WATCHED_TEMPORARY(char*, mkdtemp, (char* pattern), (pattern), result != nullptr)
WATCHED_TEMPORARY(int, mkstemp, (char* pattern), (pattern), result >= 0)
WATCHED_TEMPORARY(int, mkostemp, (char* pattern, int flags), (pattern, flags), result >= 0)
WATCHED(int, unlink, (const char* path), (path), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, unlinkat, (int dirfd, const char* path, int flags), (dirfd, path, flags), (dirfd, path), NONE, result == 0)
WATCHED(int, rmdir, (const char* path), (path), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, rename, (const char* from, const char* to), (from, to), (AT_FDCWD, from), (AT_FDCWD, to), result == 0)
WATCHED(int, renameat, (int fromfd, const char* from, int tofd, const char* to), (fromfd, from, tofd, to),
        (fromfd, from), (tofd, to), result == 0)
WATCHED(int, renameat2, (int fromfd, const char* from, int tofd, const char* to, unsigned flags),
        (fromfd, from, tofd, to, flags), (fromfd, from), (tofd, to), result == 0)
WATCHED(int, link, (const char* from, const char* to), (from, to), (AT_FDCWD, to), NONE, result == 0)
WATCHED(int, linkat, (int fromfd, const char* from, int tofd, const char* to, int flags),
        (fromfd, from, tofd, to, flags), (tofd, to), NONE, result == 0)
WATCHED(int, symlink, (const char* target, const char* path), (target, path), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, truncate, (const char* path, off_t length), (path, length), (AT_FDCWD, path), NONE, result == 0)
WATCHED(int, chmod, (const char* path, mode_t mode), (path, mode), (AT_FDCWD, path), NONE, result == 0)

}  // extern "C"
