// Real servers for the publishing tests: an sshd and a vsftpd on 127.0.0.1, on free high ports,
// keys and a certificate made in a temporary folder that is also the user's home.
#pragma once

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "temp_dir.h"

namespace sb::test {

namespace fs = std::filesystem;

inline sockaddr_in loopback(int port) { return {AF_INET, htons(std::uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}}; }

// A port on 127.0.0.1 that nothing listens on now.
inline int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    int port = 0;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if (::bind(s, any, length) == 0 && ::getsockname(s, any, &length) == 0) port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

// Whether a server takes connections on `port` of 127.0.0.1.
inline bool accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool taken = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return taken;
}

inline int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// A server process of the test's own and every process it starts.
class Server {
public:
    ~Server() { kill(); }

    bool start(const std::vector<std::string>& arguments, int port, const std::string& log) {
        pid_ = ::fork();
        if (pid_ == 0) {
            std::freopen(log.c_str(), "a", stderr);
            std::freopen("/dev/null", "w", stdout);
            std::vector<char*> argv;
            for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            if (accepts(port)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    // Kills the server and the sessions it serves (sshd puts each in a session of its own), at once.
    void kill() {
        if (pid_ <= 0) return;
        killTree(pid_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    static void killTree(pid_t pid) {
        std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
        for (pid_t child; children >> child;) killTree(child);
        ::kill(pid, SIGKILL);
    }
    pid_t pid_ = -1;
};

// The test's home, its servers and the folder they serve.
class ServerHome {
public:
    TempDir home;  // first: the folders below are in it

    ServerHome() {
        ::setenv("HOME", home.str().c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        ::unsetenv("SSH_AUTH_SOCK");
        fs::create_directories(home / ".ssh");
        fs::create_directories(served);
    }

    std::string served = home / "www";  // what the server holds
    std::string sshPort = std::to_string(freePort());
    std::string ftpPort = std::to_string(freePort());

    // An sshd that knows the test's key; known_hosts knows its host key.
    bool startSsh() {
        fs::create_directories("/run/sshd");
        const std::string keys = home / "keys";
        fs::create_directories(keys);
        if (!fs::exists(keys + "/host")) {
            run("ssh-keygen -q -t ed25519 -N '' -f " + keys + "/host");
            run("ssh-keygen -q -t ed25519 -N '' -f " + home / ".ssh/id_ed25519");
            fs::copy_file(home / ".ssh/id_ed25519.pub", keys + "/authorized_keys");
            makeFile(keys + "/sshd_config",
                    "Port " + sshPort + "\nListenAddress 127.0.0.1\nHostKey " + keys + "/host\nAuthorizedKeysFile " +
                        keys + "/authorized_keys\nPidFile none\nPermitRootLogin yes\nStrictModes no\nUsePAM no\n"
                        "PasswordAuthentication yes\nKbdInteractiveAuthentication no\nMaxStartups 20\n"
                        "Subsystem sftp internal-sftp\n");
        }
        std::ifstream key(keys + "/host.pub");
        std::string type, blob;
        key >> type >> blob;
        makeFile(home / ".ssh/known_hosts", "[127.0.0.1]:" + sshPort + " " + type + " " + blob + "\n");
        return ssh.start({"/usr/sbin/sshd", "-D", "-e", "-f", keys + "/sshd_config"}, std::stoi(sshPort),
                         home / "sshd.log");
    }

    std::string sftpAddress() const { return "sftp://root@127.0.0.1:" + sshPort + served + "/"; }

    // A vsftpd with explicit TLS on a self-signed certificate; its anonymous users may write
    // (no system user to make), in a root that only root may change, as vsftpd wants it.
    std::string ftpServed = home / "ftproot/site";
    bool startFtps() {
        const std::string conf = home / "vsftpd";
        fs::create_directories(conf);
        if (!fs::exists(conf + "/cert.pem")) {
            run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=publish-test -keyout " + conf +
                "/key.pem -out " + conf + "/cert.pem");
            fs::create_directories(ftpServed);
            ::chmod(home.str().c_str(), 0755);
            ::chmod((home / "ftproot").c_str(), 0755);
            ::chmod(ftpServed.c_str(), 0777);
            const int low = std::min(freePort(), 65000);
            makeFile(conf + "/vsftpd.conf",
                    "listen=YES\nlisten_address=127.0.0.1\nlisten_port=" + ftpPort +
                        "\nbackground=NO\nlocal_enable=NO\nwrite_enable=YES\nanonymous_enable=YES\n"
                        "no_anon_password=YES\nanon_root=" + home / "ftproot" +
                        "\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\nanon_other_write_enable=YES\n"
                        "anon_umask=022\npasv_enable=YES\npasv_min_port=" + std::to_string(low) + "\npasv_max_port=" + std::to_string(low + 30) +
                        "\nssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
                        "require_ssl_reuse=NO\nrsa_cert_file=" + conf + "/cert.pem\nrsa_private_key_file=" + conf +
                        "/key.pem\nseccomp_sandbox=NO\nsecure_chroot_dir=" + conf + "/empty\n"
                        "xferlog_enable=NO\nmax_per_ip=0\nmax_clients=0\n");
            fs::create_directories(conf + "/empty");
        }
        return ftp.start({"/usr/sbin/vsftpd", conf + "/vsftpd.conf"}, std::stoi(ftpPort), home / "vsftpd.log");
    }

    std::string ftpsAddress() const { return "ftps://anonymous@127.0.0.1:" + ftpPort + "/site/"; }

    Server ssh, ftp;
};

}  // namespace sb::test
