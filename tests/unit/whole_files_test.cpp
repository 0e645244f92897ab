// A file the program replaces is the old one or the whole new one, on a full
// file system or after a kill; a file or copy already in place is kept.
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <memory>
#include <tuple>

#include "common/files.h"
#include "cramped_folder.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using files::CopyResult;
using test::makeFile;
using test::readFile;

bool writesInto(pid_t pid, const std::string& folder) {
    std::error_code ec;
    for (fs::directory_iterator fd("/proc/" + std::to_string(pid) + "/fd", ec), end; !ec && fd != end; fd.increment(ec)) {
        if (fs::read_symlink(fd->path(), ec).string().starts_with(folder + "/")) return true;
    }
    return false;
}

// A child writing a long page is killed once it has a file open in the folder,
// until kills land half-way: the old page or the whole new one, nothing else.
TEST(KilledHalfWay, LeavesTheOldFileOrTheWholeNewOne) {
    const std::string page(64 << 20, 'p');
    int halfWay = 0;
    for (int attempt = 0; attempt < 20 && halfWay < 3; ++attempt) {
        test::TempDir dir;
        const std::string target = makeFile(dir / "index.htm", "the good old page");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) ::_exit(files::writeBytes(target, page) ? 0 : 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!writesInto(child, dir.str()) && std::chrono::steady_clock::now() < deadline &&
               ::waitpid(child, nullptr, WNOHANG) != child) {
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_EQ(std::distance(fs::directory_iterator(dir.str()), fs::directory_iterator()), 1) << "something beside the page was left";
        const bool old = fs::file_size(target) < 64 && readFile(target) == "the good old page";
        ASSERT_TRUE(old || readFile(target) == page) << fs::file_size(target) << " bytes";
        halfWay += old;
    }
    EXPECT_GT(halfWay, 0) << "no kill landed in the middle of a write";
}

// It switches unnamed files off and back on for its cases: it comes after the
// test above, which sees whether the program writes through them to begin with.
TEST(FullDisk, LeavesTheOldFileOrNone) {
    const std::string big(256 * 1024, 'n');  // larger than any room left below
    // a good file at the target, copied from a picture (or written from memory), a hidden name while it is written
    const std::tuple<bool, bool, bool> cases[] = {{true, true, false},  {false, true, false}, {true, false, false},
                                                  {false, false, false}, {true, true, true},   {false, false, true}};
    for (const auto& [oldFile, copy, named] : cases) {
        SCOPED_TRACE(std::string(copy ? "copy" : "write") + (oldFile ? " over a good file" : " into an empty folder") +
                     (named ? ", named" : ""));
        files::useUnnamedFiles(!named);
        const std::shared_ptr<void> restore(nullptr, [](void*) { files::useUnnamedFiles(true); });
        test::TempDir sources;
        const std::string source = makeFile(sources / "grande.jpg", big);
        test::CrampedFolder folder;
        const std::string target = folder.str() + "/sfondo.jpg";
        if (oldFile) makeFile(target, "the good old picture");
        const auto before = test::filesUnder(folder.str());
        folder.leaveRoom(16 * 1024);
        EXPECT_FALSE(copy ? files::copyFileOver(source, target) == CopyResult::Copied : files::writeBytes(target, big))
            << folder.how();
        EXPECT_EQ(test::filesUnder(folder.str()), before) << folder.how() << ": no partial, empty or temporary file";
    }
}

void changedAgo(const std::string& path, int seconds) {
    timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

ino_t inode(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// The same picture copied again, as at every preview.
TEST(CopyAgain, KeepsOnlyACopyStillInPlace) {
    using Change = std::function<void(const std::string& source, const std::string& target)>;
    const std::tuple<const char*, Change, CopyResult, int> cases[] = {  // what, change, second copy, source's age
        {"unchanged", [](auto&, auto&) {}, CopyResult::AlreadyInPlace, 10},
        {"source just changed", [](auto&, auto&) {}, CopyResult::Copied, 0},  // changed again within its clock's tick, it would keep its time
        {"source changed, same size", [](auto& source, auto&) { makeFile(source, "the pictur2"), changedAgo(source, 5); }, CopyResult::Copied, 10},
        {"target replaced, same size", [](auto&, auto& target) { fs::remove(target), makeFile(target, "the pictur2"); }, CopyResult::Copied, 10},
        {"target links to a kept copy", [](auto& source, auto& target) {
             files::copyFileOver(source, target + ".altra", {.keepCopyInPlace = true});
             fs::remove(target), fs::create_symlink(target + ".altra", target);
         }, CopyResult::Copied, 10},
        {"target is the source by another name", [](auto& source, auto& target) { fs::remove(target), fs::create_hard_link(source, target); },
         CopyResult::AlreadyInPlace, 10},
        {"read-only target in place", [](auto&, auto& target) { ::chmod(target.c_str(), 0444); }, CopyResult::AlreadyInPlace, 10},
        {"read-only target, source changed",
         [](auto& source, auto& target) { ::chmod(target.c_str(), 0444), makeFile(source, "the pictur2"), changedAgo(source, 5); },
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

// A file written again with the bytes it holds, even a read-only one, is left as it is.
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

// The first write into a folder removes what killed writers left there, and
// not a living writer's file, a fresh one, nor the user's of like names.
TEST(Leftovers, TheNextWriteRemovesOnlyTheProgramsOwn) {
    const std::tuple<const char*, bool, bool, bool> cases[] = {  // name, old, locked by a writer, removed
        {".index.htm.0123abcd.part", true, false, true},  {".foto di mare.jpg.89abcdef.part", true, false, true},
        {".index.htm.01234567.part", true, true, false},  {".index.htm.fedcba98.part", false, false, false},
        {".index.htm.part", true, false, false},          {"index.htm.0123abcd.part", true, false, false},
        {".index.htm.0123ABCD.part", true, false, false}, {".index.htm.0123abc.part", true, false, false},
        {".nota.0123abcd.part.txt", true, false, false}};
    test::TempDir dir;
    std::vector<std::shared_ptr<void>> writers;
    for (const auto& [name, old, locked, removed] : cases) {
        const std::string path = makeFile(dir / name, "half a page");
        if (old) changedAgo(path, 60);
        const int fd = locked ? ::open(path.c_str(), O_RDONLY) : -1;
        ASSERT_TRUE(!locked || ::flock(fd, LOCK_EX) == 0);
        writers.emplace_back(nullptr, [fd](void*) { ::close(fd); });
    }
    EXPECT_TRUE(files::writeBytes(dir / "index.htm", "the new page"));
    for (const auto& [name, old, locked, removed] : cases) EXPECT_EQ(fs::exists(dir / name), !removed) << name;
}

}  // namespace
}  // namespace sb
