// Where the program works, and the user's own folder filled from the
// installed data files, against real folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "app/application_folder.h"
#include "app/display_check.h"
#include "temp_dir.h"

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
        {"SFONDI/left.jpg", Leaves, false, "installed 1"},
        {"SFONDI/updated.jpg", Leaves, true, "installed 2, longer"},
        {"SFONDI/changed.jpg", Changes, false, "the user's own picture"},
        {"SFONDI/changed_and_updated.jpg", Changes, true, "the user's own picture"},
        {"PULSANTI/deleted.gif", Deletes, false, "installed 1"},
        {"deleted_and_updated.js", Deletes, true, "installed 2, longer"},
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

}  // namespace
}  // namespace sb
