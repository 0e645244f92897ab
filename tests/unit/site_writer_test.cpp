// Writing a whole site into real folders: what lands there, and that the
// report names exactly what did not.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "site/home_page.h"
#include "site/script_file.h"
#include "site/site_writer.h"
#include "fake_platform.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::crlf;
using test::makeFile;
using test::readFile;
using test::startDefaults;
const std::string kApp = SB_APP_DIR;

// Even when the two files have the same size and time, as files unpacked
// together may have, and the site is written again.
TEST(SiteWriter, PicturesSharingANameEndAsTheLaterOne) {
    test::TempDir dir;
    Parametri_Sito p = startDefaults(dir / "sito/");
    p.Nome_Immagine_Testata = makeFile(dir / "due/stesso.gif", "second");  // the header is copied before the balloon
    p.Nome_Immagine_Sfondo_Fumetto_1 = makeFile(dir / "uno/stesso.gif", "first!");
    const timespec unpacked[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
    for (const std::string& picture : {p.Nome_Immagine_Testata, p.Nome_Immagine_Sfondo_Fumetto_1}) {
        ::utimensat(AT_FDCWD, picture.c_str(), unpacked, 0);
    }
    writeSite({p, "T", "D", kApp, kApp});
    p.Nome_Immagine_Pulsante_X_2 = p.Nome_Immagine_Pulsante_X_1;  // one file copied twice: no failure
    const SiteReport report = writeSite({p, "T", "D", kApp, kApp});
    EXPECT_TRUE(report.complete()) << siteMessage(report);
    EXPECT_EQ(readFile(p.Cartella_Sito + "stesso.gif"), "first!");
    EXPECT_EQ(readFile(p.Cartella_Sito + "Pulsante_tondo_Annulla_thumbdown.gif"), readFile(p.Nome_Immagine_Pulsante_X_1));
}

struct Scene {
    explicit Scene(const std::string& app) : app(app), workingDirectory(app) { fs::create_directories(sources); }
    std::string picture(const std::string& name) { return makeFile(sources + "/" + name, "picture " + name); }
    test::TempDir dir;
    std::string app, workingDirectory;
    std::string sources = dir / "sorgenti";  // odd pictures
    Parametri_Sito p = startDefaults(dir / "sito/", app);
};

enum Written { All, NoFolder, NoFiles, NoScript };

struct BadInput {
    const char* name;
    std::function<void(Scene&)> arrange;
    Written written = All;
    std::size_t uncopied = 0, omitted = 0;
    bool permissions = false;  // run where permissions bind (the root user ignores them)
};

void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }

const BadInput kBadInputs[] = {
    {"NewFolderWithBlanksAndAccents", [](Scene& s) { s.p.Cartella_Sito = s.dir / "il mio sito è qui/"; }},
    {"FolderWithOldFiles", [](Scene& s) { makeFile(s.p.Cartella_Sito + "index.htm", "old"); makeFile(s.p.Cartella_Sito + "blank.gif", "old"); }},
    {"ParentMissing", [](Scene& s) { s.p.Cartella_Sito = s.dir / "manca/nuovo/"; }, NoFolder, 23},
    {"FolderIsAFile", [](Scene& s) { s.p.Cartella_Sito = makeFile(s.dir / "file.txt") + "/"; }, NoFolder, 23},
    {"FolderUnderAFile", [](Scene& s) { s.p.Cartella_Sito = makeFile(s.dir / "file.txt") + "/sito/"; }, NoFolder, 23},
    {"FolderReadOnly", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito); ::chmod(s.p.Cartella_Sito.c_str(), 0555); }, NoFiles, 23, 0, true},
    {"ScriptReadOnly", [](Scene& s) { ::chmod(makeFile(s.p.Cartella_Sito + kScriptFileName, "old").c_str(), 0444); }, NoScript, 0, 0, true},
    {"ImageMissing", [](Scene& s) { s.p.Nome_Immagine_Testata = s.sources + "/manca.jpg"; }, All, 1},
    {"ImageUnreadable", [](Scene& s) { ::chmod((s.p.Nome_Immagine_Testata = s.picture("chiusa.jpg")).c_str(), 0); }, All, 1, 0, true},
    {"ImageIsAFolder", [](Scene& s) { fs::create_directories(s.p.Nome_Immagine_Testata = s.sources + "/cartella.jpg"); }, All, 1},
    {"ImageIsAPipe", [](Scene& s) { ::mkfifo((s.p.Nome_Immagine_Testata = s.sources + "/tubo.jpg").c_str(), 0666); }, All, 1},
    {"ImageUnderAFile", [](Scene& s) { s.p.Nome_Immagine_Testata = s.picture("x.jpg") + "/y.jpg"; }, All, 1},
    {"ImageEmpty", [](Scene& s) { s.p.Nome_Immagine_Testata = ""; }, All, 1},
    {"ImageEndsWithSeparator", [](Scene& s) { s.p.Nome_Immagine_Testata = s.sources + "/"; }, All, 1},
    {"TargetNamesAFolder", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito + "Image5.jpg"); }, All, 1},
    {"TargetNamesAPipe", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito); ::mkfifo((s.p.Cartella_Sito + "blank.gif").c_str(), 0666); }, All, 1},
    {"TargetLinksToItsSource", [](Scene& s) { fs::create_directories(s.p.Cartella_Sito); fs::create_symlink(s.p.Nome_Immagine_Testata = s.picture("via.jpg"), s.p.Cartella_Sito + "via.jpg"); }},
    {"NameWithQuoteAmpersandAndAngles", [](Scene& s) { s.p.Nome_Immagine_Sfondo_Sito = s.picture("l'alba & <\"mare\">.jpg"); }},
    {"NameWithBlanks", [](Scene& s) { s.p.Nome_Immagine_Testata = s.picture(" foto  del mare .jpg"); }},
    {"NameNonLatin", [](Scene& s) { s.p.Nome_Immagine_Sfondo_Sito = s.picture("東京 Ελλάδα.jpg"); }},
    {"Name255Bytes", [](Scene& s) { s.p.Nome_Immagine_Sfondo_Sito = s.picture(std::string(251, 'n') + ".jpg"); }},
    {"BlankGifMissing", [](Scene& s) { s.app = s.sources; }, All, 1},
    {"WorkingDirectoryWithoutIcons", [](Scene& s) { s.workingDirectory = s.sources; }, All, 14},
    {"GroupValuesNotNumbers", [](Scene& s) { s.p.POS_Y_GRUPPI = "40px"; s.p.ALT_GRUPPI = ""; }, All, 0, 2},
};

class SiteWriterBadInput : public testing::TestWithParam<BadInput> {};

// What the report says against what the folder holds, and the message
// against the table.
void reportsExactlyWhatFailed(const BadInput& c, const std::string& app) {
    Scene s(app);
    c.arrange(s);
    const std::string& site = s.p.Cartella_Sito;
    const std::string oldScript = readFile(site + kScriptFileName);
    const SiteRequest request{s.p, "Titolo", "Descrizione", s.app, s.workingDirectory};
    const SiteReport report = writeSite(request);

    EXPECT_EQ(report.folderMissing, c.written == NoFolder);
    EXPECT_EQ(report.scriptWritten, c.written == All);
    EXPECT_EQ(report.homePageWritten, c.written == All || c.written == NoScript);
    EXPECT_EQ(report.uncopiedImages.size(), c.uncopied);
    EXPECT_EQ(report.omittedLines.size(), c.omitted);

    const std::string script = readFile(site + kScriptFileName);
    EXPECT_EQ(report.scriptWritten, script == crlf(composeParameterScript(s.p).lines));
    if (!report.scriptWritten) {
        EXPECT_EQ(script, oldScript) << "a failed write must leave the old file whole";
    }
    EXPECT_EQ(report.homePageWritten, readFile(site + kHomePageFileName) ==
                                          crlf(composeHomePage("Titolo", "Descrizione", s.p.Nome_Immagine_Sfondo_Sito)));
    std::set<std::string> reported;
    for (const ImageCopy& copy : report.uncopiedImages) reported.insert(copy.source);
    for (const ImageCopy& copy : siteImageCopies(request)) {
        // Every source here holds some bytes.
        const bool landed = fs::is_regular_file(copy.target) && fs::is_regular_file(copy.source) &&
                            fs::file_size(copy.target) > 0 && readFile(copy.target) == readFile(copy.source);
        EXPECT_NE(landed, reported.count(copy.source) > 0) << copy.source << " -> " << copy.target;
    }

    const std::string message = siteMessage(report);
    const bool complete = c.written == All && c.uncopied + c.omitted == 0;
    const std::string heading = complete ? "terminata" : c.written == All ? "incompleta" : "non riuscita";
    EXPECT_EQ(message.rfind("Registrazione Sito " + heading + " ! \r\nCartella " + site, 0), 0u) << message;
    if (complete) {
        EXPECT_EQ(message, "Registrazione Sito terminata ! \r\nCartella " + site);
    }
    const auto says = [&message](const std::string& line) { return message.find("\r\n" + line) != std::string::npos; };
    EXPECT_EQ(says("Impossibile creare la cartella " + site), c.written == NoFolder);
    EXPECT_EQ(says("Impossibile scrivere il file " + site + kScriptFileName), c.written != All);
    EXPECT_EQ(says("Impossibile scrivere il file " + site + kHomePageFileName), c.written == NoFolder || c.written == NoFiles);
    for (const std::string& source : reported) EXPECT_TRUE(says("Immagine non copiata: " + source)) << source;
    for (const OmittedLine& o : report.omittedLines) {
        EXPECT_TRUE(says("Riga del parametro " + o.variable + " omessa: valore non numerico \"" + o.value + "\"")) << o.variable;
    }
}

TEST_P(SiteWriterBadInput, ReportsExactlyWhatFailed) {
    const BadInput& c = GetParam();
    if (c.permissions) {
        test::asUnprivilegedUser([&c](const std::string& app) { reportsExactlyWhatFailed(c, app); });
    } else {
        reportsExactlyWhatFailed(c, kApp);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SiteWriterBadInput, testing::ValuesIn(kBadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sb
