// The small widgets the window views are made of besides the standard ones:
// a picture holder that reports clicks, the tab strip's panel, and the text
// fields.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

class QTabBar;

namespace sbqt {

// A picture holder (Image or PictureBox) that reports clicks.
class PictureLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// The tab strip: an opaque panel with the tab bar along its top. It is the
// backdrop of the tab pages: controls stacked below the panel are hidden.
class TabPanel : public QFrame {
    Q_OBJECT
public:
    explicit TabPanel(QWidget* parent);
    QTabBar* tabBar() const { return tabBar_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* tabBar_;
    QFrame* page_;
};

// Whether a text field is inside one of its own events (a key, a click, a
// drop, its context menu): its text must not be replaced under the user's
// hands then, as a paste or a typed key is still working on it. What waits
// for the event to end runs when the outermost one is over.
class EventScope {
public:
    bool inside() const { return depth_ > 0; }
    void whenOutside(std::function<void()> waiting) { waiting_ = std::move(waiting); }

    template <typename Handle>
    bool enter(Handle handle) {
        ++depth_;
        const bool handled = handle();
        if (--depth_ == 0 && waiting_) std::exchange(waiting_, {})();
        return handled;
    }

private:
    int depth_ = 0;
    std::function<void()> waiting_;
};

// A one-line text field.
class LineEditor : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    EventScope& events() { return events_; }

protected:
    bool event(QEvent* event) override;

private:
    EventScope events_;
};

// A multi-line text field that takes only plain text: a paste or a drop
// inserts a copy of the text alone.
class PlainTextEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
    EventScope& events() { return events_; }

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;  // clicks and drops come through the viewport
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    EventScope events_;
};

}  // namespace sbqt
