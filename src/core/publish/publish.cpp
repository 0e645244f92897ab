#include "publish/publish.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "publish/plan.h"
#include "publish/sha256.h"
#include "publish/transport.h"

namespace sb::publish {

namespace fs = std::filesystem;

// --- the address ------------------------------------------------------------

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) return std::nullopt;
        decoded += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
        i += 2;
    }
    return decoded;
}

}  // namespace

std::optional<Address> parseAddress(const std::string& typed) {
    std::string_view text = typed;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    const auto schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos) return std::nullopt;
    Address address;
    const std::string scheme = lower(std::string(text.substr(0, schemeEnd)));
    if (scheme == "sftp") address.scheme = Address::Scheme::Sftp, address.port = 22;
    else if (scheme == "ftps") address.scheme = Address::Scheme::Ftps, address.port = 21;
    else if (scheme == "ftp") address.scheme = Address::Scheme::Ftp, address.port = 21;
    else return std::nullopt;
    text.remove_prefix(schemeEnd + 3);
    if (text.find_first_of("?#\r\n\t") != std::string_view::npos) return std::nullopt;
    const auto pathStart = text.find('/');
    std::string_view authority = text.substr(0, pathStart);
    const std::string_view path = pathStart == std::string_view::npos ? "/" : text.substr(pathStart);
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        const auto user = percentDecoded(authority.substr(0, at));
        if (!user || user->empty() || user->find(':') != std::string::npos) return std::nullopt;  // no password in it
        address.user = *user;
        authority.remove_prefix(at + 1);
    }
    std::string_view portText;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        address.host = std::string(authority.substr(0, close + 1));
        const auto rest = authority.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return std::nullopt;
        if (!rest.empty()) portText = rest.substr(1);
        if (rest == ":") return std::nullopt;
    } else {
        const auto colon = authority.find(':');
        address.host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = authority.substr(colon + 1);
            if (portText.empty()) return std::nullopt;
        }
    }
    if (address.host.empty() || address.host == "[]" ||
        address.host.find_first_of(" /\\%@") != std::string::npos)
        return std::nullopt;
    address.host = lower(address.host);
    if (!portText.empty()) {
        int port = 0;
        const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (error != std::errc() || end != portText.data() + portText.size() || port < 1 || port > 65535)
            return std::nullopt;
        address.port = port;
    }
    auto decoded = percentDecoded(path);
    if (!decoded || decoded->find('\0') != std::string::npos) return std::nullopt;
    // Folders only: no "." or ".." steps, which a server may read differently.
    std::string clean = "/";
    std::size_t start = 1;
    while (start <= decoded->size()) {
        auto end = decoded->find('/', start);
        if (end == std::string::npos) end = decoded->size();
        const std::string_view segment = std::string_view(*decoded).substr(start, end - start);
        if (segment == "." || segment == "..") return std::nullopt;
        if (!segment.empty()) {
            clean += segment;
            clean += '/';
        }
        start = end + 1;
    }
    address.path = clean;
    return address;
}

std::string cacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/sitebuilder/publish";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/tmp") + "/.cache/sitebuilder/publish";
}

// --- one run ----------------------------------------------------------------

namespace {

struct LocalFile {
    std::int64_t size = 0;
    std::int64_t changed = 0;  // nanoseconds
    std::string sha256;
};

bool isPublished(const std::string& name) { return !name.starts_with('.') || name == ".htaccess"; }

// Every file the site holds, by '/'-separated path under the folder. Links
// to files count as the files; links to folders are not followed.
bool listSite(const std::string& folder, std::map<std::string, LocalFile>& files) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return false;
    std::vector<std::string> pending = {""};
    while (!pending.empty()) {
        const std::string relative = std::move(pending.back());
        pending.pop_back();
        fs::directory_iterator entries(fs::path(folder) / relative, error);
        if (error) continue;
        for (const auto& entry : entries) {
            const std::string name = entry.path().filename().string();
            if (!isPublished(name)) continue;
            const std::string path = relative.empty() ? name : relative + "/" + name;
            std::error_code typeError;
            if (entry.is_symlink(typeError) ? false : entry.is_directory(typeError)) {
                pending.push_back(path);
                continue;
            }
            struct stat info {};
            if (::stat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
            LocalFile file;
            file.size = info.st_size;
            file.changed = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
            files[path] = file;
        }
    }
    return true;
}

bool writeWhole(const fs::path& path, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    const fs::path part = path.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << bytes;
        out.flush();
        if (!out) return false;
    }
    fs::rename(part, path, error);
    return !error;
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The local files' hashes from the last run, so that a file whose size and
// time did not change is not read again: "<sha256> <size> <time> <path>".
void loadHashes(const fs::path& file, const std::string& siteFolder, std::map<std::string, LocalFile>& files) {
    const std::string text = readWhole(file);
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != "site " + escapePath(siteFolder)) return;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string hash, path;
        std::int64_t size = -1, changed = -1;
        if (!(fields >> hash >> size >> changed) || hash.size() != 64) continue;
        fields.get();
        std::getline(fields, path);
        const auto found = files.find(unescapePath(path));
        if (found != files.end() && found->second.size == size && found->second.changed == changed)
            found->second.sha256 = hash;
    }
}

void saveHashes(const fs::path& file, const std::string& siteFolder, const std::map<std::string, LocalFile>& files) {
    std::string text = "site " + escapePath(siteFolder) + "\n";
    for (const auto& [path, local] : files) {
        if (local.sha256.empty()) continue;
        text += local.sha256 + " " + std::to_string(local.size) + " " + std::to_string(local.changed) + " " +
                escapePath(path) + "\n";
    }
    writeWhole(file, text);
}

// The journal: what this machine put in place or removed since the manifest
// on the server was last written. Its first line names that manifest (its
// hash, or "none"); it counts only while the server still holds that one.
class Journal {
public:
    Journal(fs::path file) : file_(std::move(file)) {}

    void applyTo(Manifest& manifest, const std::string& base) const {
        const std::string text = readWhole(file_);
        std::istringstream lines(text);
        std::string line;
        if (!std::getline(lines, line) || line != "base " + base) return;
        while (std::getline(lines, line)) {
            if (line.starts_with("- ")) {
                manifest.erase(unescapePath(line.substr(2)));
            } else if (line.starts_with("+ ")) {
                const Manifest one = parseManifest("sitebuilder-manifest 1\n" + line.substr(2) + "\n");
                if (one.size() == 1) manifest[one.begin()->first] = one.begin()->second;
            }
        }
    }

    // Starts a journal over the manifest the server holds, keeping what
    // `manifest` already took from the old one.
    bool start(const std::string& base, const Manifest& sinceBase, const Manifest& serverManifest) {
        std::string text = "base " + base + "\n";
        for (const auto& [path, state] : sinceBase) {
            const auto old = serverManifest.find(path);
            if (old == serverManifest.end() || old->second != state)
                text += "+ " + state.sha256 + " " + std::to_string(state.size) + " " + escapePath(path) + "\n";
        }
        for (const auto& [path, state] : serverManifest)
            if (!sinceBase.contains(path)) text += "- " + escapePath(path) + "\n";
        return writeWhole(file_, text);
    }

    void put(const std::string& path, const FileState& state) {
        append("+ " + state.sha256 + " " + std::to_string(state.size) + " " + escapePath(path) + "\n");
    }
    void removed(const std::string& path) { append("- " + escapePath(path) + "\n"); }

private:
    void append(const std::string& line) {
        std::ofstream out(file_, std::ios::binary | std::ios::app);
        out << line;
    }
    fs::path file_;
};

struct Words {
    bool english;
    std::string operator()(std::string italian, std::string inEnglish) const { return english ? inEnglish : italian; }
};

std::string problemMessage(Problem problem, const std::string& detail, const std::string& server, Words words) {
    const std::string why = detail.empty() ? "" : " (" + detail + ")";
    switch (problem) {
    case Problem::Connection:
        return words("Non è stato possibile raggiungere il server " + server +
                         ", oppure la connessione si è interrotta" + why + ".",
                     "The server " + server + " could not be reached, or the connection broke" + why + ".");
    case Problem::Login:
        return words("Il server " + server +
                         " ha rifiutato l'accesso: controlla il nome utente, la password o la chiave SSH" + why + ".",
                     "The server " + server + " refused the login: check the user name, the password or the SSH key" +
                         why + ".");
    case Problem::UnknownHost:
        return words("La chiave del server " + server +
                         " non è in ~/.ssh/known_hosts e non è stata accettata: aggiungila (per esempio con "
                         "ssh-keyscan, dopo averne controllato l'impronta) e pubblica di nuovo.",
                     "The key of the server " + server +
                         " is not in ~/.ssh/known_hosts and was not accepted: add it (for instance with ssh-keyscan, "
                         "after checking its fingerprint) and publish again.");
    case Problem::ChangedHostKey:
        return words("La chiave del server " + server +
                         " è diversa da quella in ~/.ssh/known_hosts: connessione rifiutata, perché qualcuno potrebbe "
                         "spacciarsi per il server. Se la chiave è cambiata davvero, togli quella vecchia "
                         "(ssh-keygen -R) e pubblica di nuovo.",
                     "The key of the server " + server +
                         " differs from the one in ~/.ssh/known_hosts: the connection was refused, since someone may "
                         "be posing as the server. If its key really changed, remove the old one (ssh-keygen -R) and "
                         "publish again.");
    case Problem::UntrustedCertificate:
        return words("Il certificato del server " + server +
                         " non è verificabile e non è stato accettato: nulla è stato inviato" + why + ".",
                     "The certificate of the server " + server + " could not be verified and was not accepted: "
                                                                 "nothing was sent" + why + ".");
    case Problem::NoSpace:
        return words("Il disco del server " + server +
                         " è pieno: sul server ci sono solo file interi, vecchi o nuovi; fai spazio e pubblica di nuovo.",
                     "The disk of the server " + server +
                         " is full: the server holds whole old or whole new files only; make room and publish again.");
    default:
        return words("Pubblicazione non riuscita" + why + ".", "Publishing failed" + why + ".");
    }
}

}  // namespace

Outcome publishSite(const std::string& siteFolder, Transport& transport, const Events& events,
                    const std::atomic<bool>& cancel, bool english) {
    const Words words{english};
    std::mutex lock;  // guards everything below that the senders share
    auto log = [&](const std::string& line) {
        if (events.log) events.log(line);
    };
    const std::string server = transport.identity();
    const std::string cancelled = words(
        "Pubblicazione interrotta: sul server ci sono solo file interi, vecchi o nuovi; la prossima pubblicazione "
        "la completa.",
        "Publishing cancelled: the server holds whole old or whole new files only; the next publish completes it.");

    std::map<std::string, LocalFile> local;
    if (!listSite(siteFolder, local))
        return {false, words("La cartella del sito " + siteFolder + " non esiste.",
                             "The site folder " + siteFolder + " does not exist.")};

    const fs::path cache = fs::path(cacheFolder()) / sha256Hex(server).substr(0, 24);
    loadHashes(cache / "hashes", siteFolder, local);
    Manifest site;
    for (auto& [path, file] : local) {
        if (cancel) return {false, cancelled};
        if (file.sha256.empty()) {
            auto hash = sha256OfFile(siteFolder + path);
            if (!hash) {
                log(words("Non letto: ", "Could not read: ") + path);
                continue;
            }
            file.sha256 = *hash;
        }
        site[path] = {file.size, file.sha256};
    }
    saveHashes(cache / "hashes", siteFolder, local);
    const bool allRead = site.size() == local.size();

    std::string serverBytes;
    const Result read = transport.read(kManifestName, serverBytes);
    if (!read.ok() && read.problem != Problem::Missing)
        return {false, read.problem == Problem::Cancelled ? cancelled
                                                           : problemMessage(read.problem, read.detail, server, words)};
    const Manifest serverManifest = read.ok() ? parseManifest(serverBytes) : Manifest();
    const std::string base = read.ok() ? sha256Hex(serverBytes) : "none";
    Manifest onServer = serverManifest;
    Journal journal(cache / "journal");
    journal.applyTo(onServer, base);
    journal.start(base, onServer, serverManifest);

    const Plan plan = makePlan(site, onServer);
    // A run cut short may have left files under the names they bear on
    // their way up: they go (or, for an old file stepped aside whose place
    // is empty, it goes back), only in the site's own folders.
    const fs::path unfinished = cache / "unfinished";
    if (fs::exists(unfinished)) {
        std::set<std::string> folders = {""};
        for (const Manifest* files : {&onServer, &site})
            for (const auto& [path, state] : *files)
                for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
                    folders.insert(path.substr(0, slash + 1));
        for (const auto& folder : folders) {
            if (cancel) break;
            std::vector<std::string> names;
            if (!transport.list(folder, names).ok()) continue;
            const std::set<std::string> there(names.begin(), names.end());
            for (const auto& name : names) {
                for (const std::string suffix : {".sitebuilder-part", ".sitebuilder-old"}) {
                    if (name.size() <= suffix.size() + 1 || !name.starts_with('.') || !name.ends_with(suffix)) continue;
                    const std::string own = name.substr(1, name.size() - suffix.size() - 1);
                    const bool back = suffix == ".sitebuilder-old" && !there.contains(own);
                    const Result result = back ? transport.replace(folder + name, folder + own, false)
                                               : transport.remove(folder + name);
                    if (result.ok())
                        log((back ? words("Rimesso al suo posto: ", "Put back in its place: ") + folder + own
                                  : words("Tolto un file temporaneo rimasto: ", "Removed a leftover temporary file: ") +
                                        folder + name));
                }
            }
        }
    }
    if (plan.uploads() > 0 || !plan.removals.empty()) writeWhole(unfinished, "");
    Progress progress;
    progress.filesTotal = int(plan.uploads() + plan.removals.size());
    for (const auto& phase : plan.phases)
        for (const auto& path : phase) progress.bytesTotal += site[path].size;
    if (events.progress) events.progress(progress);

    Problem stop = Problem::None;
    std::string stopDetail;
    int failures = 0, sent = 0, removed = 0;
    std::int64_t bytesOfDone = 0;

    // Sends one file and puts it in place; true when it is there whole.
    auto sendOne = [&](const std::string& path, const std::string& source, std::int64_t size,
                       bool replacing) -> Result {
        const std::string temporary = temporaryName(path);
        const auto sentSoFar = [&](std::int64_t bytes) {
            std::lock_guard guard(lock);
            Progress now = progress;
            now.bytesDone = bytesOfDone + bytes;
            if (events.progress) events.progress(now);
        };
        auto inSteps = [&]() -> Result {
            Result result = transport.send(source, temporary, sentSoFar, cancel);
            if (!result.ok()) return result;
            std::int64_t there = -1;
            result = transport.size(temporary, there);
            if (!result.ok()) return result;
            if (there != size)
                return {Problem::Failed, words("dimensione sbagliata sul server", "wrong size on the server")};
            return transport.replace(temporary, path, replacing);
        };
        auto put = transport.put(source, size, temporary, path, replacing, sentSoFar, cancel);
        const Result result = put ? *put : inSteps();
        // What went up of it goes: on a full disk it holds the room that the
        // other files need. (A broken connection cannot take it away; the
        // next run's upload of the file overwrites it.)
        if (result.problem == Problem::Failed || result.problem == Problem::NoSpace) transport.remove(temporary);
        return result;
    };

    for (const auto& phase : plan.phases) {
        std::atomic<std::size_t> next = 0;
        auto sender = [&] {
            for (;;) {
                {
                    std::lock_guard guard(lock);
                    if (stop != Problem::None || cancel) return;
                }
                const std::size_t index = next++;
                if (index >= phase.size()) return;
                const std::string& path = phase[index];
                const FileState state = site.at(path);
                bool replacing;
                {
                    std::lock_guard guard(lock);
                    replacing = onServer.contains(path);
                }
                const Result result = sendOne(path, siteFolder + path, state.size, replacing);
                std::lock_guard guard(lock);
                if (result.ok()) {
                    onServer[path] = state;
                    journal.put(path, state);
                    ++sent;
                    log(words("Inviato: ", "Sent: ") + path);
                } else if (result.problem == Problem::Cancelled) {
                    // said once at the end
                } else {
                    ++failures;
                    log(words("Non inviato: ", "Not sent: ") + path + (result.detail.empty() ? "" : " (" + result.detail + ")"));
                    if (stopsRun(result.problem) && stop == Problem::None) {
                        stop = result.problem;
                        stopDetail = result.detail;
                    }
                }
                ++progress.filesDone;
                bytesOfDone += state.size;
                progress.bytesDone = bytesOfDone;
                if (events.progress) events.progress(progress);
            }
        };
        const int count = std::clamp(transport.connections(), 1, 2);
        std::vector<std::thread> helpers;
        for (int i = 1; i < count && phase.size() > 1; ++i) helpers.emplace_back(sender);
        sender();
        for (auto& helper : helpers) helper.join();
        // The pages wait for every picture they show.
        if (failures > 0 || stop != Problem::None || cancel) break;
    }

    const bool uploadsDone = failures == 0 && stop == Problem::None && !cancel;
    if (uploadsDone && allRead) {
        for (const auto& path : plan.removals) {
            if (cancel) break;
            const Result result = transport.remove(path);
            if (result.ok() || result.problem == Problem::Missing) {
                onServer.erase(path);
                journal.removed(path);
                ++removed;
                log(words("Tolto: ", "Removed: ") + path);
            } else {
                ++failures;
                log(words("Non tolto: ", "Not removed: ") + path + " (" + result.detail + ")");
                if (stopsRun(result.problem)) {
                    stop = result.problem;
                    stopDetail = result.detail;
                    break;
                }
            }
            ++progress.filesDone;
            if (events.progress) events.progress(progress);
        }
    }

    // The manifest on the server, after the files it lists.
    bool manifestWritten = onServer == serverManifest && read.ok();
    if (!manifestWritten && stop == Problem::None && !cancel) {
        const std::string text = composeManifest(onServer);
        const fs::path copy = cache / "manifest";
        Result result{Problem::Failed, words("copia locale non scritta", "local copy not written")};
        if (writeWhole(copy, text)) result = sendOne(kManifestName, copy.string(), std::int64_t(text.size()), read.ok());
        if (result.ok()) {
            manifestWritten = true;
            journal.start(sha256Hex(text), onServer, onServer);
        } else if (stopsRun(result.problem)) {
            stop = result.problem;
            stopDetail = result.detail;
        } else {
            log(words("Elenco dei file sul server non scritto", "List of files on the server not written") +
                (result.detail.empty() ? "" : " (" + result.detail + ")"));
        }
    }

    if (stop != Problem::None) return {false, problemMessage(stop, stopDetail, server, words)};
    if (cancel) return {false, cancelled};
    if (failures > 0 || !allRead || !manifestWritten) {
        const int notDone = failures + int(local.size() - site.size());
        return {false, words("Pubblicazione incompleta: " + std::to_string(notDone) +
                                 " file non inviati o non tolti (vedi il registro); sul server ci sono solo file "
                                 "interi, vecchi o nuovi.",
                             "Publishing incomplete: " + std::to_string(notDone) +
                                 " files not sent or not removed (see the log); the server holds whole old or whole "
                                 "new files only.")};
    }
    std::error_code ignored;
    fs::remove(unfinished, ignored);
    if (sent == 0 && removed == 0)
        return {true, words("Il sito sul server è già aggiornato.", "The site on the server is already up to date.")};
    return {true, words("Sito pubblicato: " + std::to_string(sent) + " file inviati, " + std::to_string(removed) +
                            " tolti.",
                        "Site published: " + std::to_string(sent) + " files sent, " + std::to_string(removed) +
                            " removed.")};
}

}  // namespace sb::publish
