#include "platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <filesystem>

#include "common/text.h"

namespace sb {

bool Platform::changeWorkingDirectory(const std::string& folder) {
    return !folder.empty() && ::chdir(folder.c_str()) == 0;
}

void Platform::openPublishWindow(const std::string&, bool) {}

std::string Platform::workingDirectory() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

namespace {

// A folder that only this user can enter, and that is what it says it is:
// a real folder (not a link), owned by this user, closed to everybody else.
bool isPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || !isSeparator(folder.back())) folder += kSeparator;
    return folder;
}

}  // namespace

Platform::~Platform() {
    if (!removeTemporaryFolder_) return;
    std::error_code ec;
    std::filesystem::remove_all(temporaryFolder_, ec);  // links inside are removed, never followed
}

std::string Platform::temporaryFolder() {
    if (!temporaryFolder_.empty() && isPrivateFolder(temporaryFolder_)) return temporaryFolder_;
    temporaryFolder_.clear();
    // The user's runtime folder is private by definition; the pages then
    // stay there between runs, like the program's other pages.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/' && isPrivateFolder(runtime)) {
        const std::string folder = withSeparator(runtime) + "site-builder";
        ::mkdir(folder.c_str(), 0700);
        if (isPrivateFolder(folder)) {
            temporaryFolder_ = folder + kSeparator;
            removeTemporaryFolder_ = false;
            return temporaryFolder_;
        }
    }
    // Otherwise a folder made fresh for this run, gone when the program ends.
    std::error_code ec;
    std::string base = std::filesystem::temp_directory_path(ec).string();
    if (ec || base.empty()) base = "/tmp";
    std::string pattern = withSeparator(base) + "site-builder-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    temporaryFolder_ = pattern + kSeparator;
    removeTemporaryFolder_ = true;
    return temporaryFolder_;
}

}  // namespace sb
