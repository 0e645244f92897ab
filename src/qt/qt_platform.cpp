#include "qt/qt_platform.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QDateTime>
#include <QFileInfo>
#include <QEventLoop>
#include <QImageReader>
#include <QImageWriter>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <atomic>
#include <climits>
#include <deque>
#include <memory>
#include <mutex>

namespace sbqt {

namespace {

constexpr std::size_t kKeptPictures = 4;

QString titleOrProgramName(const std::string& title) {
    return title.empty() ? QStringLiteral("Site Builder") : toQString(title);
}

// The size a picture of `natural` size takes inside `room`: proportions kept,
// never enlarged, never below one pixel.
QSize fitted(QSize natural, QSize room) {
    if (!room.isValid() || room.isEmpty()) return natural;
    if (natural.width() <= room.width() && natural.height() <= room.height()) return natural;
    QSize size = natural.scaled(room, Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}

}  // namespace

QtPlatform::QtPlatform(QString applicationFolder) : applicationFolder_(std::move(applicationFolder)) {}

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

bool QtPlatform::askYesNo(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, titleOrProgramName(title), toQString(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    const bool yes = box.exec() == QMessageBox::Yes;
    syncViews();
    return yes;
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
    const QString file = toQString(path);
    const QFileInfo info(file);
    if (!info.isFile()) return std::nullopt;
    const qint64 bytes = info.size();
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    // The same file shown again (both holders, a tab shown anew) is not
    // decoded again while the kept copy is large enough for the room.
    const QSize room = displayBound();
    for (const CachedPicture& kept : pictures_) {
        if (kept.path != file || kept.bytes != bytes || kept.modified != modified) continue;
        const QSize needed = fitted(kept.natural, room);
        if (kept.image.width() >= needed.width() && kept.image.height() >= needed.height()) {
            return sb::PixelSize{kept.natural.width(), kept.natural.height()};
        }
    }
    QSize natural;
    {
        QImageReader reader(file);
        if (!reader.canRead()) return std::nullopt;
        natural = reader.size();
        if (!natural.isValid() || natural.isEmpty() || !decodable(reader, natural)) return std::nullopt;
    }
    QImage image = decode(file, natural, room);
    if (image.isNull()) return std::nullopt;
    remember(file, natural, std::move(image));
    pictures_.front().bytes = bytes;
    pictures_.front().modified = modified;
    return sb::PixelSize{natural.width(), natural.height()};
}

bool QtPlatform::decodable(const QImageReader& reader, QSize natural) {
    // A header may claim any size (100000 x 100000 takes 40 GB): what could
    // not be decoded within the reader's allocation limit is refused here,
    // before anything is allocated. JPEG decodes at an eighth of the size
    // in each direction when asked for a smaller picture.
    const qint64 pixels = qint64(natural.width()) * natural.height();
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024 / 4;
    const bool scalesWhileDecoding = reader.supportsOption(QImageIOHandler::ScaledSize);
    return pixels <= (scalesWhileDecoding ? limit * 64 : limit);
}

QImage QtPlatform::decode(const QString& path, QSize natural, QSize room) {
    QImageReader reader(path);
    if (!decodable(reader, natural)) return {};
    reader.setAutoTransform(false);
    const QSize size = fitted(natural, room);
    // Scaled while decoding: JPEG then only decodes what is shown, and a
    // picture too large for a full decode still loads.
    if (size != natural) reader.setScaledSize(size);
    QImage image = reader.read();
    return image;
}

QSize QtPlatform::displayBound() const {
    if (displayBoundSource_) {
        const QSize bound = displayBoundSource_();
        if (bound.isValid() && !bound.isEmpty()) return bound;
    }
    return displayBound_;
}

void QtPlatform::remember(const QString& path, QSize natural, QImage image) {
    std::erase_if(pictures_, [&](const CachedPicture& kept) { return kept.path == path; });
    pictures_.push_front(CachedPicture{path, natural, std::move(image)});
    while (pictures_.size() > kKeptPictures) pictures_.pop_back();
}

QImage QtPlatform::picture(const QString& path, QSize room) {
    const QSize wanted = room.isValid() && !room.isEmpty() ? room : displayBound();
    auto kept = std::find_if(pictures_.begin(), pictures_.end(),
                             [&](const CachedPicture& picture) { return picture.path == path; });
    QSize natural;
    if (kept != pictures_.end()) {
        const QSize needed = fitted(kept->natural, wanted);
        if (kept->image.width() >= needed.width() && kept->image.height() >= needed.height()) {
            pictures_.splice(pictures_.begin(), pictures_, kept);
            return pictures_.front().image;
        }
        natural = kept->natural;
    } else {
        QImageReader reader(path);
        if (!reader.canRead()) return {};
        natural = reader.size();
        if (!natural.isValid() || natural.isEmpty()) return {};
    }
    QImage image = decode(path, natural, wanted);
    if (image.isNull()) return {};
    remember(path, natural, image);
    return image;
}

// --- thumbnails ---------------------------------------------------------------

namespace {

// A thumbnail is never decoded longer than this on any side, however thin a
// panorama it is cut from.
constexpr int kLongestDecodedSide = 4096;

// A JPEG cut short still decodes (the decoder greys out what is missing),
// but it lacks the end-of-image marker that closes every whole one.
bool jpegEndsWhole(const QString& path) {
    QFile file(path);
    const qint64 tail = std::min<qint64>(file.size(), 4096);
    return file.open(QIODevice::ReadOnly) && file.seek(file.size() - tail) && file.read(tail).contains("\xFF\xD9");
}

}  // namespace

QByteArray QtPlatform::thumbnail(const QString& path, QSize size) {
    if (size.isEmpty()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    // Looked at before decoding, so that a cut picture costs nothing at each site write.
    if (file.peek(2) == "\xFF\xD8" && !jpegEndsWhole(path)) return {};
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (stored.isValid() && !stored.isEmpty()) {
        // Decoded no larger than the thumbnail needs: a JPEG then decodes
        // only a fraction of its pixels, and a huge photo loads at all.
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize upright = turned ? stored.transposed() : stored;
        QSize decoded = upright.scaled(size, Qt::KeepAspectRatioByExpanding);
        if (decoded.width() > upright.width()) decoded = upright;
        if (decoded.width() > kLongestDecodedSide || decoded.height() > kLongestDecodedSide) {
            decoded = decoded.scaled(kLongestDecodedSide, kLongestDecodedSide, Qt::KeepAspectRatio);
        }
        reader.setScaledSize(turned ? decoded.transposed() : decoded.expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull()) return {};

    const QSize cut = size.scaled(image.size(), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    image = image.copy(QRect(QPoint((image.width() - cut.width()) / 2, (image.height() - cut.height()) / 2), cut))
                .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.hasAlphaChannel()) {  // JPEG has no transparency: lay the picture on white
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    return writer.write(image) ? bytes : QByteArray();
}

bool QtPlatform::makeThumbnails(const std::vector<sb::ThumbnailOrder>& orders, const sb::ThumbnailDone& done) {
    if (orders.empty()) return true;
    // What the workers hand back; the calling thread takes it from here.
    struct Shared {
        std::mutex mutex;
        std::deque<std::pair<std::size_t, QByteArray>> ready;
        std::atomic<bool> cancelled{false};
    };
    const auto shared = std::make_shared<Shared>();
    QEventLoop loop;
    QTimer wake;  // a safety net: the loop never waits long for a missed wake-up
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start(100);

    QProgressDialog progress(QStringLiteral("Miniature delle immagini della galleria..."), QStringLiteral("Annulla"), 0,
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
        std::deque<std::pair<std::size_t, QByteArray>> batch;
        {
            const std::lock_guard lock(shared->mutex);
            batch.swap(shared->ready);
        }
        for (auto& [index, jpeg] : batch) {
            done(index, jpeg.toStdString());
            ++handed;
        }
        return !batch.empty();
    };

    bool arrowShown = false;
    {
        QThreadPool pool;
        pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        for (std::size_t i = 0; i < orders.size(); ++i) {
            const QString path = toQString(orders[i].picture);
            const QSize size(orders[i].size.width, orders[i].size.height);
            QEventLoop* waiting = &loop;
            pool.start([shared, i, path, size, waiting] {
                if (shared->cancelled) return;
                QByteArray jpeg = thumbnail(path, size);
                {
                    const std::lock_guard lock(shared->mutex);
                    shared->ready.emplace_back(i, std::move(jpeg));
                }
                QMetaObject::invokeMethod(waiting, &QEventLoop::quit, Qt::QueuedConnection);
            });
        }
        while (handed < orders.size() && !progress.wasCanceled()) {
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
        if (progress.wasCanceled()) {
            shared->cancelled = true;
            pool.clear();
        }
        pool.waitForDone();
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

QWebEngineView* QtPlatform::browser() const { return browser_; }

void QtPlatform::setBrowser(QWebEngineView* browser, std::function<bool()> onView) {
    for (const QMetaObject::Connection& connection : browserConnections_) QObject::disconnect(connection);
    browserConnections_.clear();
    browser_ = browser;
    browserOnView_ = std::move(onView);
    loading_ = false;
    if (!browser) return;
    browserConnections_ = {
        QObject::connect(browser, &QWebEngineView::loadStarted, browser, [this] { loading_ = true; }),
        QObject::connect(browser, &QWebEngineView::loadFinished, browser, [this] { loading_ = false; }),
    };
    flushPendingNavigation();
}

void QtPlatform::load(QUrl url) {
    pending_.clear();
    browser_->setUrl(url);
}

void QtPlatform::browserNavigate(const std::string& address) {
    const QUrl url = addressToUrl(address);
    if (!browser_ || (browserOnView_ && !browserOnView_())) {
        // Nobody would see it load: keep it for when the browser shows.
        pending_ = url;
        return;
    }
    load(url);
}

void QtPlatform::flushPendingNavigation() {
    if (pending_.isEmpty() || !browser_) return;
    if (browserOnView_ && !browserOnView_()) return;
    load(pending_);
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
