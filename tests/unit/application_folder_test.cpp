// Where the program works, and the user's own folder filled from the
// installed data files, against real folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/application_folder.h"
#include "app/display_check.h"
#include "temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

TEST(ApplicationFolder, ChoosesTheProgramFolderOnlyWhenItHoldsTheData) {
    struct Case {
        const char* what;
        bool programHoldsData, installedDataThere, userFolderBlocked;
        const char* expected;  // "program", "user" or "data"
    };
    const Case cases[] = {
        {"build folder", true, false, false, "program"},
        {"build folder, an installation beside it", true, true, false, "program"},
        {"installed", false, true, false, "user"},
        {"installed, user folder cannot be made", false, true, true, "data"},
        {"no data files anywhere", false, false, false, "program"},
    };
    for (const Case& c : cases) {
        test::TempDir root;
        const ApplicationPlaces places{root / "bin", root / "share/sitebuilder",
                                       c.userFolderBlocked ? root / "file/sitebuilder" : root / "home/sitebuilder"};
        fs::create_directories(places.programFolder);
        if (c.programHoldsData) makeFile(places.programFolder + "/blank.gif", "build");
        if (c.installedDataThere) makeFile(places.dataFolder + "/blank.gif", "installed");
        if (c.userFolderBlocked) makeFile(root / "file", "a file where a folder should be");

        const std::string chosen = chooseApplicationFolder(places);
        const std::string expected = std::string(c.expected) == "program" ? places.programFolder
                                     : std::string(c.expected) == "user"  ? places.userFolder
                                                                          : places.dataFolder;
        EXPECT_EQ(chosen, expected) << c.what;
        if (chosen == places.userFolder) {
            EXPECT_EQ(readFile(places.userFolder + "/blank.gif"), "installed") << c.what;
        }
        if (chosen == places.programFolder) {
            EXPECT_FALSE(fs::exists(places.userFolder)) << c.what;
        }
    }
}

// A first start, what the user and a newer package then change, a second start.
TEST(ApplicationFolder, LaterStartsAddWhatIsMissingAndNeverTouchTheUsersFiles) {
    enum class User { Leaves, Changes, Deletes };
    struct Case {
        const char* file;
        User user;
        bool packageUpdates;
        const char* expected;
    };
    const Case cases[] = {
        {"SFONDI/left.jpg", User::Leaves, false, "installed 1"},
        {"SFONDI/updated.jpg", User::Leaves, true, "installed 2, longer"},
        {"SFONDI/changed.jpg", User::Changes, false, "the user's own picture"},
        {"SFONDI/changed_and_updated.jpg", User::Changes, true, "the user's own picture"},
        {"PULSANTI/deleted.gif", User::Deletes, false, "installed 1"},
        {"deleted_and_updated.js", User::Deletes, true, "installed 2, longer"},
    };
    test::TempDir data, user;
    for (const Case& c : cases) makeFile(data / c.file, "installed 1");
    makeFile(data / ".assets-made", "");
    ASSERT_TRUE(fillUserFolder(data.str(), user.str()));
    for (const Case& c : cases) ASSERT_EQ(readFile(user / c.file), "installed 1") << c.file;
    EXPECT_FALSE(fs::exists(user / ".assets-made"));

    for (const Case& c : cases) {
        if (c.user == User::Changes) makeFile(user / c.file, "the user's own picture");
        if (c.user == User::Deletes) fs::remove(user / c.file);
        if (c.packageUpdates) makeFile(data / c.file, "installed 2, longer");
    }
    makeFile(user / "SFONDI/added.jpg", "added by the user");
    makeFile(data / "TESTATE/new.gif", "new in this version");
    ASSERT_TRUE(fillUserFolder(data.str(), user.str()));

    for (const Case& c : cases) EXPECT_EQ(readFile(user / c.file), c.expected) << c.file;
    EXPECT_EQ(readFile(user / "SFONDI/added.jpg"), "added by the user");
    EXPECT_EQ(readFile(user / "TESTATE/new.gif"), "new in this version");

    // A third start with nothing changed copies nothing: the user's changes
    // since still stand.
    makeFile(user / "SFONDI/updated.jpg", "changed after the update");
    ASSERT_TRUE(fillUserFolder(data.str(), user.str()));
    EXPECT_EQ(readFile(user / "SFONDI/updated.jpg"), "changed after the update");
}

TEST(DisplayCheck, TellsWhenNoWindowCanBeOpened) {
    struct Case {
        const char* platform;
        const char* display;
        const char* wayland;
        bool missing;
    };
    const Case cases[] = {
        {"", "", "", true},
        {"", ":0", "", false},
        {"", "", "wayland-0", false},
        {"xcb", "", "wayland-0", true},
        {"xcb", ":99", "", false},
        {"wayland-egl", ":0", "", true},
        {"wayland;xcb", ":0", "", false},
        {"xcb:nograb", "", "", true},
        {"offscreen", "", "", false},
        {";", "", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(!missingDisplay(c.platform, c.display, c.wayland).empty(), c.missing)
            << "platform \"" << c.platform << "\" DISPLAY \"" << c.display << "\" WAYLAND_DISPLAY \"" << c.wayland << "\"";
    }
}

}  // namespace
}  // namespace sb
