#include "site/site_writer.h"


#include <cstdio>
#include <map>

#include "common/encoding.h"
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

// The groups the site leaves out, the first few by name, and how to show
// them: nothing the user put into the site folder goes missing unsaid.
std::string leftOutNote(const SiteReport& report) {
    const std::vector<std::string>& groups = report.gallery.leftOutGroups;
    if (groups.empty()) return {};
    constexpr std::size_t kNamed = 10;
    const std::string shown = std::to_string(report.gallery.groupsShown);
    std::string note = kLineBreak;
    note += report.english ? "Groups not shown (the site shows " + shown + "): "
                           : "Gruppi non mostrati (il sito ne mostra " + shown + "): ";
    for (std::size_t i = 0; i < groups.size() && i < kNamed; ++i) note += (i > 0 ? ", " : "") + groups[i];
    if (groups.size() > kNamed) {
        const std::string more = std::to_string(groups.size() - kNamed);
        note += report.english ? " and " + more + " more" : " e altri " + more;
    }
    note += kLineBreak;
    note += report.english ? "To show them, raise the number of groups on tab 3 \"Groups\"."
                           : "Per mostrarli, aumentare il numero dei gruppi nel tab 3 \"Gruppi\".";
    return note;
}

}  // namespace

std::string siteFileName(std::string_view picturePath) { return legibleUtf8(Separa_Percorso(picturePath).name); }

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
        copies.push_back({*image, folder + siteFileName(*image)});
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

    // The site is written again at every visit of the preview and at every
    // confirm, nearly always unchanged: a copy still in place is kept. Not
    // where two pictures go to one name: two files of the same size and time
    // would pass for each other there, so each is copied whole.
    constexpr files::CopyCheck kKeepInPlace{.keepCopyInPlace = true};
    std::vector<ImageCopy> copies = siteImageCopies(request);
    std::map<std::string, std::string> firstSource;
    std::map<std::string, bool> shared;
    for (const ImageCopy& copy : copies) {
        const auto [first, added] = firstSource.emplace(copy.target, copy.source);
        if (!added && first->second != copy.source) shared[copy.target] = true;
    }
    for (ImageCopy& copy : copies) {
        const files::CopyCheck check = shared.count(copy.target) != 0 ? files::CopyCheck{} : kKeepInPlace;
        if (files::copyFileOver(copy.source, copy.target, check) == files::CopyResult::Failed) {
            report.uncopiedImages.push_back(std::move(copy));
        }
    }

    // The gallery: the engine beside the page, the thumbnails, then the list
    // naming only the thumbnails that are there.
    report.engineSource = inFolder(request.applicationFolder, kEngineFileName);
    report.engineCopied =
        files::copyFileOver(report.engineSource, p.Cartella_Sito + kEngineFileName, kKeepInPlace) !=
        files::CopyResult::Failed;
    ImageCopy icon{inFolder(request.applicationFolder, kSiteIconFileName), p.Cartella_Sito + kSiteIconFileName};
    if (files::copyFileOver(icon.source, icon.target, kKeepInPlace) == files::CopyResult::Failed) {
        report.uncopiedImages.push_back(std::move(icon));
    }
    report.english = request.english;
    const std::string listPath = p.Cartella_Sito + kPictureListFileName;
    GalleryUpdate gallery;
    if (!report.folderMissing) {
        gallery = updateGallery(landingFolder(p.Cartella_Sito), {thumbnailSize(p), groupsShown(p), listPath},
                                request.platform, report.gallery);
    }
    report.pictureListWritten = files::writeLines(listPath, composePictureList(gallery.groups, request.english));
    if (report.pictureListWritten) {
        removeStaleThumbnails(gallery);
    } else {
        report.unwrittenFiles.push_back(listPath);
    }
    return report;
}

std::string siteMessage(const SiteReport& report) {
    if (report.complete()) {
        return "Registrazione Sito terminata ! " + std::string(kLineBreak) + "Cartella " + report.folder + leftOutNote(report);
    }

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
    if (!report.engineCopied) line("Motore della galleria non copiato: " + report.engineSource);
    const GalleryReport& gallery = report.gallery;
    for (const std::string& path : gallery.unreadableNames) {
        line("Nome non leggibile, escluso dalla galleria: " + legibleUtf8(path));
    }
    for (const std::string& path : gallery.unreadableFolders) {
        line("Cartella non leggibile, esclusa dalla galleria: " + legibleUtf8(path));
    }
    if (gallery.thumbnailFolderUnusable) {
        line("Cartella delle miniature non utilizzabile: " + landingFolder(report.folder) + kSeparator +
             kThumbnailFolderName);
    }
    // A group of thousands of broken pictures must not make a message
    // taller than the screen: the first few, then how many more.
    constexpr std::size_t kListed = 10;
    std::size_t listed = 0, cancelled = 0, unlisted = 0;
    for (const GalleryReport::PictureProblem& problem : gallery.pictureProblems) {
        if (problem.problem == GalleryReport::Problem::Cancelled) {
            ++cancelled;
        } else if (listed++ >= kListed) {
            ++unlisted;
        } else if (problem.problem == GalleryReport::Problem::UnreadablePicture) {
            line("Immagine non leggibile, senza miniatura: " + problem.picture);
        } else if (problem.problem == GalleryReport::Problem::UnwrittenThumbnail) {
            line("Miniatura non scritta: " + problem.picture);
        } else {
            line("Copia per il web non scritta: " + problem.picture);
        }
    }
    if (unlisted > 0) line("... e altre " + std::to_string(unlisted) + " immagini senza miniatura");
    if (cancelled > 0) line("Miniature interrotte: " + std::to_string(cancelled) + " immagini senza miniatura");
    return message + leftOutNote(report);
}

}  // namespace sb
