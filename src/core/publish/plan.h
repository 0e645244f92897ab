// The plan of a publishing run and the manifest it keeps: pure, no server.
//
// The manifest lists what the program put on the server: each file's path
// (relative to the site's folder there), size and SHA-256. It lives on the
// server as the hidden file ".sitebuilder-manifest" beside the site, written
// after the files, and as a copy in the user's cache folder with a journal
// of each file put in place since, so that a run cut short resumes where it
// stopped. One line each, "<sha256 hex> <size> <path>", under a first line
// naming the format; '%', CR and LF in a path are written %25, %0D, %0A.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sb::publish {

inline constexpr const char* kManifestName = ".sitebuilder-manifest";

struct FileState {
    std::int64_t size = 0;
    std::string sha256;  // hex
    bool operator==(const FileState&) const = default;
};
using Manifest = std::map<std::string, FileState>;  // by path

std::string composeManifest(const Manifest& manifest);
// Lines it cannot read are left out: their files are then sent again and
// never removed, which is safe.
Manifest parseManifest(std::string_view text);

std::string escapePath(std::string_view path);
std::string unescapePath(std::string_view text);

// When a file goes up: 0 pictures and every other file the pages use,
// 1 the scripts (the picture list among them) and style sheets, 2 the
// pages, 3 the home page "index.htm" of the site's own folder.
int uploadPhase(std::string_view path);

struct Plan {
    std::vector<std::vector<std::string>> phases;  // paths to send, by phase, each in name order
    std::vector<std::string> removals;             // pages first, pictures last
    std::size_t uploads() const;
};

// What to send: every file of the site that the previous manifest does not
// list with the same size and hash. What to remove: only files the previous
// manifest lists and the site no longer holds.
Plan makePlan(const Manifest& site, const Manifest& previous);

// The names a file bears on its way up, hidden in its own folder.
std::string temporaryName(std::string_view path);

}  // namespace sb::publish
