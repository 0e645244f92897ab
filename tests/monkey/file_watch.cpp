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
    using ReadLink = ssize_t (*)(const char*, char*, size_t);
    static const ReadLink readLink = real<ReadLink>("readlink");
    if (dirfd == AT_FDCWD) {
        char cwd[PATH_MAX];
        return ::getcwd(cwd, sizeof cwd) ? cwd : "?";
    }
    char link[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(dirfd);
    const ssize_t n = readLink(self.c_str(), link, sizeof link);
    return n > 0 ? std::string(link, static_cast<std::size_t>(n)) : "?";
}

// One call that may change a file: looked at before it runs, judged after.
class Change {
public:
    Change(int dirfd, const char* path) {
        if (!watching || inside || path == nullptr) return;
        inside = true;
        full_ = path;
        if (full_.empty() || full_[0] != '/') full_ = folderOfDescriptor(dirfd) + "/" + full_;
        struct stat st {};
        existed_ = ::lstat(full_.c_str(), &st) == 0;
        watched_ = !isAllowed();
        inside = false;
    }
    // `succeeded`: the call did what it was asked.
    void done(bool succeeded) {
        if (!watched_ || !succeeded) return;
        const std::lock_guard<std::mutex> lock(mutex);
        if (existed_ && createdOutside.count(full_) == 0) {
            outside.push_back(full_);
        } else {
            createdOutside.insert(full_);
        }
    }

private:
    bool isAllowed() const {
        for (const char* system : {"/dev/", "/proc/", "/sys/"}) {
            if (full_.rfind(system, 0) == 0) return true;
        }
        const std::lock_guard<std::mutex> lock(mutex);
        for (const std::string& root : allowed) {
            if (full_.rfind(root + "/", 0) == 0 || full_ == root) return true;
        }
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

#define MODE_ARGUMENT(flags)                                        \
    mode_t mode = 0;                                                \
    if ((flags) & (O_CREAT | O_TMPFILE)) {                          \
        va_list args;                                               \
        va_start(args, flags);                                      \
        mode = static_cast<mode_t>(va_arg(args, int));              \
        va_end(args);                                               \
    }

extern "C" {

int open(const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    monkey::Change change(AT_FDCWD, monkey::writes(flags) ? path : nullptr);
    static const auto next = monkey::real<int (*)(const char*, int, ...)>("open");
    const auto result = next(path, flags, mode);
    change.done(result >= 0);
    return result;
}

int open64(const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    monkey::Change change(AT_FDCWD, monkey::writes(flags) ? path : nullptr);
    static const auto next = monkey::real<int (*)(const char*, int, ...)>("open64");
    const auto result = next(path, flags, mode);
    change.done(result >= 0);
    return result;
}

int openat(int dirfd, const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    monkey::Change change(dirfd, monkey::writes(flags) ? path : nullptr);
    static const auto next = monkey::real<int (*)(int, const char*, int, ...)>("openat");
    const auto result = next(dirfd, path, flags, mode);
    change.done(result >= 0);
    return result;
}

int openat64(int dirfd, const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    monkey::Change change(dirfd, monkey::writes(flags) ? path : nullptr);
    static const auto next = monkey::real<int (*)(int, const char*, int, ...)>("openat64");
    const auto result = next(dirfd, path, flags, mode);
    change.done(result >= 0);
    return result;
}

int creat(const char* path, mode_t mode) {
    monkey::Change change(AT_FDCWD, path);
    static const auto next = monkey::real<int (*)(const char*, mode_t)>("creat");
    const auto result = next(path, mode);
    change.done(result == 0);
    return result;
}

FILE* fopen(const char* path, const char* mode) {
    monkey::Change change(AT_FDCWD, monkey::writes(mode) ? path : nullptr);
    static const auto next = monkey::real<FILE* (*)(const char*, const char*)>("fopen");
    const auto result = next(path, mode);
    change.done(result != nullptr);
    return result;
}

FILE* fopen64(const char* path, const char* mode) {
    monkey::Change change(AT_FDCWD, monkey::writes(mode) ? path : nullptr);
    static const auto next = monkey::real<FILE* (*)(const char*, const char*)>("fopen64");
    const auto result = next(path, mode);
    change.done(result != nullptr);
    return result;
}

int mkdir(const char* path, mode_t mode) {
    monkey::Change change(AT_FDCWD, path);
    static const auto next = monkey::real<int (*)(const char*, mode_t)>("mkdir");
    const auto result = next(path, mode);
    change.done(result == 0);
    return result;
}

int mkdirat(int dirfd, const char* path, mode_t mode) {
    monkey::Change change(dirfd, path);
    static const auto next = monkey::real<int (*)(int, const char*, mode_t)>("mkdirat");
    const auto result = next(dirfd, path, mode);
    change.done(result == 0);
    return result;
}

char* mkdtemp(char* pattern) {
    static const auto next = monkey::real<char* (*)(char*)>("mkdtemp");
    char* made = next(pattern);
    monkey::Change change(AT_FDCWD, made);
    change.done(made != nullptr);
    return made;
}

int mkstemp(char* pattern) {
    static const auto next = monkey::real<int (*)(char*)>("mkstemp");
    const int fd = next(pattern);
    monkey::Change change(AT_FDCWD, fd >= 0 ? pattern : nullptr);
    change.done(fd >= 0);
    return fd;
}

int mkostemp(char* pattern, int flags) {
    static const auto next = monkey::real<int (*)(char*, int)>("mkostemp");
    const int fd = next(pattern, flags);
    monkey::Change change(AT_FDCWD, fd >= 0 ? pattern : nullptr);
    change.done(fd >= 0);
    return fd;
}

int unlink(const char* path) {
    monkey::Change change(AT_FDCWD, path);
    static const auto next = monkey::real<int (*)(const char*)>("unlink");
    const auto result = next(path);
    change.done(result == 0);
    return result;
}

int unlinkat(int dirfd, const char* path, int flags) {
    monkey::Change change(dirfd, path);
    static const auto next = monkey::real<int (*)(int, const char*, int)>("unlinkat");
    const auto result = next(dirfd, path, flags);
    change.done(result == 0);
    return result;
}

int rmdir(const char* path) {
    monkey::Change change(AT_FDCWD, path);
    static const auto next = monkey::real<int (*)(const char*)>("rmdir");
    const auto result = next(path);
    change.done(result == 0);
    return result;
}

int rename(const char* from, const char* to) {
    monkey::Change removed(AT_FDCWD, from), replaced(AT_FDCWD, to);
    static const auto next = monkey::real<int (*)(const char*, const char*)>("rename");
    const auto result = next(from, to);
    removed.done(result == 0);
    replaced.done(result == 0);
    return result;
}

int renameat(int fromfd, const char* from, int tofd, const char* to) {
    monkey::Change removed(fromfd, from), replaced(tofd, to);
    static const auto next = monkey::real<int (*)(int, const char*, int, const char*)>("renameat");
    const auto result = next(fromfd, from, tofd, to);
    removed.done(result == 0);
    replaced.done(result == 0);
    return result;
}

int renameat2(int fromfd, const char* from, int tofd, const char* to, unsigned flags) {
    monkey::Change removed(fromfd, from), replaced(tofd, to);
    static const auto next = monkey::real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    const auto result = next(fromfd, from, tofd, to, flags);
    removed.done(result == 0);
    replaced.done(result == 0);
    return result;
}

int link(const char* from, const char* to) {
    monkey::Change change(AT_FDCWD, to);
    static const auto next = monkey::real<int (*)(const char*, const char*)>("link");
    const auto result = next(from, to);
    change.done(result == 0);
    return result;
}

int linkat(int fromfd, const char* from, int tofd, const char* to, int flags) {
    monkey::Change change(tofd, to);
    static const auto next = monkey::real<int (*)(int, const char*, int, const char*, int)>("linkat");
    const auto result = next(fromfd, from, tofd, to, flags);
    change.done(result == 0);
    return result;
}

int symlink(const char* target, const char* path) {
    monkey::Change change(AT_FDCWD, path);
    static const auto next = monkey::real<int (*)(const char*, const char*)>("symlink");
    const auto result = next(target, path);
    change.done(result == 0);
    return result;
}

int truncate(const char* path, off_t length) {
    monkey::Change change(AT_FDCWD, path);
    static const auto next = monkey::real<int (*)(const char*, off_t)>("truncate");
    const auto result = next(path, length);
    change.done(result == 0);
    return result;
}

int chmod(const char* path, mode_t mode) {
    monkey::Change change(AT_FDCWD, path);
    static const auto next = monkey::real<int (*)(const char*, mode_t)>("chmod");
    const auto result = next(path, mode);
    change.done(result == 0);
    return result;
}

}  // extern "C"
