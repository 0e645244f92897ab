// The Main Window on screen: the widgets of the Form1 model, wired to its
// handlers. Every handler runs through run(), which brings the window in step
// with the model when the handler returns.
#pragma once

#include <functional>

#include "qt/window_view.h"
#include "ui/main_window.h"

namespace sbqt {

class MainWindowView : public WindowView {
    Q_OBJECT
public:
    MainWindowView(sb::MainWindow& model, QtPlatform& platform, QWidget* parent = nullptr);
    ~MainWindowView() override;

    sb::MainWindow& mainWindow() { return main_; }

    // Runs a handler of the model. Handlers may nest (they let pending events
    // run, and a click can start another one meanwhile); the window follows
    // the model after each, and the busy pointer is cleared when the last
    // one returns.
    void run(const std::function<void()>& handler);

    // Whether a person can see the embedded browser now: the window is on
    // screen and the browser is not behind the tab strip's panel.
    bool browserOnView() const;

    // How many handlers are running now (nested ones included).
    int runningHandlers() const { return running_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void afterSync() override;

private:
    void connectHandlers();
    void readWindowSize();
    void formResize();
    QSize pictureBound() const;

    sb::MainWindow& main_;
    int running_ = 0;
    bool inFormResize_ = false;
    bool resizeAgain_ = false;
};

}  // namespace sbqt
