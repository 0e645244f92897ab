// Publishing a site to real servers on 127.0.0.1 through the libcurl transport: what ends
// up on the server, what is sent again, what a cut connection leaves, whom it refuses to trust.
#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "publish/publish.h"
#include "publish/transport.h"
#include "qt/curl_transport.h"
#include "servers.h"

namespace sb::test {
namespace {

struct Published {
    publish::Outcome outcome;
    std::vector<std::string> log;
};

std::ostream& operator<<(std::ostream& out, const Published& run) {
    out << run.outcome.message;
    for (const auto& line : run.log) out << "\n  " << line;
    return out;
}

Published publishTo(const std::string& site, const std::string& address, publish::Credentials credentials = {},
              publish::Questions questions = {}, std::function<void(const publish::Progress&)> progress = {}) {
    const auto parsed = publish::parseAddress(address);
    EXPECT_TRUE(parsed) << address;
    auto transport = makeCurlTransport(*parsed, credentials, questions);
    Published run;
    std::mutex lock;
    publish::Events events;
    events.log = [&](const std::string& line) {
        std::lock_guard guard(lock);
        run.log.push_back(line);
    };
    events.progress = progress;
    std::atomic<bool> cancel = false;
    run.outcome = publish::publishSite(site + "/", *transport, events, cancel, true);
    return run;
}

std::map<std::string, std::string> filesUnder(const std::string& folder, bool withHidden = false) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().filename();
        if (name.starts_with('.') && !withHidden) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file()) files[fs::relative(it->path(), folder)] = readFile(it->path());
    }
    return files;
}

// The files under `folder` new or sent again (a new inode) since `before`, which becomes now.
std::vector<std::string> sentSince(std::map<std::string, ino_t>& before, const std::string& folder) {
    std::vector<std::string> sent;
    std::map<std::string, ino_t> now;
    for (const auto& [path, bytes] : filesUnder(folder)) {
        struct stat info {};
        ::stat((folder + "/" + path).c_str(), &info);
        if (!before.contains(path) || before.at(path) != info.st_ino) sent.push_back(path);
        now[path] = info.st_ino;
    }
    before = now;
    return sent;
}

std::string bytes(int count, char seed) {
    std::string text(count, ' ');
    for (int i = 0; i < count; ++i) text[i] = char(seed + i * 7 + i / 251);
    return text;
}

// A written site: pages, scripts, pictures, thumbnails, names with blanks, accents, '#', '%', '&'.
struct Site {
    TempDir folder;
    Site() {
        put("index.htm", "<html>home</html>");
        put("Parametri_by_Velmora.js", "var a=1;");
        put("Immagini_by_Velmora.js", "var Gruppi_Immagini=[];");
        put("galleria_by_Velmora.js", bytes(30000, 'g'));
        put("Mare/Faro.jpg", bytes(400000, 'f'));
        put("Mare/Scogli è #1 al 100% & più.jpg", bytes(300000, 's'));
        put("Miniature_by_Velmora/0123456789abcdef_230x160.jpg", bytes(9000, 'm'));
        put("Gite in montagna/Lago.png", bytes(250000, 'l'));
    }
    void put(const std::string& path, const std::string& text) { makeFile(folder / path, text); }
    std::string str() const { return folder.str(); }
};

class PublishSftp : public ::testing::Test {
public:
    void SetUp() override { ASSERT_TRUE(servers.startSsh()) << "sshd did not start"; }
    ServerHome servers;
    Site site;
};

// The same publishing runs over SFTP and FTPS, whose certificate does not verify: the user
// refuses it the first time it is shown, and accepts it the second.
class Publish : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(GetParam() ? servers.startFtps() : servers.startSsh()) << "the server did not start";
        questions.acceptCertificate = [this](const std::string& host, const std::string& certificate) {
            shown = host + "\n" + certificate;
            return ++asked > 1;
        };
    }
    Published publish() { return publishTo(site.str(), address, {}, questions); }
    ServerHome servers;
    Site site;
    std::string address = GetParam() ? servers.ftpsAddress() : servers.sftpAddress();
    std::string served = GetParam() ? servers.ftpServed : servers.served;
    publish::Questions questions;
    int asked = 0;
    std::string shown;
};
INSTANTIATE_TEST_SUITE_P(Servers, Publish, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Ftps" : "Sftp"; });

TEST_P(Publish, KeepsTheServerInStepWithTheSiteSendingOnlyWhatChanged) {
    auto run = publish();
    if (GetParam()) {  // refused: nothing is sent
        EXPECT_FALSE(run.outcome.complete);
        EXPECT_NE(run.outcome.message.find("could not be verified and was not accepted"), std::string::npos) << run;
        EXPECT_NE(shown.find("publish-test"), std::string::npos) << shown;
        EXPECT_NE(shown.find("SHA-256: "), std::string::npos) << shown;
        EXPECT_EQ(filesUnder(served), (std::map<std::string, std::string>{}));
        run = publish();
    }
    ASSERT_TRUE(run.outcome.complete) << run;
    EXPECT_EQ(filesUnder(served), filesUnder(site.str()));
    EXPECT_EQ(run.log.back(), "Sent: index.htm");  // the home page last

    std::map<std::string, ino_t> inodes;
    sentSince(inodes, served);
    run = publish();
    ASSERT_TRUE(run.outcome.complete) << run;
    EXPECT_EQ(run.outcome.message, "The site on the server is already up to date.");
    EXPECT_EQ(sentSince(inodes, served), std::vector<std::string>{});

    site.put("Mare/Faro.jpg", bytes(400000, 'F'));
    site.put("Immagini_by_Velmora.js", "var Gruppi_Immagini=[1];");
    run = publish();
    ASSERT_TRUE(run.outcome.complete) << run;
    EXPECT_EQ(sentSince(inodes, served), (std::vector<std::string>{"Immagini_by_Velmora.js", "Mare/Faro.jpg"}));
    EXPECT_EQ(filesUnder(served), filesUnder(site.str()));

    // A picture taken out of the site goes; the user's own file stays, and so does one hidden locally.
    makeFile(served + "/Mare/mine.txt", "the user's");
    fs::remove(site.folder / "Mare/Scogli è #1 al 100% & più.jpg");
    site.put(".hidden-notes", "not for the web");
    run = publish();
    ASSERT_TRUE(run.outcome.complete) << run;
    EXPECT_FALSE(fs::exists(served + "/Mare/Scogli è #1 al 100% & più.jpg"));
    EXPECT_EQ(readFile(served + "/Mare/mine.txt"), "the user's");
    EXPECT_FALSE(fs::exists(served + "/.hidden-notes"));
    EXPECT_EQ(asked, GetParam() ? 2 : 0);  // accepted once, the certificate is not asked about again
}

// Every file on the server is a whole old or a whole new one, and (`withHidden`) no part
// of a file is left under its temporary name; returns how many are new.
int expectWholeOldOrNew(const std::string& served, const std::map<std::string, std::string>& old,
                        const std::map<std::string, std::string>& fresh, bool withHidden = true) {
    int newOnes = 0;
    for (const auto& [path, text] : filesUnder(served, withHidden)) {
        if (path.ends_with(".sitebuilder-manifest")) continue;
        const bool whole = (fresh.contains(path) && text == fresh.at(path)) || (old.contains(path) && text == old.at(path));
        EXPECT_TRUE(whole) << path;
        newOnes += fresh.contains(path) && text == fresh.at(path);
    }
    return newOnes;
}

// Publishes the site, then changes every file and adds two pictures: the run, which `progress`
// may break, fails saying `said` and leaves whole files (`withHidden`: under their own names) and
// the old home page; after `mend` the next run completes and the server holds the new files alone.
void cutShortThenWhole(PublishSftp& t, int bigBytes, const char* said, bool withHidden,
                       const std::function<void(const publish::Progress&)>& progress, const std::function<void()>& mend) {
    ASSERT_TRUE(publishTo(t.site.str(), t.servers.sftpAddress()).outcome.complete);
    const auto old = filesUnder(t.servers.served);
    for (const auto& [path, text] : old) t.site.put(path, text + "new");
    t.site.put("Mare/Nuova.jpg", bytes(200000, 'n'));
    t.site.put("Mare/Grande.jpg", bytes(bigBytes, 'G'));
    const auto run = publishTo(t.site.str(), t.servers.sftpAddress(), {}, {}, progress);
    EXPECT_FALSE(run.outcome.complete) << run;
    EXPECT_NE(run.outcome.message.find(said), std::string::npos) << run;
    const auto fresh = filesUnder(t.site.str());
    EXPECT_LT(expectWholeOldOrNew(t.servers.served, old, fresh, withHidden), int(fresh.size()));
    EXPECT_EQ(readFile(t.servers.served + "/index.htm"), old.at("index.htm"));  // the home page waits for the rest
    mend();
    const auto again = publishTo(t.site.str(), t.servers.sftpAddress());
    EXPECT_TRUE(again.outcome.complete) << again;
    EXPECT_EQ(expectWholeOldOrNew(t.servers.served, {}, filesUnder(t.site.str())), int(filesUnder(t.site.str()).size()));
}

TEST_F(PublishSftp, AServerKilledInTheMiddleLeavesWholeFilesAndTheNextRunCompletes) {
    bool killed = false;
    const auto killWhileSending = [&](const publish::Progress& progress) {
        if (!killed && progress.bytesDone > 2000000) {
            killed = true;
            servers.ssh.kill();
        }
    };
    cutShortThenWhole(*this, 6000000, "could not be reached, or the connection broke", false, killWhileSending, [&] {
        EXPECT_TRUE(killed);
        EXPECT_TRUE(servers.startSsh());
        fs::remove(site.folder / "Mare/Grande.jpg");  // cut short, then taken out of the site: it goes all the same
    });
}

// A small file system of the test's own under the server's folder, so that its disk fills up.
struct SmallDisk {
    std::string folder;
    bool mounted = false;
    SmallDisk(const std::string& at, const char* size) : folder(at) {
        mounted = run("mount -t tmpfs -o size=" + std::string(size) + " sitebuilder-test '" + folder + "'") == 0;
    }
    bool resize(const char* size) { return run("mount -o remount,size=" + std::string(size) + " '" + folder + "'") == 0; }
    ~SmallDisk() {
        if (mounted) run("umount -l '" + folder + "'");
    }
};

TEST_F(PublishSftp, AFullDiskLeavesWholeOldFilesAndTheNextRunCompletes) {
    SmallDisk disk(servers.served, "1200k");  // the site, and a fifth of it again
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a small file system here (mounting needs root's rights)";
    cutShortThenWhole(*this, 2000000, "is full: the server holds whole old or whole new files only", true, {},
                      [&] { EXPECT_TRUE(disk.resize("8m")); });  // the user makes room
}

// Whom the program will not trust: each case refuses before a file is sent.
TEST_F(PublishSftp, RefusesAWrongPasswordAndHostKeysItCannotTrust) {
    const std::string knownHosts = servers.home / ".ssh/known_hosts";
    const std::string theKey = readFile(knownHosts);
    struct Case { const char* name; std::string knownHosts, password; bool trust; const char* said; };  // said: empty when complete
    const Case cases[] = {
        {"wrong password", theKey, "wrong", false, "refused the login"},
        {"unknown host, not trusted", "", "", false, "ssh-keyscan"},
        // another key of the right type: the user's own
        {"changed host key", "[127.0.0.1]:" + servers.sshPort + " " + readFile(servers.home / ".ssh/id_ed25519.pub"),
         "", true, "differs from the one in ~/.ssh/known_hosts"},
        {"unknown host, trusted", "", "", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeFile(knownHosts, c.knownHosts);
        std::string asked;
        publish::Questions questions;
        questions.trustNewHost = [&](const std::string& host, const std::string& type, const std::string& print) {
            asked = host + " " + type + " " + print;
            return c.trust;
        };
        const auto run = publishTo(site.str(), servers.sftpAddress(), {"", c.password, ""}, questions);
        if (c.said[0] == '\0') {
            EXPECT_TRUE(run.outcome.complete) << run;
            EXPECT_TRUE(asked.starts_with("127.0.0.1 ssh-ed25519 SHA256:")) << asked;
            EXPECT_EQ(readFile(knownHosts), theKey);  // the key as ssh-keyscan gives it
        } else {
            EXPECT_FALSE(run.outcome.complete);
            EXPECT_NE(run.outcome.message.find(c.said), std::string::npos) << run;
            EXPECT_EQ(filesUnder(servers.served), (std::map<std::string, std::string>{}));
        }
    }
}

// The program itself, without a window: exit status 0 only for a whole site.
TEST_F(PublishSftp, FromTheCommandLine) {
    const std::string command = std::string(SB_APP_DIR) + "/sitebuilder --publish '" + site.str() + "' " +
                                servers.sftpAddress() + " 2>" + servers.home / "said";
    EXPECT_EQ(WEXITSTATUS(std::system(("LANG=it_IT.UTF-8 " + command).c_str())), 0) << readFile(servers.home / "said");
    EXPECT_NE(readFile(servers.home / "said").find("Inviato: index.htm"), std::string::npos);
    EXPECT_EQ(filesUnder(servers.served), filesUnder(site.str()));

    makeFile(servers.home / ".ssh/known_hosts", "");
    EXPECT_EQ(WEXITSTATUS(std::system(("LANG=C " + command).c_str())), 1);
    EXPECT_NE(readFile(servers.home / "said").find("ssh-keyscan"), std::string::npos) << readFile(servers.home / "said");
}

}  // namespace
}  // namespace sb::test
