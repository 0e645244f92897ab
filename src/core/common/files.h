// File operations of the program. None of them throws: each says whether it
// worked, so that a failed step can be skipped and, where it matters, reported.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sb::files {

// Every file the program replaces is made whole beside its target and only
// then renamed over it: a full disk, a failed write or a program killed
// half-way leaves the previous file as it was and no partial or empty file
// behind. A read-only target (no write permission at all, or none for this
// user) is left alone and the write fails.

// Replaces (or creates) `path` with `bytes`. A regular file that already
// holds exactly these bytes is left as it is (no rename, no new file), even
// a read-only one: the result is the same and costs only a read.
bool writeBytes(const std::string& path, std::string_view bytes);

// Joins already encoded lines, each followed by CR LF, and writes them.
bool writeLines(const std::string& path, const std::vector<std::string>& lines);

// Reads at most `limit` bytes from the start of a file.
std::optional<std::string> readPrefix(const std::string& path, std::size_t limit);

enum class CopyResult { Copied, AlreadyInPlace, Failed };

// How sure a copy must be before it takes the target's name.
struct CopyCheck {
    // The new file is read back and compared with the source, byte for byte:
    // a copy reported made is a true copy.
    bool compare = false;
    // The new file and its name are on the disk before the copy returns, for
    // a caller that removes the source next.
    bool durable = false;
    // For a writer that copies the same pictures again and again: a target
    // that an earlier copy of this kind made of the source, the source
    // unchanged since, is kept as it is. Each such copy gives its target the
    // source's modification time (to the nanosecond), but only when the
    // source had not changed for a couple of seconds when it was read, so
    // that no later change can bear the same time; a target is kept when it
    // is a regular file (not a link) of the source's size and time, so
    // stamped. A target replaced, edited or touched since gets another time
    // and is copied again. Ignored when `compare` asks for a true copy.
    bool keepCopyInPlace = false;
};

// Copies a regular file over any file of the target name, by the same rule.
// A target that is the source itself (the same file reached by another path,
// a link or another letter case on a file system that ignores case) is left
// alone and reported as already in place, as is a target kept by
// `keepCopyInPlace`; a read-only target is refused, not forced; a pipe or
// device fails at once instead of blocking.
CopyResult copyFileOver(const std::string& from, const std::string& to, CopyCheck check = {});

// True when the copy was made (a target that already is the source is not).
inline bool copyFile(const std::string& from, const std::string& to) {
    return copyFileOver(from, to) == CopyResult::Copied;
}

// Where the file system allows, a new file has no name until it is complete;
// `false` makes every new file take a hidden temporary name beside its
// target instead, as on a file system without unnamed files, so that the
// tests can try that way too.
void useUnnamedFiles(bool allowed);

// True when both paths name the same existing file.
bool sameFile(const std::string& a, const std::string& b);

// Creates one folder level; false when it already exists or cannot be made.
bool createFolder(const std::string& path);

bool isFolder(const std::string& path);
bool isRegularFile(const std::string& path);
bool removeFile(const std::string& path);

// Names of the normal files a pattern lists: for a folder path (ending with a
// separator) every file of that folder in directory order, for a file path
// just that file. Folders, hidden files (names starting with ".") and other
// special entries are never listed; links count as the file they point to.
std::vector<std::string> listNormalFiles(const std::string& pattern);

}  // namespace sb::files
