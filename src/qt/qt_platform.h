// The real program's Platform: Qt Widgets for dialogs and messages, the
// Main Window's QWebEngineView as the embedded browser, PictureDecoder (and
// through it QImageReader) for pictures. It also keeps the views in step with their models whenever
// pending events are let run.
#pragma once

#include <QImage>
#include <QMetaObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "qt/picture_cache.h"
#include "qt/publish_runner.h"

class QMessageBox;
class QWebEngineView;

namespace sbqt {

class WindowView;
class PublishWindow;

// Names a question's Yes, No and Cancel buttons in the window's language.
void nameButtons(QMessageBox& box, bool english);

// Anything that shows a model and must follow it after each round of events.
class SyncedView {
public:
    virtual ~SyncedView() = default;
    virtual void sync() = 0;
    // A picture decoded off the main thread is ready to be shown.
    virtual void picturesDecoded() { sync(); }
};

// Core strings are UTF-8.
inline QString toQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string toStdString(const QString& text) { return text.toStdString(); }

class QtPlatform : public sb::Platform {
public:
    // `applicationFolder` overrides the folder of the executable (tests).
    explicit QtPlatform(QString applicationFolder = {});
    ~QtPlatform() override;

    void doEvents() override;
    void showMessage(const std::string& text, const std::string& title) override;
    bool askYesNo(const std::string& text, const std::string& title) override;
    Answer askYesNoCancel(const std::string& text, const std::string& title) override;
    // Kept in the user's configuration folder (QSettings).
    std::vector<std::string> recentSites() override;
    void setRecentSites(const std::vector<std::string>& folders) override;
    void beep() override;
    void setBusyPointer(bool busy) override;
    std::string showOpenDialog(const std::string& initialFolder, const std::string& initialFile) override;
    std::string showFolderDialog(const std::string& initialFolder) override;
    bool openInUserBrowser(const std::string& pathOrAddress) override;
    void showWindow(sb::WindowModel& window) override;
    void closeWindow(sb::WindowModel& window) override;
    void openPublishWindow(const std::string& siteFolder, bool english) override;
    std::optional<sb::PixelSize> loadPicture(const std::string& path) override;
    bool makeThumbnails(const std::vector<sb::ThumbnailOrder>& orders, const sb::ThumbnailDone& done) override;
    void browserNavigate(const std::string& address) override;
    void browserNavigateSite(const std::string& address) override;
    bool browserBusy() override;
    void browserStop() override;
    std::string applicationFolder() override;

    // --- for the views ---

    // The embedded browser, made by `make` when the first page must really
    // load (`make` is called once). `onView` tells whether a person can see
    // it right now; while it says no, navigations wait and only the last one
    // is loaded once the browser comes on view (see flushPendingNavigation).
    // A browser not made yet is not busy.
    void setBrowser(std::function<QWebEngineView*()> make, std::function<bool()> onView = {});
    void setBrowser(QWebEngineView* browser, std::function<bool()> onView = {});
    // The web view, once made.
    QWebEngineView* browser() const;
    // Loads the address that waited while the browser was out of sight.
    void flushPendingNavigation();
    // The address waiting for the browser to come on view (empty: none).
    QUrl pendingNavigation() const { return pending_; }

    // What the Publish window publishes with; without it the window says
    // the program cannot publish.
    void setPublishRunner(PublishRunner runner) { publishRunner_ = std::move(runner); }
    // The Main Window's language, which the Publish window follows.
    void setLanguageSource(std::function<bool()> english);
    // True when the Main Window speaks English.
    bool english() const;
    // The Publish window while it is open (nullptr otherwise).
    PublishWindow* publishWindow() const;

    // The view of a further window while it is on screen (nullptr otherwise).
    WindowView* windowView(const sb::WindowModel& window) const;

    // Handlers running now, in all windows: the views count them (run()).
    void enterHandler() { ++runningHandlers_; }
    void leaveHandler() { --runningHandlers_; }
    int runningHandlers() const { return runningHandlers_; }

    void addView(SyncedView* view);
    void removeView(SyncedView* view);
    void syncViews();

    // The room a loaded picture gets on screen, in pixels: pictures are
    // decoded no larger than this.
    void setDisplayBound(QSize bound) { displayBound_ = bound; }
    // Or asked of the view at each load, when the room changes often.
    void setDisplayBoundSource(std::function<QSize()> source) { displayBoundSource_ = std::move(source); }
    QSize displayBound() const;

    // The decoded picture of a loaded file, upright, at least as large as
    // `room` allows (fitted, never enlarged). A null image while it is being
    // decoded (the views are told when it is ready, picturesDecoded) or when
    // the file cannot be decoded.
    QImage picture(const QString& path, QSize room = {});
    // How long loadPicture waits for a decode before it answers with the
    // size from the header and lets the pixels follow: small pictures then
    // show at once, and broken ones are found unreadable at once.
    void setPictureWait(std::chrono::milliseconds wait) { pictureWait_ = wait; }
    // Changes whenever a new decode of the file is kept (the file changed on
    // disk and was loaded again): a holder showing it then takes it anew.
    std::uint64_t pictureGeneration(const QString& path) const { return pictures_.generation(path); }
    // Decodes these pictures ahead of need, at the size they will be shown,
    // on a worker thread, while the window waits for the user and the
    // browser loads its page on the other processor core.
    void preloadPictures(const QStringList& paths);
    void setPreloading(bool on) { preloading_ = on; }
    PictureCache& pictureCache() { return pictures_; }

    // How many busy-pointer requests are still open; the pointer is busy
    // while this is above zero.
    int busyDepth() const { return busyDepth_; }
    // Puts the default pointer back whatever is still open: called when the
    // last handler has returned and nothing can be busy any more.
    void resetBusyPointer();

    // The address in an embedded-browser form ("about:blank", file URL).
    static QUrl addressToUrl(const std::string& address);

    // What one order asks for, from a single decoding at the largest size
    // it needs (see sb::ThumbnailOrder); nothing and no size when the
    // picture cannot be read whole. Safe on any thread.
    static sb::MadePicture thumbnail(const sb::ThumbnailOrder& order, const std::atomic<bool>* cancelled = nullptr);

    // Asked from a signal handler's notice (SIGTERM, SIGINT): a batch of
    // thumbnails under way stops as if cancelled.
    static void requestStop(bool stop = true);
    static bool stopRequested();

private:
    void closeAllWindows();
    void load(QUrl url, bool site);  // a copy: it may be the waiting address itself
    void navigate(const std::string& address, bool site);

    QString applicationFolder_;
    std::function<QWebEngineView*()> makeBrowser_;
    QPointer<QWebEngineView> browser_;
    std::function<bool()> browserOnView_;
    std::vector<QMetaObject::Connection> browserConnections_;
    QUrl pending_;
    bool pendingSite_ = false;
    QPointer<QObject> guard_;  // what the page may load (qt_platform.cpp)
    bool loading_ = false;
    int busyDepth_ = 0;
    QSize displayBound_{640, 480};
    std::function<QSize()> displayBoundSource_;
    // Tells the views on the main thread that a decode ended; before the
    // cache, whose workers use it until they are joined.
    std::unique_ptr<QObject> decodedNotice_;
    std::atomic<bool> noticePending_{false};
    std::chrono::milliseconds pictureWait_{25};
    PictureCache pictures_;
    bool preloading_ = true;
    std::vector<SyncedView*> views_;
    int syncDepth_ = 0;
    int runningHandlers_ = 0;
    // Further windows on screen, by their model (qt_platform_windows.cpp).
    using OpenWindows = std::vector<std::pair<const sb::WindowModel*, QPointer<QObject>>>;
    OpenWindows windows_;
    PublishRunner publishRunner_;
    std::function<bool()> languageSource_;
    QPointer<QObject> publishWindow_;
    OpenWindows::const_iterator findWindow(const sb::WindowModel& window) const;
};

}  // namespace sbqt
