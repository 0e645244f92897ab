#include "qt/main_window_view.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QCompleter>
#include <QDir>
#include <QLineEdit>
#include <QStringListModel>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QTimer>

#include "common/text.h"

namespace sbqt {

using sb::Control;
using sb::kTwipsPerPixel;

namespace {

// The frame around the client area of the design, in pixels: Form_Resize
// takes 120 and 510 twips off the outer size for it.
constexpr int kClassicFrameWidth = 8;
constexpr int kClassicFrameHeight = 34;

long long area(const QRect& r) { return r.isEmpty() ? 0 : static_cast<long long>(r.width()) * r.height(); }

}  // namespace

MainWindowView::MainWindowView(sb::MainWindow& model, QtPlatform& platform, QWidget* parent)
    : WindowView(model, platform, parent), main_(model) {
    const sb::WindowModel& m = main_;
    // Placed as the design places it: the client area at left/top.
    setGeometry(px(m.left), px(m.top), px(m.clientWidth), px(m.clientHeight));
    if (!m.iconFile.empty()) {
        // Read on another thread while the window is made; given to the
        // window when it is shown.
        const QString icon = QDir(toQString(platform.applicationFolder())).filePath(toQString(m.iconFile));
        icon_ = std::async(std::launch::async, [icon] { return QImage(icon); });
    }
    if (BrowserSlot* slot = browserSlot()) {
        platform.setBrowser([slot] { return slot->makeView(); }, [this] { return browserOnView(); });
    }
    platform.setDisplayBoundSource([this] { return pictureBound(); });
    platform.setLanguageSource([this] { return sb::Lingua_Inglese(main_); });

    if (auto* folder = qobject_cast<QLineEdit*>(widget("Text1", 1))) {
        recentSites_ = new QCompleter(new QStringListModel(this), this);
        recentSites_->setCompletionMode(QCompleter::PopupCompletion);
        recentSites_->setFilterMode(Qt::MatchContains);
        recentSites_->setCaseSensitivity(Qt::CaseSensitive);
        folder->setCompleter(recentSites_);
        // A folder taken from the list is typed text, as if keyed in.
        connect(recentSites_, qOverload<const QString&>(&QCompleter::activated), folder, [folder](const QString& chosen) {
            folder->setText(chosen);
            emit folder->textEdited(chosen);
        });
        folder->installEventFilter(this);
    }
}

void MainWindowView::offerRecentSites() {
    QStringList sites;
    for (const std::string& site : main_.recentSiteFolders()) sites << toQString(site);
    static_cast<QStringListModel*>(recentSites_->model())->setStringList(sites);
}

bool MainWindowView::eventFilter(QObject* watched, QEvent* event) {
    // The list is read when the field is entered; Down opens it whole.
    if (recentSites_ && watched == recentSites_->widget()) {
        if (event->type() == QEvent::FocusIn) offerRecentSites();
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down &&
            !recentSites_->popup()->isVisible()) {
            offerRecentSites();
            recentSites_->setCompletionPrefix(QString());
            recentSites_->complete();
            return true;
        }
    }
    return WindowView::eventFilter(watched, event);
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    run([this, &mayClose] { mayClose = main_.mayClose(); });
    if (mayClose) {
        WindowView::closeEvent(event);
    } else {
        event->ignore();
    }
}

MainWindowView::~MainWindowView() {
    disconnectChildren();
    platform().setDisplayBoundSource({});
    platform().setLanguageSource({});
    platform().setBrowser(nullptr);
}

void MainWindowView::afterHandlers() { preloadNeighbours(); }

void MainWindowView::preloadNeighbours() {
    // The pictures a step of the viewer would show next, while the stepping
    // buttons are on view: the next one first, as the user mostly steps
    // forward.
    if (!main_.has("Command4") || coveredByTabStrip(main_.control("Command4"))) return;
    const sb::Module1& s = main_.state();
    QStringList paths;
    for (const int i : {s.Img_Corrente + 1, s.Img_Corrente - 1}) {
        if (i < 1 || i > s.N_Img || i >= static_cast<int>(main_.Lista_Immagini.size())) continue;
        const std::string& name = main_.Lista_Immagini[static_cast<std::size_t>(i)];
        if (!name.empty()) paths << toQString(sb::trimBlanks(s.Cartella_Img + name));
    }
    if (!paths.isEmpty()) platform().preloadPictures(paths);
}

// --- size and state -------------------------------------------------------------

void MainWindowView::readWindowSize() {
    // Form_Resize fits the tab strip to the client area by taking the
    // classic frame (4-pixel borders, 26-pixel caption) off the outer size.
    // A thinner frame, or none at all without a window manager, would leave
    // a gap where the controls behind the strip show through: reckon at
    // least the classic frame.
    const QSize outer = frameGeometry().size().expandedTo(size() + QSize(kClassicFrameWidth, kClassicFrameHeight));
    main_.outerWidth = outer.width() * kTwipsPerPixel;
    main_.outerHeight = outer.height() * kTwipsPerPixel;
    const Qt::WindowStates state = windowState();
    main_.windowState = state.testFlag(Qt::WindowMinimized)                                          ? sb::WindowState::Minimized
                        : state.testFlag(Qt::WindowMaximized) || state.testFlag(Qt::WindowFullScreen) ? sb::WindowState::Maximized
                                                                                                      : sb::WindowState::Normal;
}

void MainWindowView::formResize() {
    // A resize that comes while Form_Resize lets events run is handled once
    // the running one has returned, never inside it.
    if (inFormResize_) {
        resizeAgain_ = true;
        return;
    }
    inFormResize_ = true;
    for (int round = 0; round < 4; ++round) {
        resizeAgain_ = false;
        run([this] { main_.Form_Resize(); });
        if (!resizeAgain_) break;
        readWindowSize();
    }
    inFormResize_ = false;
}

void MainWindowView::resizeEvent(QResizeEvent* event) {
    WindowView::resizeEvent(event);
    readWindowSize();
    formResize();
}

void MainWindowView::changeEvent(QEvent* event) {
    WindowView::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const sb::WindowState before = main_.windowState;
    readWindowSize();
    if (main_.windowState != before) formResize();
}

void MainWindowView::showEvent(QShowEvent* event) {
    if (icon_.valid()) {
        const QImage icon = icon_.get();
        if (!icon.isNull()) setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    }
    WindowView::showEvent(event);
    // The window manager may have added a frame meanwhile.
    const int outerWidth = main_.outerWidth;
    const int outerHeight = main_.outerHeight;
    readWindowSize();
    if (main_.outerWidth != outerWidth || main_.outerHeight != outerHeight) formResize();
    platform().flushPendingNavigation();
}

void MainWindowView::paintEvent(QPaintEvent* event) {
    WindowView::paintEvent(event);
    // The window is on screen: the browser engine starts a moment later,
    // while the user reads it, so that the first page shown in the browser
    // does not wait for it (a program that quits at once never starts it).
    if (!engineStarted_ && browserSlot()) {
        engineStarted_ = true;
        QTimer::singleShot(250, this, [] { BrowserSlot::startEngine(); });
    }
}

void MainWindowView::afterSync() { platform().flushPendingNavigation(); }

// --- what is on view --------------------------------------------------------------

bool MainWindowView::browserOnView() const {
    if (!isVisible() || isMinimized()) return false;
    const sb::WindowModel& m = main_;
    if (!m.has("WebBrowser1")) return false;
    const Control& browser = m.control("WebBrowser1");
    if (!browser.visible) return false;
    const QRect shown = pixelRect(browser) & rect();
    if (shown.isEmpty()) return false;
    if (m.has("TabStrip1") && m.control("TabStrip1").visible && m.isAbove("TabStrip1", -1, "WebBrowser1", -1)) {
        // Behind the opaque panel: on view only if a fair part sticks out.
        const long long hidden = area(shown & pixelRect(m.control("TabStrip1")));
        if ((area(shown) - hidden) * 20 <= area(shown)) return false;
    }
    return true;
}

QSize MainWindowView::pictureBound() const {
    // Before the window is first shown (the start-up pass) nothing can be
    // seen: a picture loaded then is only checked, decoded as small as its
    // format allows, and decoded for its holder when that comes on view.
    if (!isVisible()) return QSize(1, 1);
    const sb::WindowModel& m = main_;
    if (!m.has("Picture1")) return {};
    return roomInClientArea(m.control("Picture1"));
}

}  // namespace sbqt
