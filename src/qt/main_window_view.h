// The Main Window on screen: the widgets of the Form1 model, with what only
// the Main Window has: its resize handler, the embedded browser and the room
// it gives the picture on view.
#pragma once

#include <QImage>

#include <future>

#include "qt/window_view.h"
#include "ui/main_window.h"

namespace sbqt {

class MainWindowView : public WindowView {
    Q_OBJECT
public:
    MainWindowView(sb::MainWindow& model, QtPlatform& platform, QWidget* parent = nullptr);
    ~MainWindowView() override;

    sb::MainWindow& mainWindow() { return main_; }

    // Whether a person can see the embedded browser now: the window is on
    // screen and the browser is not behind the tab strip's panel.
    bool browserOnView() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing with values not yet written asks first; the answer may keep
    // the window open.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void afterSync() override;
    void paintEvent(QPaintEvent* event) override;
    // Decodes ahead the pictures the next step of the viewer would show.
    void afterHandlers() override;

private:
    void readWindowSize();
    void formResize();
    void preloadNeighbours();
    // The site folder field offers the folders written last as completions.
    void offerRecentSites();
    QSize pictureBound() const;

    sb::MainWindow& main_;
    std::future<QImage> icon_;
    class QCompleter* recentSites_ = nullptr;
    bool inFormResize_ = false;
    bool engineStarted_ = false;
    bool resizeAgain_ = false;
};

}  // namespace sbqt
