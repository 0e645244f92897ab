#include "qt/window_view.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTabBar>

#include <algorithm>
#include <cmath>

namespace sbqt {

using sb::Control;
using sb::ControlKind;
using sb::kTwipsPerPixel;

namespace {

// Multi-line boxes hold lines ending in CR LF, the editor plain line feeds.
QString toEditorText(const std::string& text) {
    QString s = toQString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// Whether two texts hold the same lines, however their lines end.
bool sameLines(QString a, QString b) {
    for (QString* s : {&a, &b}) s->replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return a == b;
}

std::string fromEditorText(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toStdString(s);
}

// The face of every caption and text of both windows: a narrow sans serif,
// for the design's boxes are sized for a narrow face and a wider one gets
// cut at their ends. The package depends on the Debian package that brings
// it (fonts-liberation), and so does scripts/deps.sh; the caption test lays
// the windows out with just the fonts the package brings.
const char* const kInterfaceFace = "Liberation Sans Narrow";

// Fonts are given in points at the 96 dots per inch the layout in twips
// assumes (15 twips a pixel): sized in pixels they keep to their boxes on
// any screen. A control's own face stands for a style of its design; it is
// drawn in the one face of the windows, in its size and weight.
QFont controlFont(const sb::Font& font) {
    QFont f = WindowView::windowFont();
    if (font.points > 0) f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.points * 96.0 / 72.0))));
    f.setBold(font.bold);
    return f;
}

bool isTopLevelControl(const Control& c) { return c.container.empty(); }

}  // namespace

// --- the window -----------------------------------------------------------------

QFont WindowView::windowFont() {
    QFont f(QString::fromLatin1(kInterfaceFace));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

WindowView::WindowView(sb::WindowModel& model, QtPlatform& platform, QWidget* parent)
    : QWidget(parent), model_(model), platform_(platform) {
    setFont(windowFont());
    createWidgets();
    connectHandlers();
    platform_.addView(this);
    sync();
}

WindowView::~WindowView() {
    // A detached view may outlive its platform: it no longer touches it.
    if (!detached_) platform_.removeView(this);
    disconnectChildren();
}

void WindowView::disconnectChildren() {
    // The widgets outlive this object's own part while QWidget deletes them:
    // none of their last signals may reach a handler here.
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
}

void WindowView::detach() {
    if (detached_) return;
    detached_ = true;
    platform_.removeView(this);
    disconnectChildren();
}

// --- handlers -------------------------------------------------------------------

void WindowView::run(const std::function<void()>& handler) {
    if (detached_) return;
    platform_.enterHandler();
    handler();
    platform_.leaveHandler();
    if (!detached_) sync();
    platform_.syncViews();
    if (platform_.runningHandlers() > 0) return;
    platform_.resetBusyPointer();
    if (!detached_) afterHandlers();
}

int WindowView::runningHandlers() const { return platform_.runningHandlers(); }

void WindowView::connectHandlers() {
    const auto& controls = model_.controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        QWidget* w = items_[i].widget;
        if (!w) continue;
        const std::string name = c.name;
        const int index = c.index;
        if (model_.handlesClick(name, index)) {
            const auto click = [this, name, index] { run([this, name, index] { model_.click(name, index); }); };
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                connect(button, &QPushButton::clicked, this, click);
            } else if (auto* picture = qobject_cast<PictureLabel*>(w)) {
                picture->setCursor(Qt::PointingHandCursor);
                connect(picture, &PictureLabel::clicked, this, click);
            }
        }
        if (auto* line = qobject_cast<QLineEdit*>(w)) {
            connect(line, &QLineEdit::returnPressed, this,
                    [this, name, index] { run([this, name, index] { model_.keyPress(name, index, 13); }); });
        }
    }
    if (QTabBar* bar = tabBar()) {
        connect(bar, &QTabBar::currentChanged, this, [this](int index) {
            if (index >= 0) run([this, index] { model_.tabStripClick(index + 1); });
        });
    }
}

void WindowView::focusFirstControl() {
    for (int i : model_.tabOrder()) {
        QWidget* w = items_[static_cast<std::size_t>(i)].widget;
        if (w && w->focusPolicy() != Qt::NoFocus && w->isVisibleTo(this) && w->isEnabled()) {
            w->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}

void WindowView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    sync();
}

void WindowView::closeEvent(QCloseEvent* event) {
    // The close box: the model decides what closing means (the Copy Window
    // closes itself; the Main Window's closing ends the program).
    if (!detached_) run([this] { model_.closeBox(); });
    QWidget::closeEvent(event);
}

int WindowView::controlIndex(const std::string& name, int index) const {
    const auto& controls = model_.controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == name && controls[i].index == index) return static_cast<int>(i);
    }
    return -1;
}

QWidget* WindowView::widget(const std::string& name, int index) const {
    const int i = controlIndex(name, index);
    return i < 0 ? nullptr : items_[static_cast<std::size_t>(i)].widget;
}

QTabBar* WindowView::tabBar() const { return tabPanel_ ? tabPanel_->tabBar() : nullptr; }

void WindowView::createWidgets() {
    const auto& controls = model_.controls();
    items_.resize(controls.size());
    // Frames first: the controls they hold are made inside them.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const Control& c = controls[i];
            if ((c.kind == ControlKind::Frame) != (pass == 0)) continue;
            QWidget* parent = this;
            if (!c.container.empty()) {
                const int frame = controlIndex(c.container, -1);
                if (frame >= 0 && items_[static_cast<std::size_t>(frame)].widget)
                    parent = items_[static_cast<std::size_t>(frame)].widget;
            }
            items_[i].widget = createWidget(c, parent);
        }
    }
    // Keyboard focus follows the model's tab order.
    QWidget* previous = nullptr;
    for (int i : model_.tabOrder()) {
        QWidget* w = items_[static_cast<std::size_t>(i)].widget;
        if (!w || w->focusPolicy() == Qt::NoFocus) continue;
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

QWidget* WindowView::createWidget(const Control& c, QWidget* parent) {
    const std::size_t i = static_cast<std::size_t>(&c - model_.controls().data());
    const QFont font = c.font == sb::Font{} ? windowFont() : controlFont(c.font);
    auto paintForeground = [&c](QWidget* w, QPalette::ColorRole role) {
        if (!c.foreColor.set) return;
        QPalette p = w->palette();
        p.setColor(role, QColor(c.foreColor.red, c.foreColor.green, c.foreColor.blue));
        w->setPalette(p);
    };
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::Button: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        paintForeground(button, QPalette::ButtonText);
        w = button;
        break;
    }
    case ControlKind::TextBox: {
        if (c.multiLine) {
            auto* edit = new PlainTextEditor(parent);
            edit->setTabChangesFocus(true);
            connect(edit, &QPlainTextEdit::textChanged, this, [this, i, edit] {
                if (syncing_) return;
                const Control& m = model_.controls()[i];
                std::string text = fromEditorText(edit->toPlainText());
                items_[i].shownText = text;
                items_[i].textShown = true;
                model_.edit(m.name, m.index).text = std::move(text);
            });
            w = edit;
        } else {
            auto* edit = new LineEditor(parent);
            edit->setTextMargins(1, 0, 0, 0);
            connect(edit, &QLineEdit::textEdited, this, [this, i](const QString& typed) {
                const Control& m = model_.controls()[i];
                std::string text = toStdString(typed);
                items_[i].shownText = text;
                items_[i].textShown = true;
                model_.edit(m.name, m.index).text = std::move(text);
            });
            w = edit;
        }
        paintForeground(w, QPalette::Text);
        break;
    }
    case ControlKind::LabelBox: {
        // A read-only text box without border on the button face colour.
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(true);
        QPalette p = label->palette();
        p.setColor(QPalette::Window, p.color(QPalette::Button));
        label->setPalette(p);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setContentsMargins(1, 0, 0, 0);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        paintForeground(label, QPalette::WindowText);
        w = label;
        break;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        // Inside a frame the frame's own face shows through.
        label->setAutoFillBackground(!c.transparent && isTopLevelControl(c));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setAttribute(Qt::WA_TransparentForMouseEvents, c.transparent);
        paintForeground(label, QPalette::WindowText);
        w = label;
        break;
    }
    case ControlKind::Image: {
        auto* label = new PictureLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = label;
        break;
    }
    case ControlKind::PictureBox: {
        // Without a border: the model sizes a holder to its picture exactly.
        auto* label = new PictureLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = label;
        break;
    }
    case ControlKind::WebBrowser: {
        browserSlot_ = new BrowserSlot(parent);
        w = browserSlot_;
        break;
    }
    case ControlKind::TabStrip: {
        tabPanel_ = new TabPanel(parent);
        w = tabPanel_;
        break;
    }
    case ControlKind::Frame: {
        auto* frame = new QGroupBox(parent);
        paintForeground(frame, QPalette::WindowText);
        w = frame;
        break;
    }
    case ControlKind::FileDialog:
        return nullptr;
    }
    w->setObjectName(toQString(c.key()));
    w->setFont(font);
    return w;
}

QSize WindowView::roomInClientArea(const Control& c) const {
    if (!isTopLevelControl(c)) {
        const QWidget* frame = widget(c.container, -1);
        if (frame) return QSize(frame->width() - px(c.left), frame->height() - px(c.top));
    }
    QSize room(width() - px(c.left), height() - px(c.top));
    if (c.kind != ControlKind::PictureBox) return room;
    // A browser standing in front of the box, to its right, ends the room:
    // the picture is shown whole in the column the browser leaves.
    const auto order = model_.paintOrder();
    bool above = false;
    for (int i : order) {
        const Control& other = model_.controls()[static_cast<std::size_t>(i)];
        if (&other == &c) {
            above = true;
            continue;
        }
        if (!above || other.kind != ControlKind::WebBrowser || !other.visible) continue;
        const int top = px(other.top);
        const int bottom = top + px(other.height);
        if (other.left > c.left && bottom > px(c.top)) room.setWidth(std::min(room.width(), px(other.left - c.left)));
    }
    return room;
}

void WindowView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    model_.clientWidth = width() * kTwipsPerPixel;
    model_.clientHeight = height() * kTwipsPerPixel;
    shownClient_ = size();
    dirty_ = true;  // picture boxes depend on the room the window gives them
    sync();
}

void WindowView::sync() {
    // A window not on screen yet shows nothing: it is brought in step with
    // its model at once when it is shown (the start-up pass alone changes
    // the Main Window many times over before that).
    if (!isVisible()) {
        dirty_ = true;
        return;
    }
    if (syncing_) return;
    syncing_ = true;
    syncWindow();
    const bool changed = dirty_ || model_.revision() != syncedRevision_;
    if (changed) {
        // Read the revision first: nothing below changes the model.
        syncedRevision_ = model_.revision();
        dirty_ = false;
        for (std::size_t i = 0; i < items_.size(); ++i) syncControl(i);
        syncStacking();
    }
    syncing_ = false;
    if (changed) afterSync();
}

void WindowView::syncWindow() {
    if (model_.title != shownTitle_) {
        shownTitle_ = model_.title;
        setWindowTitle(toQString(shownTitle_));
    }
    if (QTabBar* bar = tabBar()) {
        const QSignalBlocker block(bar);
        if (model_.tabs != shownTabs_) {
            shownTabs_ = model_.tabs;
            while (bar->count() > static_cast<int>(shownTabs_.size())) bar->removeTab(bar->count() - 1);
            for (std::size_t t = 0; t < shownTabs_.size(); ++t) {
                const QString caption = toQString(shownTabs_[t]);
                if (static_cast<int>(t) < bar->count())
                    bar->setTabText(static_cast<int>(t), caption);
                else
                    bar->addTab(caption);
            }
            shownTab_ = -1;
        }
        const int current = model_.selectedTab - 1;
        if (current != shownTab_ || bar->currentIndex() != current) {
            shownTab_ = current;
            if (current >= 0 && current < bar->count()) bar->setCurrentIndex(current);
        }
    }
    const QSize client(px(model_.clientWidth), px(model_.clientHeight));
    if (client != shownClient_ && !client.isEmpty()) {
        shownClient_ = client;
        if (size() != client) resize(client);
        dirty_ = true;
    }
}

void WindowView::syncControl(std::size_t i) {
    const Control& c = model_.controls()[i];
    Item& item = items_[i];
    QWidget* w = item.widget;
    if (!w) return;

    QRect rect = pixelRect(c);
    bool visible = c.visible;
    if (c.kind == ControlKind::PictureBox) {
        // Never larger than the room the window gives it: a picture box that
        // took the natural size of a large photo shows it scaled down.
        rect.setSize(rect.size().boundedTo(roomInClientArea(c)));
        if (rect.width() <= 0 || rect.height() <= 0) visible = false;
    }
    if (w->geometry() != rect) w->setGeometry(rect);

    syncText(item, c);
    // A holder hidden behind the tab strip gets its picture when it comes
    // forward: nobody would see it decoded and scaled now.
    if ((c.kind == ControlKind::Image || c.kind == ControlKind::PictureBox) && !coveredByTabStrip(c))
        syncPicture(item, c, rect.size());

    if (w->isHidden() == visible) w->setVisible(visible);
}

bool WindowView::coveredByTabStrip(const Control& c) const {
    if (!isTopLevelControl(c)) return false;
    const auto& controls = model_.controls();
    const auto strip = std::find_if(controls.begin(), controls.end(),
                                    [](const Control& other) { return other.kind == ControlKind::TabStrip; });
    if (strip == controls.end() || !strip->visible || !isTopLevelControl(*strip)) return false;
    if (!pixelRect(*strip).contains(pixelRect(c))) return false;
    const std::vector<int> order = model_.paintOrder();
    const auto at = [&](const Control& control) {
        return std::find(order.begin(), order.end(), static_cast<int>(&control - controls.data()));
    };
    return at(*strip) > at(c);
}

bool WindowView::deferredWhileInside(EventScope& events, Item& item) {
    // A key or a paste is still working on the field: its text is brought in
    // step once that event is over (the user's edit then reaches the model
    // first, and is what the field keeps if it changed the text).
    if (!events.inside()) return false;
    item.textShown = false;
    events.whenOutside([this] {
        if (detached_) return;
        markDirty();
        sync();
    });
    return true;
}

void WindowView::syncText(Item& item, const Control& c) {
    if (item.textShown && item.shownText == c.text) return;
    item.shownText = c.text;
    item.textShown = true;
    QWidget* w = item.widget;
    switch (c.kind) {
    case ControlKind::Button:
        static_cast<QPushButton*>(w)->setText(toQString(c.text));
        break;
    case ControlKind::TextBox:
        if (auto* line = qobject_cast<LineEditor*>(w)) {
            if (deferredWhileInside(line->events(), item)) return;
            const QString text = toQString(c.text);
            if (line->text() != text) line->setText(text);
        } else if (auto* edit = qobject_cast<PlainTextEditor*>(w)) {
            if (deferredWhileInside(edit->events(), item)) return;
            // Lines that differ only in how they end are left alone: the
            // user keeps the cursor, the selection and what undo can undo.
            const QString text = toEditorText(c.text);
            if (!sameLines(edit->toPlainText(), text)) edit->setPlainText(text);
        }
        break;
    case ControlKind::LabelBox:
    case ControlKind::Label:
        static_cast<QLabel*>(w)->setText(toQString(c.text));
        break;
    case ControlKind::Frame:
        static_cast<QGroupBox*>(w)->setTitle(toQString(c.text));
        break;
    default:
        break;
    }
}

QPixmap WindowView::applicationPicture(const QString& relative) {
    const QString path = QDir(toQString(platform_.applicationFolder())).filePath(relative);
    return QPixmap(path);
}

void WindowView::syncPicture(Item& item, const Control& c, QSize box) {
    auto* label = static_cast<QLabel*>(item.widget);
    const QString picture = toQString(c.picture);
    const int frame = label->frameWidth();
    const QSize room = box - QSize(2 * frame, 2 * frame);
    const bool fromApplicationFolder = QFileInfo(picture).isRelative();
    const QString path =
        fromApplicationFolder ? QDir(toQString(platform_.applicationFolder())).filePath(picture) : picture;
    // A file decoded anew since (it changed on disk) is shown anew.
    const std::uint64_t generation = picture.isEmpty() ? 0 : platform_.pictureGeneration(path);
    if (picture == item.shownPicture && room == item.shownPictureSize && generation == item.shownGeneration) return;
    item.shownPicture = picture;
    item.shownPictureSize = room;
    item.shownGeneration = generation;
    if (picture.isEmpty() || room.isEmpty()) {
        label->clear();
        return;
    }
    if (c.kind == ControlKind::Image && fromApplicationFolder) {
        // A picture of the program's own (the flags): at its natural size.
        label->setPixmap(applicationPicture(picture));
        return;
    }
    const QImage image = platform_.picture(path, room);
    // A picture that cannot be read (gone from disk since it was loaded), or
    // is still being decoded, leaves the holder showing what it showed; it
    // is asked for again at the next sync (a decode asked for and then
    // dropped for a newer picture on view is asked for anew).
    if (image.isNull()) {
        item.shownGeneration = kNotShown;
        return;
    }
    QImage shown;
    if (c.kind == ControlKind::Image) {
        // An image control stretches the picture over its whole box.
        shown = image.size() == room ? image : image.scaled(room, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else if (image.width() > room.width() || image.height() > room.height()) {
        shown = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } else {
        shown = image;  // never enlarged
    }
    label->setPixmap(QPixmap::fromImage(std::move(shown)));
}

void WindowView::syncStacking() {
    std::vector<int> order = model_.paintOrder();
    if (order == shownOrder_) return;
    for (int i : order) {
        if (QWidget* w = items_[static_cast<std::size_t>(i)].widget) w->raise();
    }
    shownOrder_ = std::move(order);
}

}  // namespace sbqt
