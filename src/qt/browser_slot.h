// The embedded browser's place in a window. The web view inside it, and with
// it the browser engine, is made only when a page must really load: the
// window shows without waiting for the engine, and a browser that stays
// behind the tab strip costs nothing.
#pragma once

#include <QWidget>

class QWebEngineView;

namespace sbqt {

class BrowserSlot : public QWidget {
    Q_OBJECT
public:
    explicit BrowserSlot(QWidget* parent);

    // The web view, or nullptr while none has been needed.
    QWebEngineView* view() const { return view_; }
    // The web view, made on the first call.
    QWebEngineView* makeView();
    // Starts the browser engine without a web view (once; later calls do
    // nothing), so that the first page needs only its view.
    static void startEngine();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWebEngineView* view_ = nullptr;
};

}  // namespace sbqt
