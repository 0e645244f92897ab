// Folders and files for the tests: a temporary folder that disappears with
// the test, and small helpers to read and write whole files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace sb::test {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("sb-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    std::string str() const { return path_.string(); }
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

private:
    std::filesystem::path path_;
};

// Copies the program's own data files into `to`, leaving out what an earlier
// run wrote there: sites, sample pages.
inline void copyPictures(const std::filesystem::path& from, const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        const std::string type = entry.path().extension().string();
        const fs::path relative = fs::relative(entry.path(), from);
        if (relative.begin()->string() == "LAYOUT_01" || !entry.is_regular_file()) continue;
        if (type != ".gif" && type != ".GIF" && type != ".jpg" && type != ".png" && type != ".ico" && type != ".js") continue;
        fs::create_directories(to / relative.parent_path());
        fs::copy_file(entry.path(), to / relative, fs::copy_options::overwrite_existing);
    }
}

// Drops the root user's power over permissions while it lives (other users are
// bound by them already); the saved ids stay root's, to come back to.
struct AsNobody {
    const bool dropped = ::geteuid() == 0 && ::setresgid(65534, 65534, 0) == 0 && ::setresuid(65534, 65534, 0) == 0;
    ~AsNobody() {
        if (dropped) (void)(::setresuid(0, 0, 0) + ::setresgid(0, 0, 0));
    }
};

// Runs `body` over the program's application folder or, when it is about what
// permissions forbid, as a user they bind, over a copy that user can read.
inline void asUser(bool unprivileged, const std::function<void(const std::string& app)>& body) {
    if (!unprivileged || ::geteuid() != 0) return body(SB_APP_DIR);
    TempDir app;
    copyPictures(SB_APP_DIR, app.str());
    const AsNobody nobody;
    ASSERT_TRUE(nobody.dropped) << "could not become the user nobody";
    body(app.str());
}

// A whole file's bytes (empty when it is no file or cannot be read).
inline std::string readFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Writes a file, making its folders; returns its path.
inline std::string makeFile(const std::string& path, const std::string& content = "picture") {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// Lines as the program writes them: each followed by CR LF.
inline std::string crlf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

}  // namespace sb::test
