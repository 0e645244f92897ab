// The program's further windows (the Copy Window, the Publish window) on
// screen, and the folder chooser: the part of the real Platform that opens
// and closes windows.
#include <QApplication>
#include <QDir>
#include <QFileDialog>

#include <algorithm>

#include "qt/publish_window.h"
#include "qt/qt_platform.h"
#include "qt/window_view.h"

namespace sbqt {

QtPlatform::OpenWindows::const_iterator QtPlatform::findWindow(const sb::WindowModel& window) const {
    return std::find_if(windows_.begin(), windows_.end(), [&window](const auto& w) { return w.first == &window; });
}

WindowView* QtPlatform::windowView(const sb::WindowModel& window) const {
    const auto it = findWindow(window);
    return it == windows_.end() ? nullptr : static_cast<WindowView*>(it->second.data());
}

void QtPlatform::showWindow(sb::WindowModel& window) {
    if (WindowView* view = windowView(window)) {
        if (view->isMinimized()) view->showNormal();
        view->raise();
        view->activateWindow();
        return;
    }
    auto* view = new WindowView(window, *this);
    // The program ends with its Main Window, whatever else is open.
    view->setAttribute(Qt::WA_QuitOnClose, false);
    // Its controls keep their places: the window takes the size they were
    // laid out for and keeps it. (A view is brought in step with its model
    // only once shown, so its own size here is still a new widget's default.)
    view->setFixedSize(px(window.clientWidth), px(window.clientHeight));
    windows_.emplace_back(&window, view);
    view->show();
    view->focusFirstControl();
    view->raise();
    view->activateWindow();
}

void QtPlatform::closeWindow(sb::WindowModel& window) {
    const auto it = findWindow(window);
    if (it == windows_.end()) return;
    const QPointer<QObject> widget = it->second;
    windows_.erase(it);
    if (!widget) return;
    auto* view = static_cast<WindowView*>(widget.data());
    // The view may be running the very handler that closes it: it goes
    // once its events are over.
    view->detach();
    view->hide();
    view->deleteLater();
}

PublishWindow* QtPlatform::publishWindow() const { return static_cast<PublishWindow*>(publishWindow_.data()); }

void QtPlatform::openPublishWindow(const std::string& siteFolder, bool english) {
    PublishWindow* window = publishWindow();
    if (!window) {
        window = new PublishWindow(publishRunner_);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // The program ends with its Main Window, whatever else is open.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        window->setLanguageSource(languageSource_);
        SyncedView* view = window;
        addView(view);
        QObject::connect(window, &QObject::destroyed, [this, view] { removeView(view); });
        publishWindow_ = window;
    }
    window->open(siteFolder, english);
}

void QtPlatform::setLanguageSource(std::function<bool()> english) {
    languageSource_ = std::move(english);
    if (PublishWindow* window = publishWindow()) window->setLanguageSource(languageSource_);
}

void QtPlatform::closeAllWindows() {
    // A publishing run still going is cancelled and waited for.
    delete publishWindow();
    const auto windows = std::move(windows_);
    windows_.clear();
    for (const auto& [model, widget] : windows) {
        if (!widget) continue;
        static_cast<WindowView*>(widget.data())->detach();
        delete widget.data();
    }
}

std::string QtPlatform::showFolderDialog(const std::string& initialFolder) {
    const QString chosen = QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(), toQString(initialFolder));
    syncViews();
    return chosen.isEmpty() ? std::string{} : toStdString(QDir::toNativeSeparators(chosen));
}

}  // namespace sbqt
