#include "qt/curl_transport.h"

#include <curl/curl.h>
#include <openssl/x509.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include "publish/sha256.h"

namespace sb {

namespace {

using publish::Address;
using publish::Problem;
using publish::Result;

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr ? entry->pw_dir : "/";
}

std::string base64(const unsigned char* bytes, std::size_t count, bool padded) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < count; i += 3) {
        const std::uint32_t group = std::uint32_t(bytes[i]) << 16 | (i + 1 < count ? bytes[i + 1] << 8 : 0) |
                                    (i + 2 < count ? bytes[i + 2] : 0);
        text += kDigits[(group >> 18) & 63];
        text += kDigits[(group >> 12) & 63];
        if (i + 1 < count) text += kDigits[(group >> 6) & 63];
        else if (padded) text += '=';
        if (i + 2 < count) text += kDigits[group & 63];
        else if (padded) text += '=';
    }
    return text;
}

std::string unbase64(std::string_view text) {
    std::string bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z') value = c - 'A';
        else if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
        else if (c >= '0' && c <= '9') value = c - '0' + 52;
        else if (c == '+') value = 62;
        else if (c == '/') value = 63;
        if (value < 0) continue;
        group = group << 6 | std::uint32_t(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += char((group >> bits) & 0xFF);
        }
    }
    return bytes;
}

std::string sha256Base64(std::string_view bytes, bool padded) {
    publish::Sha256 hash;
    hash.add(bytes.data(), bytes.size());
    const auto digest = hash.finish();
    return base64(digest.data(), digest.size(), padded);
}

// An SSH public key blob begins with its type's name.
std::string keyTypeOf(std::string_view blob) {
    if (blob.size() < 4) return "ssh";
    const std::size_t length = std::size_t(static_cast<unsigned char>(blob[0])) << 24 |
                               std::size_t(static_cast<unsigned char>(blob[1])) << 16 |
                               std::size_t(static_cast<unsigned char>(blob[2])) << 8 |
                               static_cast<unsigned char>(blob[3]);
    if (length > blob.size() - 4 || length > 64) return "ssh";
    return std::string(blob.substr(4, length));
}

std::string withoutBrackets(const std::string& host) {
    return host.starts_with('[') && host.ends_with(']') ? host.substr(1, host.size() - 2) : host;
}

// What a file of the user's holds, one line each (for the pinned keys).
std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);) all.push_back(line);
    return all;
}

std::string certificateStore() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string folder = config != nullptr && config[0] == '/' ? config : homeFolder() + "/.config";
    return folder + "/sitebuilder/publish-certificates";
}

class CurlTransport final : public publish::Transport {
public:
    CurlTransport(const Address& address, const publish::Credentials& credentials,
                  const publish::Questions& questions)
        : address_(address), credentials_(credentials), questions_(questions) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        const bool sftp = address.scheme == Address::Scheme::Sftp;
        origin_ = std::string(sftp ? "sftp://" : "ftp://") + address.host + ":" + std::to_string(address.port);
        if (credentials_.user.empty()) credentials_.user = address.user;
        if (credentials_.user.empty()) {
            const passwd* entry = ::getpwuid(::getuid());
            if (entry != nullptr) credentials_.user = entry->pw_name;
        }
        knownHosts_ = homeFolder() + "/.ssh/known_hosts";
        if (sftp && credentials_.password.empty() && credentials_.privateKeyPath.empty()) {
            for (const char* name : {"/.ssh/id_ed25519", "/.ssh/id_ecdsa", "/.ssh/id_rsa"}) {
                if (::access((homeFolder() + name).c_str(), R_OK) == 0) {
                    credentials_.privateKeyPath = homeFolder() + name;
                    break;
                }
            }
        }
        hostAndPort_ = withoutBrackets(address.host) + ":" + std::to_string(address.port);
        for (const std::string& line : lines(certificateStore())) {
            if (line.starts_with(hostAndPort_ + " ")) pin_ = line.substr(hostAndPort_.size() + 1);
        }
        for (auto& slot : slots_) slot.handle = nullptr;
    }

    ~CurlTransport() override {
        for (auto& slot : slots_)
            if (slot.handle != nullptr) curl_easy_cleanup(slot.handle);
    }

    int connections() const override { return 2; }

    std::string identity() const override {
        const char* scheme = address_.scheme == Address::Scheme::Sftp   ? "sftp://"
                             : address_.scheme == Address::Scheme::Ftps ? "ftps://"
                                                                        : "ftp://";
        return scheme + credentials_.user + "@" + address_.host + ":" + std::to_string(address_.port) + address_.path;
    }

    Result read(const std::string& path, std::string& bytes) override {
        Handle handle(*this);
        bytes.clear();
        curl_easy_setopt(handle.curl, CURLOPT_URL, url(path).c_str());
        curl_easy_setopt(handle.curl, CURLOPT_WRITEFUNCTION, &CurlTransport::collect);
        curl_easy_setopt(handle.curl, CURLOPT_WRITEDATA, &bytes);
        Result result = perform(handle);
        // A folder that is not there yet holds no manifest either.
        if (result.problem == Problem::Failed && handle.code == CURLE_REMOTE_ACCESS_DENIED &&
            address_.scheme != Address::Scheme::Sftp)
            result.problem = Problem::Missing;
        return result;
    }

    Result send(const std::string& localFile, const std::string& path,
                const std::function<void(std::int64_t)>& sent, const std::atomic<bool>& cancel) override {
        struct stat info {};
        if (::stat(localFile.c_str(), &info) != 0) return {Problem::Failed, "cannot read " + localFile};
        return upload(localFile, info.st_size, path, {}, sent, cancel);
    }

    Result list(const std::string& folder, std::vector<std::string>& names) override {
        // FTP servers leave hidden files out of their listings.
        if (address_.scheme != Address::Scheme::Sftp) return {Problem::Failed, "no listing"};
        std::string text;
        Result result;
        {
            Handle handle(*this);
            curl_easy_setopt(handle.curl, CURLOPT_URL, url(folder).c_str());
            curl_easy_setopt(handle.curl, CURLOPT_DIRLISTONLY, 1L);
            curl_easy_setopt(handle.curl, CURLOPT_WRITEFUNCTION, &CurlTransport::collect);
            curl_easy_setopt(handle.curl, CURLOPT_WRITEDATA, &text);
            result = perform(handle);
        }
        names.clear();
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line.ends_with('\r')) line.pop_back();
            if (!line.empty() && line != "." && line != "..") names.push_back(line);
        }
        return result;
    }

    std::optional<Result> put(const std::string& localFile, std::int64_t size, const std::string& temporary,
                              const std::string& path, bool replacing, const std::function<void(std::int64_t)>& sent,
                              const std::atomic<bool>& cancel) override {
        // SFTP acknowledges every write and the closing of the file, so an
        // upload that ends well proves the server holds all of it: the
        // rename follows in the same exchange, saving a size query and a
        // round of the connection per file.
        if (address_.scheme != Address::Scheme::Sftp) return std::nullopt;
        CURLcode code = CURLE_OK;
        Result result = upload(localFile, size, temporary, placing(temporary, path, replacing), sent, cancel, &code);
        // Sent whole, but a file of that name was there after all.
        if (code == CURLE_QUOTE_ERROR && !replacing) return replace(temporary, path, true);
        return result;
    }

    Result size(const std::string& path, std::int64_t& bytes) override {
        Handle handle(*this);
        curl_easy_setopt(handle.curl, CURLOPT_URL, url(path).c_str());
        curl_easy_setopt(handle.curl, CURLOPT_NOBODY, 1L);
        Result result = perform(handle);
        curl_off_t length = -1;
        curl_easy_getinfo(handle.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        bytes = length;
        return result;
    }

    Result replace(const std::string& from, const std::string& to, bool replacing) override {
        if (address_.scheme != Address::Scheme::Sftp)
            return commands(folderOf(to), {"RNFR " + nameOf(from), "RNTO " + nameOf(to)});
        // A new file: one rename, which fails if a file is there after all.
        if (!replacing) {
            Result result = commands("", placing(from, to, false));
            if (result.ok() || publish::stopsRun(result.problem)) return result;
        }
        return commands("", placing(from, to, true));
    }

    Result remove(const std::string& path) override {
        if (address_.scheme != Address::Scheme::Sftp) return commands(folderOf(path), {"DELE " + nameOf(path)});
        Result result = commands("", {"rm " + quoted(absolute(path))});
        return result;
    }

private:
    struct Slot {
        CURL* handle = nullptr;
        bool busy = false;
    };

    // One of the connections, for one call.
    struct Handle {
        explicit Handle(CurlTransport& owner) : transport(owner) {
            std::unique_lock guard(owner.lock_);
            owner.freed_.wait(guard, [&] {
                for (auto& slot : owner.slots_)
                    if (!slot.busy) return true;
                return false;
            });
            for (auto& candidate : owner.slots_) {
                if (!candidate.busy) {
                    slot = &candidate;
                    break;
                }
            }
            slot->busy = true;
            if (slot->handle == nullptr) slot->handle = curl_easy_init();
            curl = slot->handle;
            curl_easy_reset(curl);
            owner.configure(*this);
        }
        ~Handle() {
            std::lock_guard guard(transport.lock_);
            slot->busy = false;
            transport.freed_.notify_one();
        }
        CurlTransport& transport;
        Slot* slot = nullptr;
        CURL* curl = nullptr;
        char error[CURL_ERROR_SIZE] = {};
        CURLcode code = CURLE_OK;
        std::string detail;
        Problem hostKeyProblem = Problem::None;  // why the server's key was refused
        std::string pin;
    };

    struct Watch {
        const std::function<void(std::int64_t)>* sent;
        const std::atomic<bool>* cancel;
    };

    static std::size_t collect(char* data, std::size_t size, std::size_t count, void* target) {
        static_cast<std::string*>(target)->append(data, size * count);
        return size * count;
    }

    static int watchTransfer(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
        auto* watch = static_cast<Watch*>(data);
        if (*watch->cancel) return 1;
        if (*watch->sent) (*watch->sent)(uploaded);
        return 0;
    }

    static int checkHostKey(CURL*, const curl_khkey*, const curl_khkey* found, curl_khmatch match, void* data) {
        auto* handle = static_cast<Handle*>(data);
        auto* self = &handle->transport;
        if (match == CURLKHMATCH_OK) return CURLKHSTAT_FINE;
        std::lock_guard guard(self->questionLock_);
        if (match == CURLKHMATCH_MISMATCH) {
            handle->hostKeyProblem = Problem::ChangedHostKey;
            return CURLKHSTAT_REJECT;
        }
        const std::string blob = found->len > 0 ? std::string(found->key, found->len) : unbase64(found->key);
        const std::string type = keyTypeOf(blob);
        const std::string fingerprint = "SHA256:" + sha256Base64(blob, false);
        if (self->trustedKey_ == blob) return CURLKHSTAT_FINE;  // asked already, on the other connection
        if (!self->questions_.trustNewHost ||
            !self->questions_.trustNewHost(withoutBrackets(self->address_.host), type, fingerprint)) {
            handle->hostKeyProblem = Problem::UnknownHost;
            return CURLKHSTAT_REJECT;
        }
        self->trustedKey_ = blob;
        // Appended by hand: letting the SSH library write the file would
        // drop the lines it cannot read.
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(self->knownHosts_).parent_path(), error);
        std::ofstream out(self->knownHosts_, std::ios::app);
        const std::string host = withoutBrackets(self->address_.host);
        out << (self->address_.port == 22 ? host : "[" + host + "]:" + std::to_string(self->address_.port)) << ' '
            << type << ' ' << base64(reinterpret_cast<const unsigned char*>(blob.data()), blob.size(), true) << '\n';
        return CURLKHSTAT_FINE;
    }

    static std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

    void configure(Handle& handle) {
        CURL* curl = handle.curl;
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, handle.error);
        // What FTP tells of a file without its body, or a folder's listing.
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CurlTransport::discard);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 30L);
        // A day for one call, far beyond any file's upload; and with a time
        // limit set, libcurl's SFTP waits for the server's replies instead of
        // asking the socket over and over, which took the CPU the server
        // needed (half the time of a first publish on a busy machine).
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 86400L);
        curl_easy_setopt(curl, CURLOPT_USERNAME, credentials_.user.c_str());
        if (address_.scheme == Address::Scheme::Sftp) {
            if (!credentials_.password.empty()) {
                curl_easy_setopt(curl, CURLOPT_PASSWORD, credentials_.password.c_str());
                curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
            } else {
                curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PUBLICKEY | CURLSSH_AUTH_AGENT));
                if (!credentials_.privateKeyPath.empty()) {
                    curl_easy_setopt(curl, CURLOPT_SSH_PRIVATE_KEYFILE, credentials_.privateKeyPath.c_str());
                    const std::string pub = credentials_.privateKeyPath + ".pub";
                    if (::access(pub.c_str(), R_OK) == 0) curl_easy_setopt(curl, CURLOPT_SSH_PUBLIC_KEYFILE, pub.c_str());
                }
            }
            curl_easy_setopt(curl, CURLOPT_SSH_KNOWNHOSTS, knownHosts_.c_str());
            curl_easy_setopt(curl, CURLOPT_SSH_KEYFUNCTION, &CurlTransport::checkHostKey);
            curl_easy_setopt(curl, CURLOPT_SSH_KEYDATA, &handle);
        } else {
            curl_easy_setopt(curl, CURLOPT_PASSWORD, credentials_.password.c_str());
            curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_MULTICWD));
            if (address_.scheme == Address::Scheme::Ftps) {
                curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
                // vsftpd 3.0.3, which many web spaces run, cuts uploads short
                // over TLS 1.3 ("426 Failure reading network stream").
                curl_easy_setopt(curl, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2) | long(CURL_SSLVERSION_MAX_TLSv1_2));
                pinCertificate(handle);
            }
        }
    }

    void pinCertificate(Handle& handle) {
        std::lock_guard guard(questionLock_);
        if (pin_.empty()) return;
        // A certificate the user accepted: its key, and no other, will do.
        handle.pin = pin_;
        curl_easy_setopt(handle.curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(handle.curl, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(handle.curl, CURLOPT_PINNEDPUBLICKEY, handle.pin.c_str());
    }

    // The URL of a path under the site's folder, every step escaped.
    std::string url(const std::string& path) const {
        std::string text = origin_;
        std::string full = address_.path + path;
        std::size_t start = 1;
        if (address_.scheme == Address::Scheme::Sftp && full.starts_with("/~/")) {
            text += "/~";
            start = 3;
        }
        while (start <= full.size()) {
            auto end = full.find('/', start);
            if (end == std::string::npos) end = full.size();
            char* escaped = curl_easy_escape(nullptr, full.data() + start, int(end - start));
            text += '/';
            text += escaped;
            curl_free(escaped);
            start = end + 1;
        }
        if (full.ends_with('/')) text += '/';
        return text;
    }

    std::string absolute(const std::string& path) const { return address_.path + path; }
    static std::string folderOf(const std::string& path) {
        const auto slash = path.rfind('/');
        return slash == std::string::npos ? "" : path.substr(0, slash + 1);
    }
    static std::string nameOf(const std::string& path) {
        const auto slash = path.rfind('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }
    // A path in an SFTP command line: in double quotes, '"' and '\' escaped.
    static std::string quoted(const std::string& path) {
        std::string text = "\"";
        for (char c : path) {
            if (c == '"' || c == '\\') text += '\\';
            text += c;
        }
        return text + "\"";
    }

    // The SFTP commands that put `from` in the place of `to`. The SFTP
    // servers most web spaces run (OpenSSH's among them) will not rename over
    // an existing file, and libcurl cannot ask for their extension that does:
    // the old file steps aside under a hidden name for the moment of the
    // rename, then goes. A connection cut just then leaves it whole under
    // that name and the next run sends the file again.
    std::vector<std::string> placing(const std::string& from, const std::string& to, bool replacing) const {
        const std::string rename = "rename " + quoted(absolute(from)) + " " + quoted(absolute(to));
        if (!replacing) return {rename};
        const std::string old = absolute(folderOf(to) + "." + nameOf(to) + ".sitebuilder-old");
        return {"*rm " + quoted(old), "*rename " + quoted(absolute(to)) + " " + quoted(old), rename,
                "*rm " + quoted(old)};
    }

    // The local file read for an upload: exactly the bytes planned, or the
    // upload stops (a file that changes on its way is not put in place).
    struct Source {
        std::FILE* file = nullptr;
        std::int64_t left = 0;
        bool changed = false;
    };

    static std::size_t readExactly(char* buffer, std::size_t size, std::size_t count, void* data) {
        auto* source = static_cast<Source*>(data);
        const std::size_t read = std::fread(buffer, 1, size * count, source->file);
        source->left -= std::int64_t(read);
        if (source->left < 0 || (read == 0 && source->left != 0) || std::ferror(source->file)) {
            source->changed = true;
            return CURL_READFUNC_ABORT;
        }
        return read;
    }

    // Sends `size` bytes of a local file to `path`, making the folders it
    // needs, then runs `after` (SFTP commands) when the server has it all.
    Result upload(const std::string& localFile, std::int64_t size, const std::string& path,
                  const std::vector<std::string>& after, const std::function<void(std::int64_t)>& sent,
                  const std::atomic<bool>& cancel, CURLcode* code = nullptr) {
        std::FILE* file = std::fopen(localFile.c_str(), "rb");
        if (file == nullptr) return {Problem::Failed, "cannot read " + localFile};
        Source source{file, size};
        curl_slist* list = nullptr;
        for (const auto& line : after) list = curl_slist_append(list, line.c_str());
        Result result;
        CURLcode failed = CURLE_OK;
        bool saidWhy = false;
        {
            Handle handle(*this);
            Watch watch{&sent, &cancel};
            curl_easy_setopt(handle.curl, CURLOPT_URL, url(path).c_str());
            curl_easy_setopt(handle.curl, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(handle.curl, CURLOPT_READFUNCTION, &CurlTransport::readExactly);
            curl_easy_setopt(handle.curl, CURLOPT_READDATA, &source);
            curl_easy_setopt(handle.curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
            curl_easy_setopt(handle.curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
            // Large writes let SFTP keep many packets in flight: several
            // times the speed of the default on a fast link.
            curl_easy_setopt(handle.curl, CURLOPT_UPLOAD_BUFFERSIZE, 1L << 20);
            curl_easy_setopt(handle.curl, CURLOPT_NOPROGRESS, 0L);
            curl_easy_setopt(handle.curl, CURLOPT_XFERINFOFUNCTION, &CurlTransport::watchTransfer);
            curl_easy_setopt(handle.curl, CURLOPT_XFERINFODATA, &watch);
            if (list != nullptr) curl_easy_setopt(handle.curl, CURLOPT_POSTQUOTE, list);
            result = perform(handle);
            failed = handle.code;
            saidWhy = handle.error[0] != '\0';
        }
        std::fclose(file);
        curl_slist_free_all(list);
        if (code != nullptr) *code = failed;
        if (source.changed) return {Problem::Failed, "the file changed while it was sent"};
        if (result.problem == Problem::Failed &&
            (failed == CURLE_REMOTE_DISK_FULL || result.detail.find("space") != std::string::npos ||
             result.detail.find("quota") != std::string::npos))
            result.problem = Problem::NoSpace;
        // An SFTP server that stops taking a file it opened says no more
        // than "failure", and so does a connection that breaks: when the
        // connection still works, the server's disk or quota is full.
        if (address_.scheme == Address::Scheme::Sftp && failed == CURLE_SSH && !saidWhy && !cancel &&
            remove(path).problem != Problem::Connection) {
            result.problem = Problem::NoSpace;
            result.detail = "the server stopped taking the file";
        }
        return result;
    }

    // Runs commands in the folder `folder` (FTP: after changing into it).
    Result commands(const std::string& folder, const std::vector<std::string>& lines) {
        Handle handle(*this);
        curl_slist* list = nullptr;
        for (const auto& line : lines) list = curl_slist_append(list, line.c_str());
        curl_easy_setopt(handle.curl, CURLOPT_URL, url(folder).c_str());
        curl_easy_setopt(handle.curl, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(handle.curl, address_.scheme == Address::Scheme::Sftp ? CURLOPT_QUOTE : CURLOPT_POSTQUOTE,
                         list);
        Result result = perform(handle);
        curl_slist_free_all(list);
        if (result.problem == Problem::Missing) result.problem = Problem::Failed;
        if (handle.code == CURLE_QUOTE_ERROR && lines.size() == 1 &&
            (handle.detail.find("No such file") != std::string::npos || handle.detail.find("550") != std::string::npos))
            result.problem = Problem::Missing;  // removing what is already gone
        return result;
    }

    Result perform(Handle& handle) {
        handle.error[0] = '\0';
        handle.hostKeyProblem = Problem::None;
        handle.code = curl_easy_perform(handle.curl);
        if ((handle.code == CURLE_PEER_FAILED_VERIFICATION || handle.code == CURLE_SSL_PINNEDPUBKEYNOTMATCH) &&
            address_.scheme == Address::Scheme::Ftps && askAboutCertificate()) {
            pinCertificate(handle);
            handle.error[0] = '\0';
            handle.code = curl_easy_perform(handle.curl);
        }
        handle.detail = handle.error[0] != '\0' ? handle.error : curl_easy_strerror(handle.code);
        if (handle.code == CURLE_OK) {
            loggedIn_ = true;
            return {};
        }
        Result result{Problem::Failed, handle.detail};
        switch (handle.code) {
        case CURLE_REMOTE_FILE_NOT_FOUND:
            result.problem = Problem::Missing;
            break;
        case CURLE_ABORTED_BY_CALLBACK:
            result.problem = Problem::Cancelled;
            break;
        case CURLE_LOGIN_DENIED:
            result.problem = Problem::Login;
            break;
        case CURLE_REMOTE_DISK_FULL:
            result.problem = Problem::NoSpace;
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_USE_SSL_FAILED:
        case CURLE_WEIRD_SERVER_REPLY:
            result.problem = Problem::Connection;
            break;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_CACERT_BADFILE:
            if (address_.scheme == Address::Scheme::Sftp)
                result.problem = handle.hostKeyProblem != Problem::None ? handle.hostKeyProblem : Problem::ChangedHostKey;
            else
                result.problem = Problem::UntrustedCertificate;
            break;
        case CURLE_SSH:
            // libssh2 reports a refused login and a dropped connection alike.
            if (handle.detail.find("uthentication") != std::string::npos ||
                handle.detail.find("ogin") != std::string::npos)
                result.problem = Problem::Login;
            break;
        default:
            break;
        }
        // The same login went through before: the server went away while a
        // new connection was logging in (SSH tells the two apart no better).
        if (result.problem == Problem::Login && loggedIn_) result.problem = Problem::Connection;
        return result;
    }

    // Shows the server's certificate to the user; a yes pins its public key.
    bool askAboutCertificate() {
        CURL* probe = curl_easy_init();
        curl_easy_setopt(probe, CURLOPT_URL, (origin_ + "/").c_str());
        curl_easy_setopt(probe, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        curl_easy_setopt(probe, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(probe, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(probe, CURLOPT_CERTINFO, 1L);
        curl_easy_setopt(probe, CURLOPT_CONNECTTIMEOUT, 20L);
        curl_easy_setopt(probe, CURLOPT_NOBODY, 1L);
        // Nobody's password goes to a server not yet trusted.
        curl_easy_setopt(probe, CURLOPT_USERNAME, "anonymous");
        curl_easy_setopt(probe, CURLOPT_PASSWORD, "");
        curl_easy_perform(probe);
        curl_certinfo* info = nullptr;
        curl_easy_getinfo(probe, CURLINFO_CERTINFO, &info);
        std::string description, pem;
        if (info != nullptr && info->num_of_certs > 0) {
            for (curl_slist* field = info->certinfo[0]; field != nullptr; field = field->next) {
                const std::string text = field->data;
                for (const char* name : {"Subject:", "Issuer:", "Start date:", "Expire date:"})
                    if (text.starts_with(name)) description += text + "\n";
                if (text.starts_with("Cert:")) pem = text.substr(5);
            }
        }
        curl_easy_cleanup(probe);
        if (pem.empty()) return false;
        std::string der;
        {
            std::istringstream in(pem);
            std::string body;
            for (std::string line; std::getline(in, line);)
                if (!line.starts_with("-----")) body += line;
            der = unbase64(body);
        }
        const auto* start = reinterpret_cast<const unsigned char*>(der.data());
        X509* certificate = d2i_X509(nullptr, &start, long(der.size()));
        if (certificate == nullptr) return false;
        unsigned char* key = nullptr;
        const int keyLength = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &key);
        X509_free(certificate);
        if (keyLength <= 0) return false;
        const std::string pin = "sha256//" + sha256Base64(std::string_view(reinterpret_cast<char*>(key), keyLength), true);
        OPENSSL_free(key);
        description += "SHA-256: " + publish::sha256Hex(der) + "\n";

        std::lock_guard guard(questionLock_);
        if (pin_ == pin) return true;  // accepted meanwhile on the other connection
        if (!questions_.acceptCertificate || !questions_.acceptCertificate(withoutBrackets(address_.host), description))
            return false;
        pin_ = pin;
        std::vector<std::string> kept;
        for (const std::string& line : lines(certificateStore()))
            if (!line.starts_with(hostAndPort_ + " ")) kept.push_back(line);
        kept.push_back(hostAndPort_ + " " + pin);
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(certificateStore()).parent_path(), error);
        const std::string part = certificateStore() + ".part";
        {
            std::ofstream out(part, std::ios::trunc);
            for (const auto& line : kept) out << line << '\n';
        }
        std::filesystem::rename(part, certificateStore(), error);
        return true;
    }

    Address address_;
    publish::Credentials credentials_;
    publish::Questions questions_;
    std::string origin_, knownHosts_, hostAndPort_;
    std::mutex lock_;
    std::condition_variable freed_;
    Slot slots_[2];
    std::mutex questionLock_;  // one question at a time; guards what the answers change
    std::string trustedKey_, pin_;
    std::atomic<bool> loggedIn_ = false;  // a call went through with these credentials
};

}  // namespace

std::unique_ptr<publish::Transport> makeCurlTransport(const publish::Address& address,
                                                      const publish::Credentials& credentials,
                                                      const publish::Questions& questions) {
    return std::make_unique<CurlTransport>(address, credentials, questions);
}

}  // namespace sb
