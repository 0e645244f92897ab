// The folder where the program puts the pages it must not write beside their
// pictures: nobody else can have prepared it, and nothing written there goes
// through a link to somewhere else.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "common/files.h"
#include "fake_platform.h"
#include "temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

// Sets an environment variable for one test, or takes it away.
class Environment {
public:
    Environment(const char* name, const std::string* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old, had_ = true;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~Environment() {
        if (had_) ::setenv(name_, saved_.c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string saved_;
    bool had_ = false;
};

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

struct Case {
    const char* name;
    // Prepares a runtime folder (empty: none set) and what another user might
    // have planted; returns the runtime folder.
    std::function<std::string(const test::TempDir& home, const test::TempDir& tmp)> arrange;
    bool underRuntime;  // the pages go under the runtime folder
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const Case kCases[] = {
    {"RuntimeFolder", [](const test::TempDir& home, const test::TempDir&) {
         fs::create_directories(home / "run");
         ::chmod((home / "run").c_str(), 0700);
         return home / "run";
     }, true},
    {"NoRuntimeFolderAndAPlantedSharedOne", [](const test::TempDir& home, const test::TempDir& tmp) {
         // The fixed name another user could make first, linked to the victim's files.
         fs::create_directories(home / "victim");
         fs::create_symlink(home / "victim", tmp / ("site-builder-" + std::to_string(::getuid())));
         fs::create_symlink(home / "victim", tmp / "site-builder");
         return std::string();
     }, false},
    {"RuntimeFolderOpenToOthers", [](const test::TempDir& home, const test::TempDir&) {
         fs::create_directories(home / "run");
         ::chmod((home / "run").c_str(), 0777);
         return home / "run";
     }, false},
    {"LinkPlantedInTheRuntimeFolder", [](const test::TempDir& home, const test::TempDir&) {
         fs::create_directories(home / "run");
         ::chmod((home / "run").c_str(), 0700);
         fs::create_directories(home / "victim");
         fs::create_symlink(home / "victim", home / "run/site-builder");
         return home / "run";
     }, false},
    {"RelativeRuntimeFolder", [](const test::TempDir&, const test::TempDir&) { return std::string("run"); }, false},
};

class PrivateFolder : public testing::TestWithParam<Case> {};

TEST_P(PrivateFolder, IsTheUsersOwnAndWritesNeverLeaveIt) {
    const Case& c = GetParam();
    test::TempDir home, tmp;
    const std::string runtime = c.arrange(home, tmp);
    const std::string tmpPath = tmp.str();
    const Environment xdg("XDG_RUNTIME_DIR", runtime.empty() ? nullptr : &runtime);
    const Environment tmpdir("TMPDIR", &tmpPath);
    std::string folder;
    {
        test::FakePlatform platform;
        folder = platform.Platform::temporaryFolder();
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder, platform.Platform::temporaryFolder()) << "one folder for the whole run";
        EXPECT_EQ(folder.rfind((c.underRuntime ? runtime : tmpPath) + "/", 0), 0u) << folder;
        const mode_t mode = modeOf(folder.substr(0, folder.size() - 1));
        EXPECT_TRUE(S_ISDIR(mode)) << folder << " is a link or missing";
        EXPECT_EQ(mode & 0777, 0700u);

        // A link planted inside is replaced, not written through.
        if (fs::exists(home / "victim")) {
            const std::string precious = makeFile(home / "victim/tramonto.HTM", "precious");
            fs::create_symlink(precious, folder + "tramonto.HTM");
            EXPECT_TRUE(files::writeLines(folder + "tramonto.HTM", {"<html>"}));
            EXPECT_EQ(readFile(precious), "precious");
            EXPECT_EQ(readFile(folder + "tramonto.HTM"), "<html>\r\n");
        }
    }
    EXPECT_EQ(fs::exists(folder), c.underRuntime) << "a folder made for the run goes with it";
    if (fs::exists(home / "victim")) {
        EXPECT_EQ(readFile(home / "victim/tramonto.HTM"), "precious");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PrivateFolder, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sb
