// A folder whose file system runs out of room on request: a small tmpfs where
// this user may mount one, otherwise a limit on the size of the files this
// process writes (RLIMIT_FSIZE), under which a longer write fails just the same.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace sb::test {

class CrampedFolder {
public:
    CrampedFolder() : path_(dir_ / "stretta") {
        std::filesystem::create_directories(path_);
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=1m,mode=0755") == 0;
    }
    ~CrampedFolder() {
        if (limited_) ::setrlimit(RLIMIT_FSIZE, &saved_);
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    std::string str() const { return path_; }
    const char* how() const { return mounted_ ? "tmpfs" : "file size limit"; }

    // From now on only about `room` more bytes fit.
    void leaveRoom(std::size_t room) {
        if (mounted_) {
            struct statvfs info {};
            ASSERT_EQ(::statvfs(path_.c_str(), &info), 0);
            const int fd = ::open((path_ + "/.riempitivo").c_str(), O_WRONLY | O_CREAT, 0600);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::posix_fallocate(fd, 0, static_cast<off_t>(info.f_bavail * info.f_frsize - room)), 0);
            ::close(fd);
            return;
        }
        ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        struct rlimit limit = saved_;
        limit.rlim_cur = room;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        limited_ = true;
    }

private:
    TempDir dir_;
    std::string path_;
    bool mounted_ = false, limited_ = false;
    struct rlimit saved_ {};
};

// The regular files under a folder with their bytes, a cramped folder's filler left out.
inline std::map<std::string, std::string> filesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != ".riempitivo") {
            files[entry.path().string()] = readFile(entry.path().string());
        }
    }
    return files;
}

}  // namespace sb::test
