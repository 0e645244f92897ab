#include "site/site_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/sendfile.h>
#endif

#include <cerrno>
#include <cstdio>

#include "common/files.h"
#include "common/text.h"
#include "site/home_page.h"

namespace sb {

namespace {

constexpr const char* kLineBreak = "\r\n";

std::string inFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || isSeparator(folder.back())) return folder + name;
    return folder + kSeparator + name;
}

// The folder the site's files land in: the site folder is a prefix joined
// directly to each name, so this is everything before its last separator.
std::string landingFolder(const std::string& prefix) {
    const std::size_t pos = lastSeparator(prefix);
    if (pos == 0) return ".";
    return prefix.substr(0, pos == 1 ? 1 : pos - 1);
}

enum class CopyResult { Copied, AlreadyInPlace, Failed };

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int d) : fd(d) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

bool copyContent(int from, int to, off_t size) {
#ifdef __linux__
    off_t left = size;
    while (left > 0) {
        const ssize_t sent = ::sendfile(to, from, nullptr, static_cast<std::size_t>(left));
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EINVAL || errno == ENOSYS)) break;  // read and write instead
        if (sent <= 0) return false;
        left -= sent;
    }
    if (left == 0) return true;
    if (::lseek(from, size - left, SEEK_SET) < 0) return false;
#else
    (void)size;
#endif
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
}

// Copies one picture over any file of the target name. Only a regular file
// is copied; a target that is the source itself (the same file reached by
// another path) is left untouched. A read-only target is refused by the
// system, not forced. The checks are made on the open files, with as few
// calls as the copy itself needs: a site is written on every tab change.
CopyResult copyPicture(const std::string& from, const std::string& to) {
    // Non-blocking, so that a pipe fails at once instead of waiting for a
    // writer; it changes nothing for a regular file.
    const Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.fd < 0) return CopyResult::Failed;
    struct stat sourceInfo {};
    if (::fstat(source.fd, &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return CopyResult::Failed;
    // Not truncated on opening: it may be the source itself.
    const Descriptor target(::open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
    if (target.fd < 0) {
        // A read-only file may still be the source itself.
        struct stat existing {};
        const bool same = ::stat(to.c_str(), &existing) == 0 && existing.st_dev == sourceInfo.st_dev &&
                          existing.st_ino == sourceInfo.st_ino;
        return same ? CopyResult::AlreadyInPlace : CopyResult::Failed;
    }
    struct stat targetInfo {};
    if (::fstat(target.fd, &targetInfo) != 0 || !S_ISREG(targetInfo.st_mode)) return CopyResult::Failed;
    if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
        return CopyResult::AlreadyInPlace;
    }
    if (::ftruncate(target.fd, 0) != 0) return CopyResult::Failed;
    return copyContent(source.fd, target.fd, sourceInfo.st_size) ? CopyResult::Copied : CopyResult::Failed;
}

}  // namespace

std::vector<ImageCopy> siteImageCopies(const SiteRequest& request) {
    const Parametri_Sito& p = request.parametri;
    const std::string& folder = p.Cartella_Sito;
    std::vector<ImageCopy> copies;
    copies.reserve(23);
    copies.push_back({inFolder(request.applicationFolder, "blank.gif"), folder + "blank.gif"});
    for (const std::string* image :
         {&p.Nome_Immagine_Sfondo_Sito, &p.Nome_Immagine_Pulsanti_Argomenti, &p.Nome_Sfondo_Pagina_Immagini,
          &p.Nome_Immagine_Sfondo_Diapositiva, &p.Nome_Immagine_Testata, &p.Nome_Immagine_Sfondo_Fumetto_1,
          &p.Nome_Immagine_Pulsante_X_1, &p.Nome_Immagine_Pulsante_X_2}) {
        copies.push_back({*image, folder + Separa_Percorso(*image).name});
    }
    for (const char* icon : {"Icona_Avanti_1.gif", "Icona_Avanti_2.gif", "Icona_Indietro_1.gif", "Icona_Indietro_2.gif"}) {
        copies.push_back({inFolder(request.workingDirectory, icon), folder + icon});
    }
    for (int i = 1; i <= 10; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Pulsante_%02d.gif", i);
        copies.push_back({inFolder(request.workingDirectory, name), folder + name});
    }
    return copies;
}

std::string SiteReport::homePage() const { return folder + kHomePageFileName; }

SiteReport writeSite(const SiteRequest& request) {
    const Parametri_Sito& p = request.parametri;
    SiteReport report;
    report.folder = p.Cartella_Sito;

    // An existing folder is the usual case: only its absence matters.
    files::createFolder(p.Cartella_Sito);
    report.folderMissing = !files::isFolder(landingFolder(p.Cartella_Sito));

    ParameterScript script = composeParameterScript(p);
    report.omittedLines = std::move(script.omitted);
    const std::string scriptPath = p.Cartella_Sito + kScriptFileName;
    report.scriptWritten = files::writeLines(scriptPath, script.lines);
    if (!report.scriptWritten) report.unwrittenFiles.push_back(scriptPath);

    const std::string homePath = report.homePage();
    report.homePageWritten =
        files::writeLines(homePath, composeHomePage(request.title, request.description, p.Nome_Immagine_Sfondo_Sito));
    if (!report.homePageWritten) report.unwrittenFiles.push_back(homePath);

    for (ImageCopy& copy : siteImageCopies(request)) {
        if (copyPicture(copy.source, copy.target) == CopyResult::Failed) {
            report.uncopiedImages.push_back(std::move(copy));
        }
    }
    return report;
}

std::string siteMessage(const SiteReport& report) {
    if (report.complete()) return "Registrazione Sito terminata ! " + std::string(kLineBreak) + "Cartella " + report.folder;

    std::string message = report.written() ? "Registrazione Sito incompleta ! " : "Registrazione Sito non riuscita ! ";
    message += kLineBreak;
    message += "Cartella " + report.folder;
    auto line = [&message](const std::string& text) {
        message += kLineBreak;
        message += text;
    };
    if (report.folderMissing) line("Impossibile creare la cartella " + report.folder);
    for (const std::string& path : report.unwrittenFiles) line("Impossibile scrivere il file " + path);
    for (const ImageCopy& copy : report.uncopiedImages) line("Immagine non copiata: " + copy.source);
    for (const OmittedLine& omitted : report.omittedLines) {
        line("Riga del parametro " + omitted.variable + " omessa: valore non numerico \"" + omitted.value + "\"");
    }
    return message;
}

}  // namespace sb
