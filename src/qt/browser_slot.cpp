#include "qt/browser_slot.h"

#include <QQuickWindow>
#include <QResizeEvent>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace sbqt {

namespace {

// The pages are small local files: a few megabytes of cache hold them all,
// and the browser's memory stays the same however long the user steps
// through pictures.
constexpr int kBrowserCacheBytes = 8 * 1024 * 1024;

}  // namespace

BrowserSlot::BrowserSlot(QWidget* parent) : QWidget(parent) {
    // Until a page loads it looks as an empty page does: white.
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
}

void BrowserSlot::startEngine() {
    static bool started = false;
    if (started) return;
    started = true;
    // The pages shown are small and still: drawn by the processor and laid
    // into the window as a picture, they spare every repaint of the window a
    // pass through the graphics driver, which without a graphics processor
    // cost more than the rest of a step of the viewer together. Chosen before
    // the engine starts.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setHttpCacheMaximumSize(kBrowserCacheBytes);
}

QWebEngineView* BrowserSlot::makeView() {
    if (view_) return view_;
    startEngine();
    view_ = new QWebEngineView(this);
    view_->setObjectName(objectName() + QStringLiteral(".view"));
    view_->setGeometry(rect());
    view_->show();
    return view_;
}

void BrowserSlot::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (view_) view_->setGeometry(rect());
}

}  // namespace sbqt
