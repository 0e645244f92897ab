// The way to the server for a publishing run: files, sizes, renames and
// removals under the site's folder on the server. Paths are relative to that
// folder, '/'-separated, never starting with '/'. The adapter's libcurl
// transport speaks SFTP and FTPS; the tests also use one over a local folder.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sb::publish {

// What went wrong, told apart so that the run can stop or go on, and say it
// in its own language.
enum class Problem {
    None,
    Missing,             // no such file (not an error when reading the manifest)
    Failed,              // this file only: the run goes on with the others
    NoSpace,             // the server's disk or quota is full
    Connection,          // the server cannot be reached or the connection broke
    Login,               // user name, password or key refused
    UnknownHost,         // the host key is not in known_hosts and was not trusted
    ChangedHostKey,      // known_hosts holds another key for the host
    UntrustedCertificate,
    Cancelled,
};

struct Result {
    Problem problem = Problem::None;
    std::string detail;  // the transport's own words, for the log
    bool ok() const { return problem == Problem::None; }
};

// Stops the whole run: nothing more can be done on this server now.
inline bool stopsRun(Problem problem) {
    return problem != Problem::None && problem != Problem::Missing && problem != Problem::Failed;
}

class Transport {
public:
    virtual ~Transport() = default;
    // How many calls may run at once, each on its own thread.
    virtual int connections() const { return 1; }
    // Names the server and folder (no password): the key of the local copy
    // of the manifest.
    virtual std::string identity() const = 0;
    // Reads a small file whole.
    virtual Result read(const std::string& path, std::string& bytes) = 0;
    // Sends a local file to `path`, making the folders it needs; `sent` is
    // told the bytes sent so far. Stops soon after `cancel` turns true.
    virtual Result send(const std::string& localFile, const std::string& path,
                        const std::function<void(std::int64_t)>& sent, const std::atomic<bool>& cancel) = 0;
    virtual Result size(const std::string& path, std::int64_t& bytes) = 0;
    // Puts `from` in the place of `to`, which may exist; whoever looks at
    // `to` sees the old or the new file, whole. `replacing`: the manifest
    // says `to` is there (a hint for speed; a wrong one costs only time).
    virtual Result replace(const std::string& from, const std::string& to, bool replacing) = 0;
    virtual Result remove(const std::string& path) = 0;
    // The names in a folder ("" for the site's own), hidden ones included.
    // A transport that cannot see them all says Failed.
    virtual Result list(const std::string& folder, std::vector<std::string>& names) {
        (void)folder, (void)names;
        return {Problem::Failed, "no listing"};
    }
    // Sends a local file of `size` bytes to `temporary` and puts it in the
    // place of `path` in one exchange, only once the server has taken every
    // byte of it and the local file gave exactly `size` bytes. Nothing: the
    // transport has no such way, and the run does it in steps (send, size,
    // replace), a round trip each.
    virtual std::optional<Result> put(const std::string& localFile, std::int64_t size, const std::string& temporary,
                                      const std::string& path, bool replacing,
                                      const std::function<void(std::int64_t)>& sent, const std::atomic<bool>& cancel) {
        (void)localFile, (void)size, (void)temporary, (void)path, (void)replacing, (void)sent, (void)cancel;
        return std::nullopt;
    }
};

}  // namespace sb::publish
