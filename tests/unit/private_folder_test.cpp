// The folder where the program puts the pages it must not write beside their
// pictures: nobody else can have prepared it, and nothing written there goes
// through a link to somewhere else.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/files.h"
#include "fake_platform.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

// Sets an environment variable (none: takes it away) until what it returns goes.
std::shared_ptr<void> setEnvironment(const char* name, const std::optional<std::string>& value) {
    const auto set = [name](const std::optional<std::string>& v) { v ? ::setenv(name, v->c_str(), 1) : ::unsetenv(name); };
    const char* old = std::getenv(name);
    std::shared_ptr<void> restore(nullptr, [set, old = old ? std::optional<std::string>(old) : std::nullopt](void*) { set(old); });
    set(value);
    return restore;
}

std::string runtimeFolder(const test::TempDir& home, mode_t mode) {
    fs::create_directories(home / "run");
    ::chmod((home / "run").c_str(), mode);
    return home / "run";
}

TEST(PrivateFolder, IsTheUsersOwnAndWritesNeverLeaveIt) {
    // A runtime folder (none: none set) and what another user might have planted in it or in the shared
    // temporary folder; whether the pages go under the runtime folder.
    using Arrange = std::function<std::optional<std::string>(const test::TempDir& home, const test::TempDir& tmp)>;
    const std::tuple<const char*, Arrange, bool> cases[] = {
        {"RuntimeFolder", [](auto& home, auto&) { return std::optional(runtimeFolder(home, 0700)); }, true},
        {"NoRuntimeFolderAndAPlantedSharedOne", [](auto& home, auto& tmp) {
             // The fixed name another user could make first, linked to the victim's files.
             fs::create_directories(home / "victim");
             fs::create_symlink(home / "victim", tmp / ("site-builder-" + std::to_string(::getuid())));
             fs::create_symlink(home / "victim", tmp / "site-builder");
             return std::optional<std::string>();
         }, false},
        {"RuntimeFolderOpenToOthers", [](auto& home, auto&) { return std::optional(runtimeFolder(home, 0777)); }, false},
        {"LinkPlantedInTheRuntimeFolder", [](auto& home, auto&) {
             const std::string run = runtimeFolder(home, 0700);
             fs::create_directories(home / "victim");
             fs::create_symlink(home / "victim", run + "/site-builder");
             return std::optional(run);
         }, false},
        {"RelativeRuntimeFolder", [](auto&, auto&) { return std::optional<std::string>("run"); }, false},
    };
    for (const auto& [what, arrange, underRuntime] : cases) {
        SCOPED_TRACE(what);
        test::TempDir home, tmp;
        const std::optional<std::string> runtime = arrange(home, tmp);
        const auto xdg = setEnvironment("XDG_RUNTIME_DIR", runtime), tmpdir = setEnvironment("TMPDIR", tmp.str());
        const std::string precious = home / "victim/tramonto.HTM";
        std::string folder;
        {
            test::FakePlatform platform;
            folder = platform.Platform::temporaryFolder();
            ASSERT_FALSE(folder.empty());
            EXPECT_EQ(folder, platform.Platform::temporaryFolder()) << "one folder for the whole run";
            EXPECT_TRUE(folder.starts_with((underRuntime ? *runtime : tmp.str()) + "/")) << folder;
            struct stat st {};
            EXPECT_TRUE(::lstat(folder.substr(0, folder.size() - 1).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) << folder << " is a link or missing";
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            // A link planted inside is replaced, not written through.
            if (fs::exists(home / "victim")) {
                fs::create_symlink(makeFile(precious, "precious"), folder + "tramonto.HTM");
                EXPECT_TRUE(files::writeLines(folder + "tramonto.HTM", {"<html>"}));
                EXPECT_EQ(readFile(folder + "tramonto.HTM"), "<html>\r\n");
            }
        }
        EXPECT_EQ(fs::exists(folder), underRuntime) << "a folder made for the run goes with it";
        EXPECT_EQ(readFile(precious), fs::exists(home / "victim") ? "precious" : "");
    }
}

}  // namespace
}  // namespace sb
