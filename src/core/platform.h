// The one door from the program's core to the outside world: the window
// system, dialogs, the embedded browser and the user's own browser. The Qt
// adapter implements it for the real program; tests script a fake one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/files.h"

namespace sb {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

class WindowModel;

// A thumbnail to make of a picture: turned upright by its orientation tag,
// scaled to cover `size` and cut to it around its middle, as JPEG. With
// `copySides`, also web-sized copies of the whole picture from the same
// decoding: upright, scaled so that the long side is that many pixels (never
// enlarged), JPEG with the picture's colour profile. A JPEG whose long side
// is at most that already is its own copy: none is made. An empty `size`
// asks for no thumbnail; an order for nothing only measures the picture.
struct ThumbnailOrder {
    std::string picture;  // full path
    PixelSize size;
    std::vector<int> copySides = {};
};

// What was made for one order: JPEG bytes, empty for anything not made; the
// copies in the order's `copySides` order; the picture's upright size, 0 x 0
// when it could not be read.
struct MadePicture {
    std::string thumbnail;
    std::vector<std::string> copies;
    PixelSize upright;
};

// Takes what was made for one order, with the order's index.
using ThumbnailDone = std::function<void(std::size_t, MadePicture)>;

class Platform {
public:
    Platform() = default;
    // Takes the program's private folder away with the pages in it.
    virtual ~Platform();
    // A copy makes a private folder of its own when it needs one.
    Platform(const Platform&) {}
    Platform& operator=(const Platform&) { return *this; }

    // Lets pending window events run; other handlers may run inside it.
    virtual void doEvents() = 0;

    // A modal notice with an OK button. An empty title means the program's name.
    virtual void showMessage(const std::string& text, const std::string& title) = 0;
    // A modal Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
    // A modal Yes/No/Cancel question; closing it is Cancel. A platform
    // without one asks Yes/No.
    enum class Answer { Yes, No, Cancel };
    virtual Answer askYesNoCancel(const std::string& text, const std::string& title) {
        return askYesNo(text, title) ? Answer::Yes : Answer::No;
    }
    virtual void beep() = 0;
    // The busy (hourglass) or the default mouse pointer over the whole program.
    virtual void setBusyPointer(bool busy) = 0;

    // The modal file-open dialog, opened on `initialFolder` with `initialFile`
    // proposed. Returns the chosen path, or `initialFile` when closed without
    // a choice.
    virtual std::string showOpenDialog(const std::string& initialFolder, const std::string& initialFile) = 0;

    // The modal folder chooser, opened on `initialFolder`. Returns the chosen
    // folder, or an empty text when closed without a choice.
    virtual std::string showFolderDialog(const std::string& initialFolder) = 0;

    // Opens a local page (a file path) or a web address ("http://...",
    // "https://...") in the user's own browser, without waiting. False when
    // it could not be started.
    virtual bool openInUserBrowser(const std::string& pathOrAddress) = 0;

    // A further window of the program, beside the Main Window and modeless:
    // shown on screen at its first showing and only brought to the front
    // afterwards, with what it holds. Closing takes it off the screen; the
    // model stays with its owner. The window's events reach its handlers
    // (WindowModel's event entries) until then.
    virtual void showWindow(WindowModel& window) = 0;
    virtual void closeWindow(WindowModel& window) = 0;

    // The Publish window for the site written in `siteFolder` (ending with
    // its separator), in English or Italian: opened modeless, or brought to
    // the front when it is open already. A platform without one ignores it.
    virtual void openPublishWindow(const std::string& siteFolder, bool english);

    // Loads a picture file for a holder on screen. Returns its natural size
    // in pixels, or nothing when the file is not a readable picture.
    virtual std::optional<PixelSize> loadPicture(const std::string& path) = 0;

    // Makes thumbnails on every processor core while the window stays
    // responsive and shows the progress with a way to cancel. Each thumbnail
    // goes to `done` on the calling thread as soon as it is ready. False when
    // the user cancelled: the orders not handed over by then are not made.
    virtual bool makeThumbnails(const std::vector<ThumbnailOrder>& orders, const ThumbnailDone& done) = 0;

    // The embedded browser: load an address ("file://..." or "about:blank"),
    // tell whether it is still loading, stop loading. A page loaded so runs
    // no script and reaches neither other local files nor the network: the
    // sample pages name pictures that came from anywhere.
    virtual void browserNavigate(const std::string& address) = 0;
    // The written site's preview: as above, but its scripts run and it reads
    // the site's own files.
    virtual void browserNavigateSite(const std::string& address) { browserNavigate(address); }
    virtual bool browserBusy() = 0;
    virtual void browserStop() = 0;

    // The folder that holds the program, without a trailing separator.
    virtual std::string applicationFolder() = 0;

    // Changes the process's working directory.
    virtual bool changeWorkingDirectory(const std::string& folder);
    virtual std::string workingDirectory();

    // The normal files that a listing pattern yields, in listing order.
    virtual std::vector<std::string> listNormalFiles(const std::string& pattern) {
        return files::listNormalFiles(pattern);
    }

    // A folder of the program's own for pages it must not write elsewhere,
    // ending with its separator: private to this user (mode 0700), made
    // fresh for this run or kept under the user's runtime folder, never one
    // that someone else could have prepared or linked elsewhere. Empty when
    // none can be made.
    virtual std::string temporaryFolder();

    // The site folders the user wrote last, most recent first, kept between
    // runs in the user's configuration (here only for this run).
    virtual std::vector<std::string> recentSites() { return recentSites_; }
    virtual void setRecentSites(const std::vector<std::string>& folders) { recentSites_ = folders; }

private:
    std::string temporaryFolder_;
    bool removeTemporaryFolder_ = false;
    std::vector<std::string> recentSites_;
};

}  // namespace sb
