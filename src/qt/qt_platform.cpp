#include "qt/qt_platform.h"

#include "qt/picture_decoder.h"
#include "ui/captions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QColorSpace>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QEventLoop>
#include <QImageReader>
#include <QImageWriter>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace sbqt {

namespace {

QString titleOrProgramName(const std::string& title) {
    return title.empty() ? QStringLiteral("Site Builder") : toQString(title);
}

}  // namespace

QtPlatform::QtPlatform(QString applicationFolder)
    : applicationFolder_(std::move(applicationFolder)), decodedNotice_(std::make_unique<QObject>()) {
    pictures_.setOnDecoded([this] {
        // One notice at a time: the views take every ready picture at once.
        if (noticePending_.exchange(true)) return;
        QMetaObject::invokeMethod(decodedNotice_.get(), [this] {
            noticePending_ = false;
            const std::vector<SyncedView*> views = views_;
            for (SyncedView* view : views) {
                if (std::find(views_.begin(), views_.end(), view) != views_.end()) view->picturesDecoded();
            }
        }, Qt::QueuedConnection);
    });
}

QtPlatform::~QtPlatform() {
    for (const QMetaObject::Connection& connection : browserConnections_) QObject::disconnect(connection);
    closeAllWindows();
    resetBusyPointer();
}

// --- events and views -------------------------------------------------------

void QtPlatform::doEvents() {
    QCoreApplication::processEvents();
    syncViews();
}

void QtPlatform::addView(SyncedView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void QtPlatform::removeView(SyncedView* view) { std::erase(views_, view); }

void QtPlatform::syncViews() {
    if (syncDepth_ > 0) return;
    ++syncDepth_;
    // A copy: a view may go away while another one syncs.
    const std::vector<SyncedView*> views = views_;
    for (SyncedView* view : views) {
        if (std::find(views_.begin(), views_.end(), view) != views_.end()) view->sync();
    }
    --syncDepth_;
}

// --- dialogs ------------------------------------------------------------------

void QtPlatform::showMessage(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, titleOrProgramName(title), toQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
    syncViews();
}

bool QtPlatform::english() const { return languageSource_ && languageSource_(); }

void nameButtons(QMessageBox& box, bool english) {
    const std::pair<QMessageBox::StandardButton, sb::Caption> words[] = {
        {QMessageBox::Yes, sb::kAnswerYes}, {QMessageBox::No, sb::kAnswerNo}, {QMessageBox::Cancel, sb::kAnswerCancel}};
    for (const auto& [button, word] : words) {
        if (QAbstractButton* shown = box.button(button)) shown->setText(QString::fromUtf8(word.in(english)));
    }
}

bool QtPlatform::askYesNo(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, titleOrProgramName(title), toQString(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    nameButtons(box, english());
    const bool yes = box.exec() == QMessageBox::Yes;
    syncViews();
    return yes;
}

sb::Platform::Answer QtPlatform::askYesNoCancel(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, titleOrProgramName(title), toQString(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    nameButtons(box, english());
    const int answer = box.exec();
    syncViews();
    return answer == QMessageBox::Yes ? Answer::Yes : answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

namespace {

// The user's configuration: the program's file under the XDG configuration
// folder (~/.config/sitebuilder/sitebuilder.conf).
QSettings userSettings() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("sitebuilder"), QStringLiteral("sitebuilder")); }
const QString kRecentSitesKey = QStringLiteral("recentSites");

}  // namespace

std::vector<std::string> QtPlatform::recentSites() {
    std::vector<std::string> sites;
    for (const QString& site : userSettings().value(kRecentSitesKey).toStringList()) sites.push_back(toStdString(site));
    return sites;
}

void QtPlatform::setRecentSites(const std::vector<std::string>& folders) {
    QStringList sites;
    for (const std::string& folder : folders) sites << toQString(folder);
    userSettings().setValue(kRecentSitesKey, sites);
}

void QtPlatform::beep() { QApplication::beep(); }

void QtPlatform::setBusyPointer(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        if (--busyDepth_ == 0) QApplication::restoreOverrideCursor();
    }
}

void QtPlatform::resetBusyPointer() {
    if (busyDepth_ > 0) {
        busyDepth_ = 0;
        QApplication::restoreOverrideCursor();
    }
}

std::string QtPlatform::showOpenDialog(const std::string& initialFolder, const std::string& initialFile) {
    QString start = toQString(initialFolder);
    const QString file = toQString(initialFile);
    if (!file.isEmpty()) start = QFileInfo(file).isAbsolute() || start.isEmpty() ? file : QDir(start).filePath(file);
    const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), start, QString());
    syncViews();
    return chosen.isEmpty() ? initialFile : toStdString(QDir::toNativeSeparators(chosen));
}

bool QtPlatform::openInUserBrowser(const std::string& pathOrAddress) {
    const QString text = toQString(pathOrAddress);
    if (text.isEmpty()) return false;
    const bool web = text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
                     text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
    const QUrl url = web ? QUrl(text, QUrl::StrictMode) : QUrl::fromLocalFile(text);
    return url.isValid() && QDesktopServices::openUrl(url);
}

// --- pictures -----------------------------------------------------------------

std::optional<sb::PixelSize> QtPlatform::loadPicture(const std::string& path) {
    // The same file shown again (both holders, a tab shown anew, a step to a
    // picture decoded ahead) is not decoded again while it is unchanged on
    // disk and the kept copy is large enough for the room. A new one is
    // decoded off the main thread; its size comes from its header.
    const auto picture = pictures_.show(toQString(path), displayBound(), pictureWait_, true);
    if (!picture) return std::nullopt;
    return sb::PixelSize{picture->natural.width(), picture->natural.height()};
}

QSize QtPlatform::displayBound() const {
    if (displayBoundSource_) {
        const QSize bound = displayBoundSource_();
        if (bound.isValid() && !bound.isEmpty()) return bound;
    }
    return displayBound_;
}

QImage QtPlatform::picture(const QString& path, QSize room) {
    const QSize wanted = room.isValid() && !room.isEmpty() ? room : displayBound();
    if (auto kept = pictures_.kept(path, wanted)) return kept->image;
    if (auto shown = pictures_.show(path, wanted)) return shown->image;
    return {};
}

void QtPlatform::preloadPictures(const QStringList& paths) {
    if (preloading_) pictures_.preload(paths, displayBound());
}

// --- thumbnails ---------------------------------------------------------------

namespace {

// A thumbnail is never decoded longer than this on any side, however thin a
// panorama it is cut from.
constexpr int kLongestDecodedSide = 4096;

std::atomic<bool> stopAsked{false};

}  // namespace

void QtPlatform::requestStop(bool stop) { stopAsked = stop; }
bool QtPlatform::stopRequested() { return stopAsked; }

namespace {

QByteArray jpegBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    return writer.write(image) ? bytes : QByteArray();
}

// A picture of several frames (an animated GIF or WebP).
bool moves(QFile& file) {
    QImageReader reader(&file);
    return reader.supportsAnimation() && reader.imageCount() != 1;
}

// A picture with pixels the page behind shows through.
bool seeThrough(const QImage& image) {
    if (!image.hasAlphaChannel()) return false;
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    for (int y = 0; y < alpha.height(); ++y) {
        const uchar* line = alpha.constScanLine(y);
        if (std::any_of(line, line + alpha.width(), [](uchar a) { return a != 255; })) return true;
    }
    return false;
}

// JPEG has no transparency: the picture laid on white.
QImage withoutTransparency(const QImage& image) {
    if (!image.hasAlphaChannel()) return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    flat.setColorSpace(image.colorSpace());
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

}  // namespace

sb::MadePicture QtPlatform::thumbnail(const sb::ThumbnailOrder& order, const std::atomic<bool>* cancelled) {
    sb::MadePicture made;
    made.copies.resize(order.copySides.size());
    const QString path = toQString(order.picture);
    const QSize size(order.size.width, order.size.height);
    // A JPEG copy of a picture that moves would stand still: such a picture
    // is its own copy whatever its size.
    bool jpeg = false, ownCopy = false;
    if (const std::unique_ptr<QFile> file = PictureDecoder::open(path)) {
        jpeg = file->peek(2) == "\xFF\xD8";
        ownCopy = !jpeg && !order.copySides.empty() && moves(*file);
    }
    const std::optional<PictureDecoder::Header> header = PictureDecoder::inspect(path, {QSize(1, 1)});
    if (!header) return made;
    const QSize upright = header->natural;

    // The copies' sizes (none where the picture is its own copy) and the
    // size the thumbnail is cut from, never larger than the picture.
    const int longSide = std::max(upright.width(), upright.height());
    std::vector<QSize> copySizes(order.copySides.size());
    for (std::size_t k = 0; k < copySizes.size(); ++k) {
        const int side = order.copySides[k];
        if (side <= 0 || ownCopy || (jpeg && longSide <= side)) continue;
        copySizes[k] = longSide <= side ? upright
                                        : QSize(qRound(double(upright.width()) * side / longSide),
                                                qRound(double(upright.height()) * side / longSide))
                                              .expandedTo(QSize(1, 1));
    }
    QSize cover;
    if (!size.isEmpty()) {
        cover = upright.scaled(size, Qt::KeepAspectRatioByExpanding);
        if (cover.width() > upright.width()) cover = upright;
        if (cover.width() > kLongestDecodedSide || cover.height() > kLongestDecodedSide) {
            cover = cover.scaled(kLongestDecodedSide, kLongestDecodedSide, Qt::KeepAspectRatio);
        }
        cover = cover.expandedTo(QSize(1, 1));
    }
    // Decoded once, no larger than the largest output needs: a JPEG then
    // decodes only a fraction of its pixels, and a huge photo loads at all.
    QSize decoded = cover;
    for (const QSize& copy : copySizes) {
        if (copy.width() > decoded.width()) decoded = copy;
    }
    if (decoded.isEmpty()) {  // nothing to make: the picture measured
        made.upright = {upright.width(), upright.height()};
        return made;
    }
    // A cut JPEG is refused before it is decoded, so that it costs nothing
    // at each site write.
    const std::optional<PictureDecoder::Picture> picture =
        PictureDecoder::decode(path, {decoded, PictureDecoder::Fit::Within, 0, true}, cancelled);
    if (!picture || picture->natural != upright) return made;
    // Laid on white in a JPEG, see-through pixels would lose the page behind
    // them: such a picture too is its own copy.
    if (!jpeg && seeThrough(picture->image)) copySizes.assign(copySizes.size(), QSize());
    const QImage image = withoutTransparency(picture->image);

    // The copies from the largest down, each scaled from the one before; the
    // thumbnail cut from the smallest that still covers it.
    std::vector<std::size_t> largestFirst;
    for (std::size_t k = 0; k < copySizes.size(); ++k) {
        if (!copySizes[k].isEmpty()) largestFirst.push_back(k);
    }
    std::sort(largestFirst.begin(), largestFirst.end(),
              [&](std::size_t a, std::size_t b) { return copySizes[a].width() > copySizes[b].width(); });
    QImage source = image, smallest = image;
    for (const std::size_t k : largestFirst) {
        if (source.size() != copySizes[k]) {
            source = source.scaled(copySizes[k], Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        made.copies[k] = jpegBytes(source).toStdString();
        if (source.width() >= cover.width() && source.height() >= cover.height()) smallest = source;
    }
    if (!size.isEmpty()) {
        const QSize cut = size.scaled(smallest.size(), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        const QImage thumbnail =
            smallest.copy(QRect(QPoint((smallest.width() - cut.width()) / 2, (smallest.height() - cut.height()) / 2), cut))
                .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        made.thumbnail = jpegBytes(thumbnail).toStdString();
        if (made.thumbnail.empty()) return {};
    }
    made.upright = {upright.width(), upright.height()};
    return made;
}

bool QtPlatform::makeThumbnails(const std::vector<sb::ThumbnailOrder>& orders, const sb::ThumbnailDone& done) {
    if (orders.empty()) return true;
    // What the workers share with the calling thread. The workers hold it
    // too: after a cancel they may finish the picture in hand (one that is
    // slow to read) after this call has returned, and then only drop it.
    struct Shared {
        std::vector<sb::ThumbnailOrder> orders;
        std::atomic<std::size_t> next{0};
        std::atomic<bool> cancelled{false};
        std::mutex mutex;
        std::condition_variable finished;
        std::deque<std::pair<std::size_t, sb::MadePicture>> ready;
        QEventLoop* waiting = nullptr;  // woken when something is ready; null once the call returned
        int workers = 0;
    };
    const auto shared = std::make_shared<Shared>();
    shared->orders = orders;

    QEventLoop loop;
    QTimer wake;  // a safety net: the loop never waits long for a missed wake-up
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start(100);

    QProgressDialog progress(QString::fromUtf8(sb::kThumbnailsProgress.in(english())),
                             QString::fromUtf8(sb::kAnswerCancel.in(english())), 0,
                             static_cast<int>(std::min<std::size_t>(orders.size(), INT_MAX)),
                             QApplication::activeWindow());
    progress.setWindowTitle(QStringLiteral("Site Builder"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);

    std::size_t handed = 0;
    auto handOver = [&] {
        std::deque<std::pair<std::size_t, sb::MadePicture>> batch;
        {
            const std::lock_guard lock(shared->mutex);
            batch.swap(shared->ready);
        }
        for (auto& [index, made] : batch) {
            done(index, std::move(made));
            ++handed;
        }
        return !batch.empty();
    };

    {
        const std::lock_guard lock(shared->mutex);
        shared->waiting = &loop;
        shared->workers = static_cast<int>(std::min<std::size_t>(std::max(1, QThread::idealThreadCount()), orders.size()));
    }
    for (int w = 0; w < shared->workers; ++w) {
        PictureDecoder::enterBackground();
        std::thread([shared] {
            for (std::size_t i; !shared->cancelled && (i = shared->next++) < shared->orders.size();) {
                sb::MadePicture made = thumbnail(shared->orders[i], &shared->cancelled);
                const std::lock_guard lock(shared->mutex);
                if (shared->cancelled) break;
                shared->ready.emplace_back(i, std::move(made));
                if (shared->waiting) QMetaObject::invokeMethod(shared->waiting, &QEventLoop::quit, Qt::QueuedConnection);
            }
            {
                const std::lock_guard lock(shared->mutex);
                --shared->workers;
            }
            shared->finished.notify_all();
            PictureDecoder::leaveBackground();
        }).detach();
    }

    bool arrowShown = false;
    while (handed < orders.size() && !progress.wasCanceled() && !stopRequested()) {
        if (!handOver()) {
            loop.exec();
            continue;
        }
        progress.setValue(static_cast<int>(std::min<std::size_t>(handed, INT_MAX)));
        if (progress.isVisible() && !arrowShown) {
            // The busy pointer of the site write would hide that Cancel can be clicked.
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            arrowShown = true;
        }
    }
    {
        // Cancelled or stopped: the workers take no further picture. Those
        // still in a picture get a moment to end; one that does not (a file
        // slow to read) is left to end on its own, never waited for.
        std::unique_lock lock(shared->mutex);
        if (handed < orders.size()) shared->cancelled = true;
        shared->finished.wait_for(lock, std::chrono::milliseconds(300), [&] { return shared->workers == 0; });
        shared->waiting = nullptr;
    }
    handOver();  // what was finished when the user cancelled is kept
    if (arrowShown) QApplication::restoreOverrideCursor();
    syncViews();
    return handed == orders.size();
}

// --- embedded browser ---------------------------------------------------------

QUrl QtPlatform::addressToUrl(const std::string& address) {
    static constexpr std::string_view kFileScheme = "file://";
    if (address.starts_with(kFileScheme)) {
        const std::string path = address.substr(kFileScheme.size());
        if (path.empty() || path[0] != '/') return QUrl::fromLocalFile(toQString(path));
        // From the path's bytes, percent-encoded: a name that is not UTF-8
        // still reaches the browser as the very file.
        QUrl url;
        url.setScheme(QStringLiteral("file"));
        url.setPath(QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("/")), QUrl::TolerantMode);
        return url;
    }
    const QString text = toQString(address);
    if (QFileInfo(text).isAbsolute()) return QUrl::fromLocalFile(text);
    return QUrl(text);
}

namespace {

// What a page of the embedded browser may load besides itself. A sample page
// shows local pictures and nothing else: no frame, object, script, style
// sheet or request of its own, and nothing from the network, so that a page
// naming a picture from anywhere can neither run nor show anything but
// pictures. The written site's preview loads what the site holds.
class PageGuard : public QWebEngineUrlRequestInterceptor {
public:
    explicit PageGuard(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}
    void setSite(bool site) { site_ = site; }
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (site_) return;
        const QWebEngineUrlRequestInfo::ResourceType type = info.resourceType();
        const bool local = info.requestUrl().isLocalFile() || info.requestUrl().scheme() == QLatin1String("about");
        info.block(!local || (type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
                              type != QWebEngineUrlRequestInfo::ResourceTypeImage));
    }

private:
    bool site_ = false;
};

}  // namespace

QWebEngineView* QtPlatform::browser() const { return browser_; }

void QtPlatform::setBrowser(QWebEngineView* browser, std::function<bool()> onView) {
    if (!browser) {
        setBrowser(std::function<QWebEngineView*()>{}, std::move(onView));
        return;
    }
    setBrowser([browser] { return browser; }, std::move(onView));
}

void QtPlatform::setBrowser(std::function<QWebEngineView*()> make, std::function<bool()> onView) {
    for (const QMetaObject::Connection& connection : browserConnections_) QObject::disconnect(connection);
    browserConnections_.clear();
    browser_ = nullptr;
    guard_ = nullptr;
    makeBrowser_ = std::move(make);
    browserOnView_ = std::move(onView);
    loading_ = false;
    flushPendingNavigation();
}

void QtPlatform::load(QUrl url, bool site) {
    if (!browser_) {
        if (!makeBrowser_) return;
        browser_ = makeBrowser_();
        if (!browser_) return;
        // The view keeps its guard: it lives as long as the page it guards.
        auto* guard = new PageGuard(browser_);
        browser_->page()->setUrlRequestInterceptor(guard);
        guard_ = guard;
        browserConnections_ = {
            QObject::connect(browser_, &QWebEngineView::loadStarted, browser_, [this] { loading_ = true; }),
            QObject::connect(browser_, &QWebEngineView::loadFinished, browser_, [this] { loading_ = false; }),
        };
    }
    pending_.clear();
    // Set before the page loads, and kept by the pages it links to: the
    // site's preview runs its gallery engine; a sample page or anything else
    // gets no script, no network and no local file but its pictures (which
    // the engine lets through only while local pages may reach local files).
    QWebEngineSettings* settings = browser_->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, site);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    if (guard_) static_cast<PageGuard*>(guard_.data())->setSite(site);
    browser_->setUrl(url);
}

void QtPlatform::navigate(const std::string& address, bool site) {
    const QUrl url = addressToUrl(address);
    if (!makeBrowser_ || (browserOnView_ && !browserOnView_())) {
        // Nobody would see it load: keep it for when the browser shows.
        pending_ = url;
        pendingSite_ = site;
        return;
    }
    load(url, site);
}

void QtPlatform::browserNavigate(const std::string& address) { navigate(address, false); }

void QtPlatform::browserNavigateSite(const std::string& address) { navigate(address, true); }

void QtPlatform::flushPendingNavigation() {
    if (pending_.isEmpty() || !makeBrowser_) return;
    if (browserOnView_ && !browserOnView_()) return;
    load(pending_, pendingSite_);
}

bool QtPlatform::browserBusy() { return loading_; }

void QtPlatform::browserStop() {
    // A navigation still waiting for the browser to show is kept: had it been
    // loaded at once it would long be over.
    if (browser_ && loading_) browser_->stop();
    loading_ = false;
}

// --- folders ------------------------------------------------------------------

std::string QtPlatform::applicationFolder() {
    QString folder = applicationFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : applicationFolder_;
    while (folder.size() > 1 && (folder.endsWith('/') || folder.endsWith('\\'))) folder.chop(1);
    return toStdString(QDir::toNativeSeparators(folder));
}

}  // namespace sbqt
