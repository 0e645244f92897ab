// The small widgets the window views are made of besides the standard ones:
// a picture holder that reports clicks and the tab strip's panel.
#pragma once

#include <QFrame>
#include <QLabel>

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

}  // namespace sbqt
