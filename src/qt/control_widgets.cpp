#include "qt/control_widgets.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QTabBar>

#include <algorithm>

namespace sbqt {

void PictureLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressed_ = true;
    QLabel::mousePressEvent(event);
}

void PictureLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) emit clicked();
}

namespace {

// Narrow tabs, so that all eleven fit along the strip.
class NarrowTabs : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) return 8;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

TabPanel::TabPanel(QWidget* parent) : QFrame(parent), tabBar_(new QTabBar(this)), page_(new QFrame(this)) {
    auto* style = new NarrowTabs;
    style->setParent(this);
    tabBar_->setStyle(style);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    tabBar_->setExpanding(false);
    tabBar_->setUsesScrollButtons(true);
    tabBar_->setElideMode(Qt::ElideNone);
    tabBar_->setDrawBase(false);
    tabBar_->setFocusPolicy(Qt::TabFocus);
    page_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    page_->lower();
}

void TabPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const int barHeight = std::min(height(), tabBar_->sizeHint().height());
    tabBar_->setGeometry(0, 0, width(), barHeight);
    page_->setGeometry(0, barHeight - 1, width(), std::max(0, height() - barHeight + 1));
}

// --- text fields ----------------------------------------------------------------

bool LineEditor::event(QEvent* event) {
    return events_.enter([&] { return QLineEdit::event(event); });
}

bool PlainTextEditor::event(QEvent* event) {
    return events_.enter([&] { return QPlainTextEdit::event(event); });
}

bool PlainTextEditor::viewportEvent(QEvent* event) {
    return events_.enter([&] { return QPlainTextEdit::viewportEvent(event); });
}

bool PlainTextEditor::canInsertFromMimeData(const QMimeData* source) const { return source && source->hasText(); }

void PlainTextEditor::insertFromMimeData(const QMimeData* source) {
    if (!source || isReadOnly()) return;
    // Read once, into a copy of our own, before anything else is done: the
    // data may come from another program, and while it is fetched events
    // can run, the clipboard can change hands and its data go away.
    QString text = source->text();
    if (text.isEmpty()) return;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    insertPlainText(text);
    ensureCursorVisible();
}

}  // namespace sbqt
