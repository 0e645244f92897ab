// A file the program replaces is either the old one or the whole new one, on
// a file system that fills up; a file or copy already in place is kept.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "common/files.h"
#include "cramped_folder.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using files::CopyResult;
using test::makeFile;
using test::readFile;

TEST(FullDisk, LeavesTheOldFileOrNone) {
    const std::string big(256 * 1024, 'n');  // larger than any room left below
    // a good file at the target, copied from a picture (or written from memory), a hidden name while it is written
    const std::tuple<bool, bool, bool> cases[] = {{true, true, false},  {false, true, false}, {true, false, false},
                                                  {false, false, false}, {true, true, true},   {false, false, true}};
    for (const auto& [oldFile, copy, named] : cases) {
        SCOPED_TRACE(std::string(copy ? "copy" : "write") + (oldFile ? " over a good file" : " into an empty folder") + (named ? ", named" : ""));
        files::useUnnamedFiles(!named);
        const std::shared_ptr<void> restore(nullptr, [](void*) { files::useUnnamedFiles(true); });
        test::TempDir sources;
        const std::string source = makeFile(sources / "grande.jpg", big);
        test::CrampedFolder folder;
        const std::string target = folder.str() + "/sfondo.jpg";
        if (oldFile) makeFile(target, "the good old picture");
        const auto before = folder.content();
        folder.leaveRoom(16 * 1024);
        EXPECT_FALSE(copy ? files::copyFileOver(source, target) == CopyResult::Copied : files::writeBytes(target, big)) << folder.how();
        EXPECT_EQ(folder.content(), before) << folder.how() << ": no partial, empty or temporary file";
    }
}

// Gives a file the modification time of some seconds ago.
void changedAgo(const std::string& path, int seconds) {
    timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

ino_t inode(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

void changeSource(const std::string& source) {
    makeFile(source, "the pictur2");  // the same size
    changedAgo(source, 5);
}

// The same picture copied again, as the site is at every preview: a copy
// still in place is kept, anything else is copied whole or refused as
// before. The source was last changed some seconds before the first copy;
// a change then touches the source or the target.
TEST(CopyAgain, KeepsOnlyACopyStillInPlace) {
    using Change = std::function<void(const std::string& source, const std::string& target)>;
    const std::tuple<const char*, Change, CopyResult, int> cases[] = {  // what, change, second copy, source's age
        {"unchanged", [](auto&, auto&) {}, CopyResult::AlreadyInPlace, 10},
        {"source just changed", [](auto&, auto&) {}, CopyResult::Copied, 0},  // changed again within its clock's tick, it would keep its time
        {"source changed, same size", [](auto& source, auto&) { changeSource(source); }, CopyResult::Copied, 10},
        {"target replaced, same size", [](auto&, auto& target) { fs::remove(target), makeFile(target, "the pictur2"); }, CopyResult::Copied, 10},
        {"target links to a kept copy", [](auto& source, auto& target) {
             files::copyFileOver(source, target + ".altra", {.keepCopyInPlace = true});
             fs::remove(target), fs::create_symlink(target + ".altra", target);
         }, CopyResult::Copied, 10},
        {"target is the source by another name", [](auto& source, auto& target) { fs::remove(target), fs::create_hard_link(source, target); },
         CopyResult::AlreadyInPlace, 10},
        {"read-only target in place", [](auto&, auto& target) { ::chmod(target.c_str(), 0444); }, CopyResult::AlreadyInPlace, 10},
        {"read-only target, source changed", [](auto& source, auto& target) { ::chmod(target.c_str(), 0444), changeSource(source); },
         CopyResult::Failed, 10},
    };
    for (const auto& [what, change, second, sourceAge] : cases) {
        SCOPED_TRACE(what);
        test::TempDir dir;
        const std::string source = makeFile(dir / "foto.jpg", "the picture"), target = dir / "sito.jpg";
        if (sourceAge > 0) changedAgo(source, sourceAge);
        ASSERT_EQ(files::copyFileOver(source, target, {.keepCopyInPlace = true}), CopyResult::Copied);
        change(source, target);
        const std::string before = readFile(target);
        const ino_t kept = inode(target);
        EXPECT_EQ(files::copyFileOver(source, target, {.keepCopyInPlace = true}), second);
        EXPECT_EQ(std::make_tuple(readFile(target), inode(target) == kept, fs::is_symlink(target)),
                  std::make_tuple(second == CopyResult::Failed ? before : readFile(source), second != CopyResult::Copied, false));
    }
}

// A file written again with the bytes it holds is left as it is, even a
// read-only one; anything else at the target is replaced whole.
TEST(WriteAgain, KeepsOnlyAFileHoldingTheSameBytes) {
    const std::string page = "the new page";
    const std::tuple<std::string, bool, bool, bool> cases[] = {  // old content, a link, read-only, kept
        {page, false, false, true}, {"the old page", false, false, false}, {page, true, false, false}, {page, false, true, true}};
    for (const auto& [old, link, readOnly, kept] : cases) {
        SCOPED_TRACE(old + (link ? ", link" : "") + (readOnly ? ", read-only" : ""));
        test::TempDir dir;
        const std::string target = dir / "index.htm", other = makeFile(dir / "altro.htm", old);
        link ? fs::create_symlink(other, target) : (void)makeFile(target, old);
        if (readOnly) ::chmod(target.c_str(), 0444);
        const ino_t before = inode(target);
        EXPECT_TRUE(files::writeBytes(target, page));
        EXPECT_EQ(std::make_tuple(inode(target) == before, readFile(target), readFile(other), fs::is_symlink(target)),
                  std::make_tuple(kept, page, old, false));
    }
}

}  // namespace
}  // namespace sb
