// A file the program replaces is either the old one or the whole new one:
// on a file system that fills up, and when the program is killed half-way.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "common/files.h"
#include "site/site_writer.h"
#include "cramped_folder.h"
#include "temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;

using test::CrampedFolder;
using test::folderContent;

const std::string kBig(256 * 1024, 'n');  // larger than any room left below

struct FullDiskCase {
    const char* name;
    bool oldFile;        // a good file stands at the target
    bool copy;           // copied from a picture, or written from memory
    bool named = false;  // the new file has a hidden name while it is written
};

void PrintTo(const FullDiskCase& c, std::ostream* out) { *out << c.name; }

class FullDisk : public testing::TestWithParam<FullDiskCase> {};

TEST_P(FullDisk, LeavesTheOldFileOrNone) {
    const FullDiskCase& c = GetParam();
    files::useUnnamedFiles(!c.named);
    const std::shared_ptr<void> restore(nullptr, [](void*) { files::useUnnamedFiles(true); });
    test::TempDir sources;
    const std::string source = makeFile(sources / "grande.jpg", kBig);
    CrampedFolder folder;
    const std::string target = folder.str() + "/sfondo.jpg";
    if (c.oldFile) makeFile(target, "the good old picture");
    const auto before = folder.content();
    folder.leaveRoom(16 * 1024);

    const bool done = c.copy ? files::copyFileOver(source, target) == files::CopyResult::Copied
                             : files::writeBytes(target, kBig);
    EXPECT_FALSE(done) << folder.how();
    EXPECT_EQ(folder.content(), before) << folder.how() << ": no partial, empty or temporary file";
}

INSTANTIATE_TEST_SUITE_P(Table, FullDisk,
                         testing::Values(FullDiskCase{"CopyOverAGoodFile", true, true},
                                         FullDiskCase{"CopyIntoAnEmptyFolder", false, true},
                                         FullDiskCase{"WriteOverAGoodFile", true, false},
                                         FullDiskCase{"WriteIntoAnEmptyFolder", false, false},
                                         FullDiskCase{"NamedCopyOverAGoodFile", true, true, true},
                                         FullDiskCase{"NamedWriteIntoAnEmptyFolder", false, false, true}),
                         [](const testing::TestParamInfo<FullDiskCase>& info) { return std::string(info.param.name); });

// A whole site written over a good one on a file system that fills up half
// way: each file is the old one or the whole new one, the report names
// exactly the old ones, and nothing else is left in the folder.
TEST(FullDisk, SiteOverAGoodSiteKeepsEveryOldFileItCannotReplace) {
    CrampedFolder folder;
    Parametri_Sito p = defaultParameters(SB_APP_DIR);
    p.Cartella_Sito = folder.str() + "/";
    const SiteRequest request{p, "Titolo", "Descrizione", SB_APP_DIR, SB_APP_DIR};
    std::map<std::string, std::string> fresh;  // what a complete run puts there
    for (const ImageCopy& copy : siteImageCopies(request)) {
        makeFile(copy.target, "old " + copy.target);
        fresh[copy.target] = readFile(copy.source);
    }
    const auto before = folder.content();
    folder.leaveRoom(24 * 1024);

    const SiteReport report = writeSite(request);
    const auto after = folder.content();
    std::set<std::string> uncopied;
    for (const ImageCopy& copy : report.uncopiedImages) uncopied.insert(copy.target);
    std::size_t kept = 0;
    for (const auto& [target, content] : fresh) {
        const std::string now = readFile(target);
        EXPECT_TRUE(now == content || now == "old " + target) << target << " holds " << now.size() << " bytes";
        EXPECT_EQ(uncopied.count(target) > 0, now != content) << target;
        kept += now != content;
    }
    EXPECT_GT(kept, 0u) << folder.how() << ": the test must fill the file system";
    EXPECT_LT(kept, fresh.size()) << folder.how() << ": and leave room for the small files";
    std::set<std::string> names, namesBefore;
    for (const auto& entry : after) names.insert(entry.first);
    for (const auto& entry : before) namesBefore.insert(entry.first);
    namesBefore.insert({"Parametri_by_Velmora.js", "index.htm", "galleria_by_Velmora.js", "Immagini_by_Velmora.js"});
    EXPECT_TRUE(std::includes(namesBefore.begin(), namesBefore.end(), names.begin(), names.end()))
        << "a temporary file was left behind";
    EXPECT_FALSE(report.complete());
    EXPECT_NE(siteMessage(report).find("Immagine non copiata"), std::string::npos);
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

// The same picture copied again, as the site is at every preview: a copy
// still in place is kept, anything else is copied whole or refused as
// before. The source was last changed `sourceAge` seconds before the first
// copy; `change` then touches the source or the target.
struct CopyAgainCase {
    const char* name;
    std::function<void(const std::string& source, const std::string& target)> change;
    files::CopyResult second;
    int sourceAge = 10;
};

void PrintTo(const CopyAgainCase& c, std::ostream* out) { *out << c.name; }

void changeSource(const std::string& source) {
    makeFile(source, "the pictur2");  // the same size
    changedAgo(source, 5);
}

const CopyAgainCase kCopyAgainCases[] = {
    {"Unchanged", [](auto&, auto&) {}, files::CopyResult::AlreadyInPlace},
    // Changed again within its clock's tick, it would keep its time.
    {"SourceJustChanged", [](auto&, auto&) {}, files::CopyResult::Copied, 0},
    {"SourceChangedSameSize", [](auto& source, auto&) { changeSource(source); }, files::CopyResult::Copied},
    {"TargetReplacedSameSize", [](auto&, auto& target) { fs::remove(target); makeFile(target, "the pictur2"); }, files::CopyResult::Copied},
    {"TargetLinksToAKeptCopy", [](auto& source, auto& target) {
         files::copyFileOver(source, target + ".altra", {.keepCopyInPlace = true});
         fs::remove(target);
         fs::create_symlink(target + ".altra", target);
     }, files::CopyResult::Copied},
    {"TargetIsTheSourceByAnotherName", [](auto& source, auto& target) { fs::remove(target); fs::create_hard_link(source, target); },
     files::CopyResult::AlreadyInPlace},
    {"ReadOnlyTargetInPlace", [](auto&, auto& target) { ::chmod(target.c_str(), 0444); }, files::CopyResult::AlreadyInPlace},
    {"ReadOnlyTargetSourceChanged", [](auto& source, auto& target) { ::chmod(target.c_str(), 0444); changeSource(source); },
     files::CopyResult::Failed},
};

class CopyAgain : public testing::TestWithParam<CopyAgainCase> {};

TEST_P(CopyAgain, KeepsOnlyACopyStillInPlace) {
    const CopyAgainCase& c = GetParam();
    test::TempDir dir;
    const std::string source = makeFile(dir / "foto.jpg", "the picture"), target = dir / "sito.jpg";
    if (c.sourceAge > 0) changedAgo(source, c.sourceAge);
    ASSERT_EQ(files::copyFileOver(source, target, {.keepCopyInPlace = true}), files::CopyResult::Copied);
    c.change(source, target);
    const std::string before = readFile(target);
    const ino_t kept = inode(target);

    EXPECT_EQ(files::copyFileOver(source, target, {.keepCopyInPlace = true}), c.second);
    EXPECT_EQ(readFile(target), c.second == files::CopyResult::Failed ? before : readFile(source));
    EXPECT_EQ(inode(target) == kept, c.second != files::CopyResult::Copied);
    EXPECT_FALSE(fs::is_symlink(target));
}

INSTANTIATE_TEST_SUITE_P(Table, CopyAgain, testing::ValuesIn(kCopyAgainCases),
                         [](const testing::TestParamInfo<CopyAgainCase>& info) { return std::string(info.param.name); });

// A file written again with the bytes it holds is left as it is, even a
// read-only one; anything else at the target is replaced whole.
TEST(WriteAgain, KeepsOnlyAFileHoldingTheSameBytes) {
    const std::string page = "the new page";
    struct Case {
        std::string old;
        bool link, readOnly, kept;
    } const cases[] = {{page, false, false, true}, {"the old page", false, false, false},
                       {page, true, false, false}, {page, false, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.old + (c.link ? ", link" : "") + (c.readOnly ? ", read-only" : ""));
        test::TempDir dir;
        const std::string target = dir / "index.htm", other = makeFile(dir / "altro.htm", c.old);
        c.link ? fs::create_symlink(other, target) : (void)makeFile(target, c.old);
        if (c.readOnly) ::chmod(target.c_str(), 0444);
        const ino_t before = inode(target);
        EXPECT_TRUE(files::writeBytes(target, page));
        EXPECT_EQ(inode(target) == before, c.kept);
        EXPECT_EQ(readFile(target), page);
        EXPECT_EQ(readFile(other), c.old);
        EXPECT_FALSE(fs::is_symlink(target));
    }
}

// The descriptors of a process that point into a folder.
bool writesInto(pid_t pid, const std::string& folder) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        char link[4096];
        const ssize_t n = ::readlinkat(::dirfd(dir), entry->d_name, link, sizeof link);
        if (n > 0 && std::string(link, static_cast<std::size_t>(n)).rfind(folder + "/", 0) == 0) found = true;
    }
    ::closedir(dir);
    return found;
}

// A child replaces the target with a long new file and is killed as soon as
// it has the new file open. Tried until a kill lands in the middle of the
// write; every time the folder holds the old file or the whole new one and
// nothing else.
void killHalfWay(const std::function<bool(const std::string&)>& replace, std::size_t wholeSize) {
    int caughtHalfWay = 0;
    for (int attempt = 0; attempt < 20 && caughtHalfWay < 3; ++attempt) {
        test::TempDir dir;
        const std::string target = dir / "index.htm";
        makeFile(target, "the good old page");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) ::_exit(replace(target) ? 0 : 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!writesInto(child, dir.str()) && std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(child, nullptr, WNOHANG) == child) break;
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const auto content = folderContent(dir.str());
        ASSERT_EQ(content.size(), 1u) << "something beside the target was left";
        const std::string& now = content.begin()->second;
        ASSERT_TRUE(now == "the good old page" || now.size() == wholeSize) << now.size() << " bytes";
        caughtHalfWay += now == "the good old page";
    }
    EXPECT_GT(caughtHalfWay, 0) << "no kill landed in the middle of a write";
}

TEST(KilledHalfWay, CopyLeavesTheOldFile) {
    test::TempDir sources;
    const std::string source = sources / "grande.jpg";
    const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 1LL << 30), 0);  // a gigabyte that takes no room
    ::close(fd);
    killHalfWay([&](const std::string& target) { return files::copyFile(source, target); }, std::size_t{1} << 30);
}

TEST(KilledHalfWay, WriteLeavesTheOldFile) {
    const std::string page(64 << 20, 'p');
    killHalfWay([&](const std::string& target) { return files::writeBytes(target, page); }, page.size());
}

}  // namespace
}  // namespace sb
