// Renders one window model as real widgets: one widget per control at
// pixels = twips / 15, kept in step with the model by sync().
#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qt/browser_slot.h"
#include "qt/control_widgets.h"
#include "qt/qt_platform.h"
#include "ui/window_model.h"

class QTabBar;
class QWebEngineView;

namespace sbqt {

// Pixels of a place or size in twips, as the window shows it.
inline int px(int twips) { return twips / sb::kTwipsPerPixel; }
inline QRect pixelRect(const sb::Control& c) { return QRect(px(c.left), px(c.top), px(c.width), px(c.height)); }

class WindowView : public QWidget, public SyncedView {
    Q_OBJECT
public:
    WindowView(sb::WindowModel& model, QtPlatform& platform, QWidget* parent = nullptr);
    ~WindowView() override;

    // Brings every widget in step with the model; cheap when nothing changed.
    void sync() override;
    // Holders still waiting for their picture take it now.
    void picturesDecoded() override {
        dirty_ = true;
        sync();
    }

    // Runs a handler of the model. Handlers may nest (they let pending events
    // run, and a click in either window can start another one meanwhile);
    // the windows follow their models after each, and the busy pointer is
    // cleared when the last one returns. The widgets' events (clicks, Enter,
    // the tab strip, the close box) reach the model's handlers through here.
    void run(const std::function<void()>& handler);
    // How many handlers are running now, in all windows (nested ones included).
    int runningHandlers() const;

    // Gives the keyboard focus to the first control of the tab order that
    // takes it, as a window does when it opens.
    void focusFirstControl();
    // The window is closed for good: it no longer follows its model nor
    // hands events on, and goes away once its events are over.
    void detach();
    bool detached() const { return detached_; }

    sb::WindowModel& model() { return model_; }
    QtPlatform& platform() { return platform_; }

    // The widget of a control (nullptr for one that has none, such as the
    // file dialog).
    QWidget* widget(const std::string& name, int index = -1) const;
    QTabBar* tabBar() const;
    TabPanel* tabPanel() const { return tabPanel_; }
    // The embedded browser's place, and its web view once one was needed.
    BrowserSlot* browserSlot() const { return browserSlot_; }
    QWebEngineView* browser() const { return browserSlot_ ? browserSlot_->view() : nullptr; }

    // The room the window gives a control: from its top-left corner to the
    // bottom and right of the client area, in pixels.
    QSize roomInClientArea(const sb::Control& control) const;

    // The window's own font: a small interface font, so that the captions
    // keep within the boxes the design gives them.
    static QFont windowFont();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Runs after every full sync.
    virtual void afterSync() {}
    // Runs when the last running handler (of any window) has returned.
    virtual void afterHandlers() {}
    // Whether the control lies wholly behind the tab strip, out of sight.
    bool coveredByTabStrip(const sb::Control& control) const;
    // Forces the next sync to look at every control again.
    void markDirty() { dirty_ = true; }
    int controlIndex(const std::string& name, int index) const;
    void disconnectChildren();

private:
    struct Item {
        QWidget* widget = nullptr;
        std::string shownText;
        bool textShown = false;
        QString shownPicture;
        QSize shownPictureSize;
        std::uint64_t shownGeneration = 0;
    };

    void createWidgets();
    void connectHandlers();
    QWidget* createWidget(const sb::Control& control, QWidget* parent);
    void syncControl(std::size_t i);
    void syncText(Item& item, const sb::Control& control);
    bool deferredWhileInside(EventScope& events, Item& item);
    void syncPicture(Item& item, const sb::Control& control, QSize box);
    void syncWindow();
    void syncStacking();
    QPixmap applicationPicture(const QString& relative);

    sb::WindowModel& model_;
    QtPlatform& platform_;
    std::vector<Item> items_;  // one per model control, same order
    TabPanel* tabPanel_ = nullptr;
    BrowserSlot* browserSlot_ = nullptr;

    bool detached_ = false;
    bool syncing_ = false;
    bool dirty_ = true;
    std::uint64_t syncedRevision_ = 0;
    std::string shownTitle_;
    std::vector<std::string> shownTabs_;
    int shownTab_ = -1;
    QSize shownClient_;
    std::vector<int> shownOrder_;
};

}  // namespace sbqt
