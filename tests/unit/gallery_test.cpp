// The gallery of a written site: its groups and their order, the list the engine
// reads, and thumbnails made only when needed, never touching the user's files.
#include <set>
#include <sstream>

#include "fake_platform.h"
#include "site/gallery.h"
#include "site/site_writer.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using test::makeFile;
using test::readFile;
using Names = std::set<std::string>;

// A file the header reader takes for a GIF of that size.
std::string gif(int width, int height) {
    std::string bytes = "GIF89a";
    for (const int side : {width, height}) bytes += {static_cast<char>(side & 0xFF), static_cast<char>(side >> 8)};
    return bytes + std::string(16, '\0');
}

TEST(Gallery, NamesGoInNaturalOrderAndPicturesAreKnownByTheirLastExtension) {
    const std::vector<std::string> ordered = {"1", "02", "2", "002a", "2a", "10", "100", "Alba", "alba 2", "ALBA 10", "alba10b",
                                              "Àrea", "città", "Città 2", "CITTÀ 10", "Cittadella", "Ecco", "Elitè", "Èlite", "élite",
                                              "Gruppo 2", "gruppo 10", "Gruppo 10 bis", "Øre", "Ötzi", "Şule", "zeta", "Ωmega", "ωmega"};
    for (std::size_t i = 0; i < ordered.size(); ++i)  // every pair, both ways: a sort needs a consistent order
        for (std::size_t j = 0; j < ordered.size(); ++j) {
            const int c = naturalCompare(ordered[i], ordered[j]);
            EXPECT_EQ((c > 0) - (c < 0), i < j ? -1 : i > j) << ordered[i] << " | " << ordered[j];
        }
    for (const char* name : {"a.jpg", "a.JPG", "b.jpeg", "c.Png", "d.gif", "e.webp", "f.BMP", "x.txt.jpg"}) EXPECT_TRUE(isPictureName(name)) << name;
    for (const char* name : {"a.jpg.txt", "jpg", ".jpg", "a.tiff", "a.jpg ", "a.", ""}) EXPECT_FALSE(isPictureName(name)) << name;
}

struct Site {
    explicit Site(const std::string& app = SB_APP_DIR) : app(app), platform(app) { p.Cartella_Sito = folder + "/"; }
    std::string app;
    test::TempDir dir;
    std::string folder = dir.str();
    test::FakePlatform platform;
    Parametri_Sito p = defaultParameters(app);
    std::string picture(const std::string& relative, int width = 640, int height = 480) {
        return makeFile(folder + "/" + relative, gif(width, height));
    }
    SiteReport write() {
        platform.thumbnailsMade.clear();
        return writeSite({p, "Titolo", "Descrizione", app, app, &platform});
    }
    std::string thumbnails() const { return folder + "/" + kThumbnailFolderName; }
    Names thumbnailFiles() const {
        Names names;
        std::error_code none;  // no folder, no names
        for (const auto& entry : fs::directory_iterator(thumbnails(), none)) names.insert(entry.path().filename().string());
        return names;
    }
    std::string list() const { return readFile(folder + "/" + kPictureListFileName); }
};

TEST(Gallery, GroupsAreTheSubfoldersHoldingPictures) {
    Site s;
    test::TempDir elsewhere;
    makeFile(elsewhere / "Lontana.png", gif(10, 10));
    for (const char* name : {"b.jpg", "a 10.JPG", "a 9.gif", "a.png", "a.jpg"}) s.picture(std::string("Gruppo 10/") + name);
    for (const char* name : {"gruppo 2/uno.png", ".nascosto/x.jpg", "Miniature_by_Velmora/mia.jpg", "foto in cima.jpg",
                             "Strano/\xE8 latin1.jpg", "\xE8 latin1/x.jpg"}) {
        s.picture(name);
    }
    makeFile(s.folder + "/gruppo 2/note.txt");
    makeFile(s.folder + "/gruppo 2/.nascosta.jpg", gif(1, 1));
    fs::create_directories(s.folder + "/gruppo 2/cartella.jpg");
    makeFile(s.folder + "/Vuoto/leggimi.txt");
    fs::create_directory_symlink(elsewhere.str(), s.folder + "/Collegato");
    fs::create_directory_symlink(s.folder + "/manca", s.folder + "/Rotto");
    fs::create_directory_symlink(s.folder, s.folder + "/Sito stesso");  // links to the site folder or above it are no groups
    fs::create_directory_symlink(fs::path(s.folder).parent_path(), s.folder + "/Sopra");
    fs::create_directory_symlink("/", s.folder + "/Radice");

    const GroupSearch search = findGroups(s.folder);
    std::vector<std::string> found;
    for (const GalleryGroup& group : search.groups) {
        found.push_back(group.name + "/");
        for (const GalleryPicture& picture : group.pictures) found.push_back(group.name + "/" + picture.file);
    }
    EXPECT_EQ(found, (std::vector<std::string>{"Collegato/", "Collegato/Lontana.png", "gruppo 2/", "gruppo 2/uno.png", "Gruppo 10/",
                                               "Gruppo 10/a.jpg", "Gruppo 10/a.png", "Gruppo 10/a 9.gif", "Gruppo 10/a 10.JPG",
                                               "Gruppo 10/b.jpg"}));
    EXPECT_EQ(Names(search.unreadableNames.begin(), search.unreadableNames.end()),
              (Names{s.folder + "/Strano/\xE8 latin1.jpg", s.folder + "/\xE8 latin1"}));
}

TEST(Gallery, TheListNamesEveryPictureAsTheParameterScriptWouldWriteIt) {
    const std::vector<GalleryGroup> groups = {
        {"l'alba \\ è", {{"Mare #1 & \"Sole\" 100%.jpg", "0123456789abcdef_230x160.jpg", "0123456789abcdef_2048.jpg",
                          "0123456789abcdef_1024.jpg", {4000, 3000}},
                         {"€ \U0001F600.png", "", "", "", {}}}},
        {"Due", {{"x.gif", "", "", "", {800, 600}}}},
    };
    const std::vector<std::string> list = composePictureList(groups);  // its first eight lines are the golden list's
    EXPECT_EQ(test::crlf({list.begin() + 8, list.end()}),
              test::crlf({"var Gruppi_Immagini=[", "['l\\'alba \\\\ \xE8',[",
                          "['Mare #1 & \"Sole\" 100%.jpg','0123456789abcdef_230x160.jpg','0123456789abcdef_2048.jpg','0123456789abcdef_1024.jpg',4000,3000],",
                          "['\x80 \\ud83d\\ude00.png','','','',0,0]", "]],", "['Due',[", "['x.gif','','','',800,600]", "]]", "];", ""}));
    // The engine's words in the program's language (the Italian ones are in the golden list).
    const std::vector<std::string> english = composePictureList({}, true);
    EXPECT_EQ(english.at(5), "var Lingua_Galleria='en';");
    EXPECT_TRUE(english.at(6).starts_with("var Parole_Galleria={home:'Home',page:'Page {k} of {n}',")) << english.at(6);
}

TEST(Gallery, ThumbnailsAreTwiceTheSlidesInsideWhateverTheEngineWouldUse) {
    const std::tuple<Value, Value, PixelSize> cases[] = {
        {135, 100, {230, 160}},  {21, 21, {2, 2}},          {20, 100, {230, 160}},  {-135, 0, {230, 160}},
        {2000, 2001, {3960, 160}}, {150.4, 99.5, {260, 160}}, {Value("abc"), Value(" 90"), {230, 140}},
    };
    for (const auto& [width, height, size] : cases) {
        Parametri_Sito p;
        p.LARGH_X_DIA = width;
        p.ALT_DIA = height;
        EXPECT_EQ(thumbnailSize(p), size) << width.toText() << " x " << height.toText();
    }
    EXPECT_NE(thumbnailName("ab", {"c.jpg", "", "", "", {}}, {230, 160}), thumbnailName("a", {"bc.jpg", "", "", "", {}}, {230, 160}))
        << "the parts run together";
    EXPECT_TRUE(isThumbnailName("0123456789abcdef_230x160.jpg"));
    for (const char* name : {"0123456789ABCDEF_230x160.jpg", "0123456789abcdef_230x160.JPG", "0123456789abcde_230x160.jpg",
                             "0123456789abcdef_230x.jpg", "0123456789abcdef_230x160.jpg.tmp"}) {
        EXPECT_FALSE(isThumbnailName(name)) << name;  // the user's, never touched
    }
}

// One site written again and again: only what changed costs a thumbnail or
// a web-sized copy, and only a JPEG larger than a copy has that copy.
TEST(Gallery, ThumbnailsAndCopiesAreMadeOnceAndAgainOnlyWhenTheirPictureOrSizeChanges) {
    Site s;
    const std::string a = s.picture("Mare/a.jpg", 4000, 3000), b = s.picture("Mare/b.jpg", 1500, 1000), c = s.picture("Monti/c.jpg");
    const Names users = {"mia nota.txt", "0123456789ABCDEF_230x160.jpg", "0123456789abcdef_230x160.jpg"};
    makeFile(s.thumbnails() + "/mia nota.txt", "mine");
    makeFile(s.thumbnails() + "/0123456789ABCDEF_230x160.jpg", "mine too");
    fs::create_directories(s.thumbnails() + "/0123456789abcdef_230x160.jpg");
    std::vector<std::string> lines;  // of the list, as the pictures now on disk want them
    auto listed = [&s, &lines] {
        std::vector<std::string> names;
        lines.clear();
        for (const GalleryGroup& group : findGroups(s.folder).groups) {
            for (const GalleryPicture& picture : group.pictures) {
                const PixelSize size = test::readPictureSize(s.folder + "/" + group.name + "/" + picture.file).value();
                names.push_back(thumbnailName(group.name, picture, thumbnailSize(s.p)));
                std::string line = "['" + picture.file + "','" + names.back() + "'";
                for (const int side : {kLargeCopySide, kSmallCopySide}) {
                    const bool copied = std::max(size.width, size.height) > side;
                    if (copied) names.push_back(copyName(group.name, picture, side));
                    line += ",'" + (copied ? names.back() : "") + "'";
                }
                lines.push_back(line + "," + std::to_string(size.width) + "," + std::to_string(size.height) + "]");
            }
        }
        return names;
    };
    const std::tuple<const char*, std::function<void()>, std::vector<std::string>> steps[] = {
        {"first write", [] {}, {a, b, c}}, {"unchanged", [] {}, {}}, {"one picture changed", [&] { makeFile(b, gif(800, 600)); }, {b}},
        {"a copy removed by hand", [&] { fs::remove(s.thumbnails() + "/" + listed().at(1)); }, {a}},  // a's large copy
        {"the list lost: each picture measured", [&] { fs::remove(s.folder + "/" + kPictureListFileName); }, {a, b, c}},
        {"one picture gone", [&] { fs::remove(a); }, {}},
        {"slides made wider", [&] { s.p.LARGH_X_DIA = 200; }, {b, c}},
        {"a picture added", [&] { s.picture("Mare/a2.jpg"); }, {s.folder + "/Mare/a2.jpg"}},
    };
    for (const auto& [what, change, made] : steps) {
        SCOPED_TRACE(what);
        change();
        const SiteReport report = s.write();
        EXPECT_TRUE(report.complete()) << siteMessage(report);
        EXPECT_EQ(s.platform.thumbnailsMade, made);
        Names expected = users;
        for (const std::string& name : listed()) expected.insert(name);
        for (const std::string& line : lines) EXPECT_NE(s.list().find(line), std::string::npos) << line;
        EXPECT_EQ(s.thumbnailFiles(), expected);
    }
    EXPECT_EQ(readFile(s.thumbnails() + "/" + listed().front()), test::FakePlatform::thumbnailOf(s.folder + "/Mare/a2.jpg", {360, 160}));
    s.picture("Mare/a2.jpg", 3000, 2000);
    EXPECT_TRUE(s.write().complete());
    EXPECT_EQ(readFile(s.thumbnails() + "/" + listed().at(1)), test::FakePlatform::thumbnailOf(s.folder + "/Mare/a2.jpg", {2048, 2048}));

    // A list that cannot be written keeps every thumbnail the old one names.
    const Names before = s.thumbnailFiles();
    fs::remove(s.folder + "/" + kPictureListFileName);
    fs::create_directories(s.folder + "/" + kPictureListFileName);
    makeFile(b, gif(10, 10));
    EXPECT_FALSE(s.write().pictureListWritten);
    const Names after = s.thumbnailFiles();
    EXPECT_TRUE(std::includes(after.begin(), after.end(), before.begin(), before.end()));
    fs::remove(s.folder + "/" + kPictureListFileName);

    // No group left: the program's thumbnails go, the user's files stay.
    fs::remove_all(s.folder + "/Mare");
    fs::remove_all(s.folder + "/Monti");
    EXPECT_TRUE(s.write().complete());
    EXPECT_EQ(s.thumbnailFiles(), users);
    EXPECT_EQ(readFile(s.thumbnails() + "/mia nota.txt") + readFile(s.thumbnails() + "/0123456789ABCDEF_230x160.jpg"), "minemine too");
    EXPECT_NE(s.list().find("var Gruppi_Immagini=[\r\n];"), std::string::npos);
    for (const std::string& name : users) fs::remove(s.thumbnails() + "/" + name);
    s.write();
    EXPECT_FALSE(fs::exists(s.thumbnails())) << "an emptied folder of the program's own is removed";
}

// No thumbnail for groups beyond MAX_NUM_ARG; the message says how to show them.
TEST(Gallery, GroupsBeyondTheNumberShownAreLeftOutAndNamed) {
    const std::pair<bool, const char*> languages[] = {
        {false, "Gruppi non mostrati (il sito ne mostra 2): C, D\r\nPer mostrarli, aumentare il numero dei gruppi nel tab 3 \"Gruppi\"."},
        {true, "Groups not shown (the site shows 2): C, D\r\nTo show them, raise the number of groups on tab 3 \"Groups\"."},
    };
    for (const auto& [english, note] : languages) {
        Site s;
        for (const char* group : {"D", "A", "C", "B"}) s.picture(std::string(group) + "/x.jpg");
        s.p.MAX_NUM_ARG = Value(" 2");
        const SiteReport report = writeSite({s.p, "Titolo", "Descrizione", s.app, s.app, &s.platform, english});
        EXPECT_EQ(siteMessage(report), "Registrazione Sito terminata ! \r\nCartella " + s.p.Cartella_Sito + "\r\n" + note);
        EXPECT_EQ(s.platform.thumbnailsMade, (std::vector<std::string>{s.folder + "/A/x.jpg", s.folder + "/B/x.jpg"}));
        EXPECT_EQ(s.list().find("['C'"), std::string::npos);
    }
}

struct BadGallery {
    const char* name;
    std::function<void(Site&)> arrange;
    std::vector<std::string> messageLines;  // beside the heading, in order
    std::size_t withThumbnail = 0;          // pictures of the list that have one
    bool permissions = false;               // run where permissions bind (the root user ignores them)
};

const BadGallery kBadGalleries[] = {
    {"BrokenPicture", [](Site& s) { s.picture("G/buona.jpg"); makeFile(s.folder + "/G/rotta.jpg", "not a picture"); },
     {"Immagine non leggibile, senza miniatura: {}/G/rotta.jpg"}, 1},
    {"ThumbnailFolderIsAFile", [](Site& s) { s.picture("G/a.jpg"); makeFile(s.thumbnails(), "the user's"); },
     {"Cartella delle miniature non utilizzabile: {}/Miniature_by_Velmora"}},
    {"ThumbnailFolderIsALink", [](Site& s) { s.picture("G/a.jpg"); fs::create_directory_symlink(s.folder + "/G", s.thumbnails()); },
     {"Cartella delle miniature non utilizzabile: {}/Miniature_by_Velmora"}},
    {"ThumbnailFolderReadOnly", [](Site& s) { s.picture("G/a.jpg"); fs::create_directories(s.thumbnails()); fs::permissions(s.thumbnails(), fs::perms::owner_write, fs::perm_options::remove); },
     {"Miniatura non scritta: {}/G/a.jpg"}, 0, true},
    {"ThumbnailNameTakenByAFolder", [](Site& s) {
         s.picture("G/a.jpg");
         const GalleryGroup group = findGroups(s.folder).groups.at(0);
         fs::create_directories(s.thumbnails() + "/" + thumbnailName(group.name, group.pictures.at(0), thumbnailSize(s.p)));
     }, {"Miniatura non scritta: {}/G/a.jpg"}},
    {"EngineTargetIsAFolder",
     [](Site& s) { s.picture("G/a.jpg"), fs::create_directories(s.folder + "/galleria_by_Velmora.js"); },
     {"Motore della galleria non copiato: " SB_APP_DIR "/galleria_by_Velmora.js"}, 1},
    {"Cancelled", [](Site& s) { s.picture("G/a.jpg"); s.picture("G/b.jpg"); s.picture("G/c.jpg"); s.platform.thumbnailsBeforeCancel = 1; },
     {"Miniature interrotte: 2 immagini senza miniatura"}, 1},
    {"NameNotUtf8", [](Site& s) { s.picture("G/a.jpg"); s.picture("G/\xE8.jpg"); },
     {"Nome non leggibile, escluso dalla galleria: {}/G/\xC3\xA8.jpg"}, 1},  // shown as the letter it likely is
    {"GroupFolderUnreadable", [](Site& s) { s.picture("G/a.jpg"); fs::permissions(fs::path(s.picture("H/b.jpg")).parent_path(), fs::perms::none); },
     {"Cartella non leggibile, esclusa dalla galleria: {}/H"}, 1, true},
    {"GroupFolderNotSearchable", [](Site& s) { s.picture("G/a.jpg"); fs::permissions(fs::path(s.picture("H/b.jpg")).parent_path(), fs::perms::owner_read); },
     {"Cartella non leggibile, esclusa dalla galleria: {}/H"}, 1, true},
    {"ManyBroken", [](Site& s) { for (int i = 0; i < 13; ++i) makeFile(s.folder + "/G/" + std::to_string(i) + ".jpg", "x"); },
     [] {  // the first ten, then how many more
         std::vector<std::string> lines;
         for (int i = 0; i < 10; ++i) lines.push_back("Immagine non leggibile, senza miniatura: {}/G/" + std::to_string(i) + ".jpg");
         lines.push_back("... e altre 3 immagini senza miniatura");
         return lines;
     }()},
};

// Each failure is one line of the message; the list still names every readable picture.
TEST(Gallery, BadInputIsReportedAndTheRestOfTheGalleryWorks) {
    for (const BadGallery& c : kBadGalleries) {
        SCOPED_TRACE(c.name);
        test::asUser(c.permissions, [&c](const std::string& app) {
            Site s(app);
            c.arrange(s);
            const std::string userFile = fs::is_regular_file(s.thumbnails()) ? readFile(s.thumbnails()) : "";
            const SiteReport report = s.write();
            std::string expected = "Registrazione Sito incompleta ! \r\nCartella " + s.p.Cartella_Sito;
            for (std::string line : c.messageLines) {
                if (const auto at = line.find("{}"); at != std::string::npos) line.replace(at, 2, s.folder);
                expected += "\r\n" + line;
            }
            EXPECT_EQ(siteMessage(report), expected);
            std::size_t pictures = 0, withThumbnail = 0;  // lines of the list "['name','thumbnail',..."
            std::istringstream list(s.list());
            for (std::string line; std::getline(list, line);) {
                if (!line.starts_with("['") || line.find("',[") != std::string::npos) continue;
                ++pictures;
                withThumbnail += line.compare(line.find("','"), 5, "','',") != 0;
            }
            EXPECT_EQ(withThumbnail, c.withThumbnail);
            EXPECT_EQ(pictures, findGroups(s.folder).groups.at(0).pictures.size());
            EXPECT_TRUE(userFile.empty() || readFile(s.thumbnails()) == userFile) << "the user's file is kept";
            std::error_code ec;  // the folders made unreadable go with the test
            for (const auto& entry : fs::directory_iterator(s.folder)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        });
    }
}

}  // namespace
}  // namespace sb
