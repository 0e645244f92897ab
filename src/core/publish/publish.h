// Publishing a written site to the user's web space: the address the user
// types, the way in, and one publishing run. The run itself (which files go
// up, in which order, which go away) is plain code over a Transport; the
// Transport that speaks SFTP and FTPS lives in the adapter:
//
//     std::unique_ptr<sb::publish::Transport> sb::makeCurlTransport(
//         const publish::Address&, const publish::Credentials&, const publish::Questions&);
//
// in qt/curl_transport.h (plain libcurl, no Qt).
//
// A publishing run never leaves half a file on view: every file goes up under
// a temporary name in its own folder and is renamed over the old one only
// when complete; pictures, thumbnails and the picture list before the pages
// that use them, "index.htm" last. Nothing on the server that the program did
// not put there is deleted or overwritten, unless it bears the name of a file
// the site now holds.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sb::publish {

// The web space: "sftp://host[:port]/path/", "ftps://host[:port]/path/"
// (explicit TLS) or "ftp://host[:port]/path/" (in clear).
struct Address {
    enum class Scheme { Sftp, Ftps, Ftp };
    Scheme scheme = Scheme::Sftp;
    std::string host;
    int port = 0;      // the scheme's own port when not given
    std::string path;  // absolute, ends with "/"
    std::string user;  // from "sftp://user@host/...", empty when not given
    bool operator==(const Address&) const = default;
};

// Nothing when the text is not an address the program publishes to. The
// path's %XX escapes are decoded; "/~/" at its start stands for the user's
// home folder (SFTP).
std::optional<Address> parseAddress(const std::string& text);

struct Credentials {
    std::string user;
    std::string password;        // empty: SFTP tries the SSH agent, then the key
    std::string privateKeyPath;  // SFTP; empty: ~/.ssh/id_ed25519, then ~/.ssh/id_rsa
};

// Asked on the publishing thread; the answer may come from a window (the
// caller waits for it) or be a fixed "no" (the command line). True: go on.
struct Questions {
    // An SFTP host that ~/.ssh/known_hosts does not know yet: its key's type
    // and SHA256 fingerprint. Yes adds it to known_hosts.
    std::function<bool(const std::string& host, const std::string& keyType, const std::string& fingerprint)>
        trustNewHost;
    // An FTPS certificate that does not verify: a readable description of it
    // (subject, issuer, validity, SHA-256 fingerprint). Yes accepts it for
    // that server from then on.
    std::function<bool(const std::string& host, const std::string& certificate)> acceptCertificate;
};

struct Progress {
    int filesDone = 0, filesTotal = 0;
    std::int64_t bytesDone = 0, bytesTotal = 0;
};

// Told on the publishing thread as the run goes.
struct Events {
    std::function<void(const Progress&)> progress;
    std::function<void(const std::string& line)> log;  // what was done, one line each
};

struct Outcome {
    bool complete = false;  // the server holds the whole site
    std::string message;    // one line for the user, in the run's language
};

// The way to the server: files, folders and renames on it (transport.h).
// Implemented by the adapter (libcurl) and, in tests, over a local folder.
class Transport;

// Publishes the site written in `siteFolder` (ending with its separator)
// through `transport`, sending only what differs from what the last run
// left there. Stops soon after `cancel` turns true (the server then holds
// whole old or whole new files only).
//
// Sends every file of the folder and its subfolders except hidden ones
// (names starting with '.', ".htaccess" excepted). Keeps the manifest
// (plan.h) on the server and, with the local files' hashes, in
// cacheFolder() under a name of the transport's identity.
Outcome publishSite(const std::string& siteFolder, Transport& transport, const Events& events,
                    const std::atomic<bool>& cancel, bool english);

// The user's cache folder for publishing: $XDG_CACHE_HOME/sitebuilder/publish
// or ~/.cache/sitebuilder/publish.
std::string cacheFolder();

}  // namespace sb::publish
