// The program's folders: where it works, the user's own folder filled from the
// installed data, and a private folder for pages nobody else can have prepared.
#include <sys/stat.h>

#include <cstdlib>
#include <tuple>

#include "app/application_folder.h"
#include "app/display_check.h"
#include "common/files.h"
#include "fake_platform.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

TEST(ApplicationFolder, ChoosesTheProgramFolderOnlyWhenItHoldsTheData) {
    enum Chosen { Program, User, Data };
    // the program folder holds the data, an installation's data is there, the user folder cannot be made
    const std::tuple<bool, bool, bool, Chosen> cases[] = {
        {true, false, false, Program}, {true, true, false, Program}, {false, true, false, User}, {false, true, true, Data},
        {false, false, false, Program}};  // no data files anywhere
    for (const auto& [programHoldsData, installed, userBlocked, expected] : cases) {
        SCOPED_TRACE(std::to_string(programHoldsData) + std::to_string(installed) + std::to_string(userBlocked));
        test::TempDir root;
        const ApplicationPlaces places{root / "bin", root / "share/sitebuilder", root / (userBlocked ? "file" : "home") + "/sitebuilder"};
        fs::create_directories(places.programFolder);
        if (programHoldsData) makeFile(places.programFolder + "/blank.gif", "build");
        if (installed) makeFile(places.dataFolder + "/blank.gif", "installed");
        if (userBlocked) makeFile(root / "file", "a file where a folder should be");
        const std::string chosen = chooseApplicationFolder(places);
        EXPECT_EQ(chosen, expected == Program ? places.programFolder : expected == User ? places.userFolder : places.dataFolder);
        EXPECT_EQ(readFile(places.userFolder + "/blank.gif"), expected == User ? "installed" : "");
        EXPECT_EQ(fs::exists(places.userFolder), expected == User);
    }
}

// A first start, what the user and a newer package then change, a second start.
TEST(ApplicationFolder, LaterStartsAddWhatIsMissingAndNeverTouchTheUsersFiles) {
    enum User { Leaves, Changes, Deletes };
    const std::tuple<const char*, User, bool, const char*> cases[] = {  // file, the user, the package updates it, then
        {"SFONDI/left.jpg", Leaves, false, "installed 1"}, {"SFONDI/updated.jpg", Leaves, true, "installed 2, longer"},
        {"SFONDI/changed.jpg", Changes, false, "the user's own picture"},
        {"SFONDI/changed_and_updated.jpg", Changes, true, "the user's own picture"},
        {"PULSANTI/deleted.gif", Deletes, false, "installed 1"}, {"deleted_and_updated.js", Deletes, true, "installed 2, longer"},
    };
    test::TempDir data, user;
    for (const auto& [file, _, updated, expected] : cases) makeFile(data / file, "installed 1");
    makeFile(data / ".assets-made", "");
    ASSERT_TRUE(fillUserFolder(data.str(), user.str()));
    for (const auto& [file, _, updated, expected] : cases) ASSERT_EQ(readFile(user / file), "installed 1") << file;
    EXPECT_FALSE(fs::exists(user / ".assets-made"));

    for (const auto& [file, change, updated, expected] : cases) {
        if (change == Changes) makeFile(user / file, "the user's own picture");
        if (change == Deletes) fs::remove(user / file);
        if (updated) makeFile(data / file, "installed 2, longer");
    }
    makeFile(user / "SFONDI/added.jpg", "added by the user");
    makeFile(data / "TESTATE/new.gif", "new in this version");
    ASSERT_TRUE(fillUserFolder(data.str(), user.str()));
    for (const auto& [file, change, updated, expected] : cases) EXPECT_EQ(readFile(user / file), expected) << file;
    EXPECT_EQ(readFile(user / "SFONDI/added.jpg") + "|" + readFile(user / "TESTATE/new.gif"), "added by the user|new in this version");

    // A third start with nothing changed copies nothing: the user's changes since still stand.
    makeFile(user / "SFONDI/updated.jpg", "changed after the update");
    ASSERT_TRUE(fillUserFolder(data.str(), user.str()));
    EXPECT_EQ(readFile(user / "SFONDI/updated.jpg"), "changed after the update");
}

TEST(DisplayCheck, TellsWhenNoWindowCanBeOpened) {
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {  // platform, DISPLAY, WAYLAND_DISPLAY, missing
        {"", "", "", true},           {"", ":0", "", false},        {"", "", "wayland-0", false}, {"xcb", "", "wayland-0", true},
        {"xcb", ":99", "", false},    {"wayland-egl", ":0", "", true}, {"wayland;xcb", ":0", "", false}, {"xcb:nograb", "", "", true},
        {"offscreen", "", "", false}, {";", "", "", true},
    };
    for (const auto& [platform, display, wayland, missing] : cases) {
        EXPECT_EQ(!missingDisplay(platform, display, wayland).empty(), missing) << platform << " | " << display << " | " << wayland;
    }
}

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
