// The windows on screen follow their models and reach their handlers; the embedded browser
// loads the very file it is given, once on view; the Publish window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGroupBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyleOptionButton>
#include <QWebEngineView>

#include <memory>
#include <thread>

#include "adapter_support.h"
#include "app/state.h"
#include "common/text.h"
#include "publish/publish.h"
#include "qt/main_window_view.h"
#include "qt/publish_window.h"
#include "ui/copy_window.h"
#include "ui/main_window.h"

namespace sbqt {
namespace {

using sb::ControlKind;

struct Windows {
    test::ApplicationFolder app;
    test::QuietPlatform platform{app.qstr()};
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    MainWindowView view{model, platform};
    // The Copy Window, opened by the Main Window's copy button once loaded.
    sb::CopyWindow& copyModel = (view.run([this] { model.Form_Load(), model.Command5_Click(); }), *model.Form2());
    WindowView& copy = *platform.windowView(copyModel);

    Windows() { view.show(), QApplication::processEvents(); }
    QWidget* widget(const QString& key) { return test::named(&view, key); }
    QTabBar* tabBar() { return test::tabBarOf(&view); }
    void clickTab(int number) { test::click(tabBar(), tabBar()->tabRect(number - 1).center()); }
    void fillText2(const QString& s) { static_cast<QLineEdit*>(widget("Text2"))->clear(), test::typeText(widget("Text2"), s); }
};

QString shownText(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText().replace("\n", "\r\n");
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

void expectFollowsModel(WindowView& view) {
    view.platform().pictureCache().waitForPreloads();  // pictures are decoded off the window's thread
    QApplication::processEvents();
    const sb::WindowModel& m = view.model();
    EXPECT_EQ(view.size(), QSize(m.clientWidth / 15, m.clientHeight / 15)) << m.name();
    EXPECT_EQ(view.windowTitle().toStdString(), m.title);
    const QTabBar* bar = test::tabBarOf(&view);
    for (std::size_t t = 0; bar && t < m.tabs.size(); ++t) EXPECT_EQ(bar->tabText(int(t)).toStdString(), m.tabs[t]);
    EXPECT_EQ(bar ? bar->currentIndex() + 1 : m.selectedTab, m.selectedTab);
    for (const sb::Control& c : m.controls()) {
        if (c.kind == ControlKind::FileDialog) continue;
        QWidget* w = test::named(&view, c);
        ASSERT_NE(w, nullptr) << c.key();
        QRect expected = test::pixels(c);
        if (c.kind == ControlKind::PictureBox) expected.setSize(expected.size().boundedTo(view.roomInClientArea(c)).expandedTo({0, 0}));
        EXPECT_EQ(w->geometry(), expected) << c.key();
        EXPECT_EQ(w->parentWidget(), c.container.empty() ? &view : test::named(&view, QString::fromStdString(c.container))) << c.key();
        EXPECT_EQ(!w->isHidden(), c.visible && !expected.isEmpty()) << c.key();
        auto* label = qobject_cast<QLabel*>(w);
        const bool picture = c.kind == ControlKind::Image || c.kind == ControlKind::PictureBox;
        if (!picture && c.kind != ControlKind::TabStrip && c.kind != ControlKind::WebBrowser) {
            EXPECT_EQ(shownText(w).toStdString(), c.text) << c.key();
            const int plainWidth = label ? label->fontMetrics().horizontalAdvance(label->text()) : 0;
            EXPECT_GE(label ? label->sizeHint().width() : 0, plainWidth) << "shown as markup: " << c.key();
        }
        // Scaled down to fit, never up; a holder behind the tab strip gets its picture when it comes forward.
        const bool covered = m.has("TabStrip1") && m.isAbove("TabStrip1", -1, c.name, c.index) &&
                             test::pixels(m.control("TabStrip1")).contains(expected);
        if (c.kind == ControlKind::PictureBox && !c.picture.empty() && !covered) {
            const QSize natural(c.pictureSize.width, c.pictureSize.height), room = label->contentsRect().size();
            const QSize fit = room.expandedTo(natural) == room ? natural : natural.scaled(room, Qt::KeepAspectRatio);
            EXPECT_EQ(label->pixmap().size(), fit) << c.key();
        }
    }
}

// Clipboard data from another program: reading it lets events run meanwhile (the
// transfer waits for the owner), and `replace` then replaces it, at the first read.
class ForeignClipboard : public QMimeData {
public:
    ForeignClipboard(QString text, std::function<void()> replace, int& readsAfterReplaced)
        : replace_(std::move(replace)), readsAfterReplaced_(readsAfterReplaced) {
        setData(QStringLiteral("text/plain;charset=utf-8"), text.toUtf8());
    }
    QStringList formats() const override { return read(), QMimeData::formats(); }

protected:
    QVariant retrieveData(const QString& format, QMetaType type) const override { return read(), QMimeData::retrieveData(format, type); }

private:
    void read() const {
        if (!replace_) return void(++readsAfterReplaced_);
        QTimer::singleShot(0, replace_), replace_ = nullptr;
        QApplication::processEvents();
    }
    mutable std::function<void()> replace_;
    int& readsAfterReplaced_;
};

TEST(WindowViews, WidgetsFollowTheirModels) {
    Windows f;
    sb::MainWindow& m = f.model;
    const auto synced = [&f] { f.model.touch(), f.copyModel.touch(), f.view.sync(), f.copy.sync(); };
    const auto tab = [&f](int number) { f.view.run([&f, number] { f.model.selectTab(number); }); };
    const auto show = [&f](const char* name, QSize size) {
        ASSERT_TRUE(test::filled(size, Qt::darkGreen).save(test::qpath(f.app / name)));
        f.view.run([&f, name] { f.model.loadPicture("Picture1", -1, f.app / name); });
    };
    const auto cursorAt = [&f](const char* name, int cursor) {  // -1: at the end
        if (auto* line = qobject_cast<QLineEdit*>(f.widget(name))) return line->setCursorPosition(cursor);
        auto* edit = static_cast<QPlainTextEdit*>(f.widget(name));
        QTextCursor at = edit->textCursor();
        cursor < 0 ? void(at.movePosition(QTextCursor::End)) : at.setPosition(cursor);
        edit->setTextCursor(at);
    };
    const auto type = [&](const char* name, int cursor, const QString& typed, const std::string& expected) {
        cursorAt(name, cursor);
        test::typeText(f.widget(name), typed);
        EXPECT_EQ(f.model.text(name), expected) << name;
    };
    // A plain copy of a paste from another program lands at the cursor, while a handler puts the
    // field's trimmed text into the model and the clipboard changes hands.
    const auto paste = [&](const char* name, const char* before, int cursor, const QString& pasted, const std::string& after) {
        f.view.run([&] { f.model.setText(name, -1, before); });
        f.widget(name)->setFocus();
        cursorAt(name, cursor);
        int readsAfterReplaced = 0;
        const auto meanwhile = [&] { f.view.run([&] { f.model.setText(name, -1, sb::trimBlanks(before)); }); };
        QApplication::clipboard()->setMimeData(new ForeignClipboard(pasted, meanwhile, readsAfterReplaced));
        test::pressKey(f.widget(name), Qt::Key_V, Qt::ControlModifier);
        QApplication::processEvents();
        EXPECT_EQ(readsAfterReplaced, 0);
        EXPECT_EQ(f.model.text(name), after);
    };
    const auto resize = [&f](QSize size) {  // no real frame here: the classic one is reckoned around the client area
        f.view.resize(size);
        QApplication::processEvents();
        EXPECT_EQ(QSize(f.model.outerWidth, f.model.outerHeight), (size + QSize(8, 34)) * 15);
        EXPECT_EQ(QSize(f.widget("TabStrip1")->width(), f.widget("TabStrip1")->geometry().bottom() + 1), size);
    };
    const auto stack = [&f](const char* name, int index, bool toFront, bool seen) {  // behind the strip its panel covers it
        toFront ? f.model.bringToFront(name, index) : f.model.sendToBack(name, index);
        f.view.sync();
        QWidget* w = test::named(&f.view, f.model.control(name, index));
        const QPoint middle = w->geometry().center();
        ASSERT_TRUE(f.widget("TabStrip1")->geometry().contains(middle)) << name;
        EXPECT_EQ(test::isWithin(f.view.childAt(middle), w), seen) << name;
        EXPECT_EQ(test::isWithin(f.view.childAt(middle), f.widget("TabStrip1")), !seen) << name;
    };
    const std::pair<const char*, std::function<void()>> scenes[] = {
        {"start-up", [] {}},
        {"button behind", [&] { stack("Command1", -1, false, false); }}, {"button in front", [&] { stack("Command1", -1, true, true); }},
        {"text box behind", [&] { stack("Des_Sito", -1, false, false); }}, {"text box in front", [&] { stack("Des_Sito", -1, true, true); }},
        {"browser behind", [&] { stack("WebBrowser1", -1, false, false); }}, {"browser in front", [&] { stack("WebBrowser1", -1, true, true); }},
        {"label box behind", [&] { stack("Text4", 2, false, false); }}, {"label box in front", [&] { stack("Text4", 2, true, true); }},
        {"picture in front, still beneath windowed controls", [&] { stack("Image1", -1, true, false); }},
        {"tab 2", [&] { tab(2); }}, {"tab 3", [&] { tab(3); }}, {"tab 4", [&] { tab(4); }}, {"tab 5", [&] { tab(5); }},
        {"small picture", [&] { show("piccola.png", {100, 50}); }},
        {"big photo", [&] { show("foto grande.jpg", {1024, 768}); }},
        {"typed in a title", [&] { type("Titolo_Sito", 6, "X", "TitoloX del Sito"); }},
        {"typed in a number", [&] { type("Text3", 0, "1", "15"); }},
        {"typed in a description", [&] { type("Des_Sito", -1, "\nseconda", "Descrizione del Sito\r\nseconda"); }},
        {"pasted in a description", [&] { paste("Des_Sito", "  Descrizione  ", 2, "riga 1\r\nriga 2", "  riga 1\r\nriga 2Descrizione  "); }},
        {"pasted in a title", [&] { paste("Titolo_Sito", "  Titolo  ", 2, "Nuovo ", "  Nuovo Titolo  "); }},
        {"texts from code", [&] { m.setText("Command1", -1, "Cerca"), m.setText("Text1", 2, "/tmp/foto 1.jpg"), synced(); }},
        {"multi-line text", [&] { m.setText("Des_Sito", -1, "riga 1\r\nriga 2"), synced(); }},
        {"caption with markup", [&] { m.setText("Text4", 1, "<b>Nome</b> & immagine"), synced(); }},
        {"moved and hidden", [&] { m.edit("Command1").left = 3000, m.edit("Text4", 16).visible = false, synced(); }},
        {"title and tabs", [&] { m.title = "Site Builder 3/12", m.tabs[0] = "Title", synced(); }},
        // The resize runs Form_Resize inside the sync; the captions it sets show at the next sync.
        {"client size", [&] { m.clientWidth = 9000, synced(); EXPECT_EQ(f.view.width(), 600); synced(); }},
        {"grown and shrunk", [&] { resize({1000, 700}), resize({700, 450}); }},
        {"copy window caption", [&] { f.copyModel.edit("Label1").text = "Cartella", synced(); }},
        {"copy window button moved in its frame", [&] { f.copyModel.edit("Command3").left = 90, synced(); }},
    };
    for (const auto& [what, act] : scenes) {
        SCOPED_TRACE(what);
        act();
        expectFollowsModel(f.view);
        expectFollowsModel(f.copy);
    }
    for (const WindowView* window : {static_cast<WindowView*>(&f.view), &f.copy})
        for (int i = 0; i < 2; ++i) EXPECT_EQ(static_cast<QLabel*>(test::named(window, QStringLiteral("Image2(%1)").arg(i)))->pixmap().size(), QSize(40, 28));
}

// How far the tabs run past their strip or under a control above it.
int tabsOverrun(WindowView& view, const sb::Control& c) {
    const QTabBar* bar = test::tabBarOf(&view);
    const QRect tabs = QRect(bar->mapTo(&view, bar->tabRect(0).topLeft()), bar->mapTo(&view, bar->tabRect(bar->count() - 1).bottomRight()));
    int under = tabs.right() - bar->mapTo(&view, QPoint(bar->width(), 0)).x() + 1;
    for (const sb::Control& other : view.model().controls()) {
        const QWidget* o = test::named(&view, other);
        if (o && o->isVisible() && other.container.empty() && view.model().isAbove(other.name, other.index, c.name, c.index) &&
            o->geometry().intersects(tabs))
            under = std::max(under, tabs.right() - o->geometry().left() + 1);
    }
    return under;
}

// How far a caption runs past its widget, in pixels (0: it fits), by the room the style gives the text.
int overrun(QWidget* w) {
    int widest = 0;
    for (const QString& line : shownText(w).split(QStringLiteral("\r\n"))) widest = std::max(widest, w->fontMetrics().horizontalAdvance(line));
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return widest - button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    }
    if (qobject_cast<QGroupBox*>(w)) return w->minimumSizeHint().width() - w->width();  // the title and the frame's margins
    if (auto* label = qobject_cast<QLabel*>(w)) return widest - label->contentsRect().width();
    return 0;
}

// Every caption of both windows and of the Publish window, in both languages and on every
// tab, keeps within its control; run also with just the fonts the package brings (package_fonts.sh).
TEST(Captions, FitTheirControls) {
    Windows f;
    f.platform.openPublishWindow(f.app.str() + "/", false);  // it follows the Main Window's language
    for (const bool english : {false, true}) {
        f.view.run([&] { f.model.Image2_Click(english), f.copyModel.Image2_Click(english); });
        for (int tab = 1; tab <= sb::kTabCount; ++tab) {
            f.view.run([&] { f.model.selectTab(tab); });
            f.view.sync(), f.copy.sync();
            for (WindowView* view : {static_cast<WindowView*>(&f.view), &f.copy}) {
                for (const sb::Control& c : view->model().controls()) {
                    QWidget* w = test::named(view, c);
                    if (!w || !w->isVisible() || w->size().isEmpty()) continue;
                    EXPECT_LE(c.kind == ControlKind::TabStrip ? tabsOverrun(*view, c) : overrun(w), 0)
                        << c.key() << " \"" << c.text << "\" in " << QFontInfo(w->font()).family().toStdString()
                        << (english ? ", English" : ", Italian") << ", tab " << tab;
                }
            }
        }
        PublishWindow* publish = f.platform.publishWindow();
        EXPECT_EQ(publish->findChild<QPushButton*>("Publish")->text(), english ? "Publish" : "Pubblica");
        for (QWidget* w : publish->findChildren<QWidget*>()) {  // laid out: each has the room it asks for
            auto* edit = qobject_cast<QLineEdit*>(w);  // a field's caption is the hint it shows while empty
            const int needed = edit ? edit->fontMetrics().horizontalAdvance(edit->placeholderText()) + 8 : w->minimumSizeHint().width();
            EXPECT_LE(w->isVisible() ? needed : 0, w->width()) << w->objectName().toStdString() << (english ? " in English" : " in Italian");
        }
    }
}

TEST(MainWindowHandlers, ClicksAndEnterReachTheirHandlers) {
    Windows f;
    test::QuietPlatform& p = f.platform;
    ASSERT_EQ(f.state.N_Img, 1);  // start-up lists the default background alone
    const auto samplePage = [&f, &p] {
        p.browserNavigate("about:blank"), test::click(f.widget("Command2"));
        EXPECT_TRUE((p.pendingNavigation().isEmpty() ? p.browser()->url() : p.pendingNavigation()).isLocalFile());
    };
    const auto busyPointer = [&p] {  // nests; an extra default is ignored
        p.setBusyPointer(false), p.setBusyPointer(true), p.setBusyPointer(true), p.setBusyPointer(false);
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    };
    const auto clicksInsideAHandler = [&f] {
        QTimer::singleShot(0, &f.view, [&f] { f.clickTab(5); });
        QTimer::singleShot(0, &f.view, [&f] { test::click(f.widget("Image2(1)")); });
        f.clickTab(2);
        QApplication::processEvents();
    };
    struct Case { const char* what; std::function<void()> act; int refusals, stops, tab; bool english; };
    const Case cases[] = {
        {"tab 3", [&f] { f.clickTab(3); }, 0, 1, 3, false},
        {"tab 4 from code", [&f] { f.view.run([&f] { f.model.selectTab(4); }); }, 0, 1, 4, false},
        {"tab 2", [&f] { f.clickTab(2); }, 0, 1, 2, false},
        {"sample page", samplePage, 0, 0, 2, false},
        {"confirm", [&f] { test::click(f.widget("Pulsante_Conferma")); }, 0, 1, 3, false},
        {"busy pointer", [&f, &busyPointer] { f.view.run(busyPointer); }, 0, 0, 3, false},
        {"English flag", [&f] { test::click(f.widget("Image2(1)")); }, 0, 0, 3, true},
        {"Italian flag", [&f] { test::click(f.widget("Image2(0)")); }, 0, 0, 3, false},
        {"next past the last", [&f] { test::click(f.widget("Command4")); }, 1, 0, 3, false},
        {"previous before the first", [&f] { test::click(f.widget("Command3")); }, 1, 0, 3, false},
        {"go to 99", [&f] { f.fillText2("99"), test::click(f.widget("Command6")); }, 1, 0, 3, false},
        {"Enter on 99", [&f] { f.fillText2("99\n"); }, 1, 0, 3, false},
        {"Enter on 1", [&f] { f.fillText2("1\n"); EXPECT_EQ(f.view.windowTitle(), "Site Builder 1/1"); }, 0, 0, 3, false},
        {"clicks inside a handler", clicksInsideAHandler, 0, 2, 5, true},
    };
    for (const auto& c : cases) {
        const int beeps = p.beeps, messages = p.messages, stops = p.browserStops;
        c.act();
        EXPECT_EQ(p.beeps - beeps, c.refusals) << c.what;
        EXPECT_EQ(p.messages - messages, c.refusals) << c.what;
        EXPECT_EQ(p.browserStops - stops, c.stops) << c.what;
        EXPECT_EQ(f.state.Tab_Corrente, c.tab) << c.what;
        EXPECT_EQ(f.tabBar()->tabText(0), c.english ? "Title" : "Titolo") << c.what;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.what;
        EXPECT_EQ(f.view.runningHandlers(), 0) << c.what;
        expectFollowsModel(f.view);
    }
}

// Out of sight only the last address waits and no browser is made; stopping keeps the address,
// and it loads once on view, in the one browser then made.
TEST(QtPlatform, DeferredNavigationKeepsItsAddress) {
    sb::test::TempDir dir;
    ASSERT_TRUE(test::writeBytes(dir / "first page.htm", "<html>1</html>") && test::writeBytes(dir / "second page.htm", "<html>2</html>"));
    test::QuietPlatform platform;
    std::unique_ptr<QWebEngineView> made;
    int makes = 0;
    std::vector<QUrl> loaded;
    bool onView = false;
    platform.setBrowser([&] {
        ++makes, made = std::make_unique<QWebEngineView>();
        QObject::connect(made.get(), &QWebEngineView::urlChanged, [&loaded](const QUrl& url) { loaded.push_back(url); });
        return made.get();
    }, [&onView] { return onView; });
    platform.browserNavigate("about:blank");
    EXPECT_EQ(QtPlatform::addressToUrl("about:blank").toString(), QStringLiteral("about:blank"));
    for (const char* page : {"first page.htm", "second page.htm"}) platform.browserNavigate("file://" + dir / page);
    const QUrl second = QUrl::fromLocalFile(test::qpath(dir / "second page.htm"));
    EXPECT_EQ(platform.pendingNavigation(), second);
    EXPECT_FALSE(platform.browserBusy());
    platform.browserStop();
    platform.flushPendingNavigation();
    QApplication::processEvents();
    EXPECT_EQ(makes, 0);
    onView = true;
    platform.flushPendingNavigation();
    platform.browserNavigate("file://" + dir / "second page.htm");
    EXPECT_EQ(makes, 1);
    EXPECT_TRUE(platform.pendingNavigation().isEmpty());
    ASSERT_TRUE(test::waitFor([&] { return !loaded.empty(); }));
    EXPECT_EQ(loaded.front(), second);  // the page asked for before it is never loaded
    platform.setBrowser(nullptr);
}

// --- the Publish window, with a publishing run of the test's own.

// Does `act` to the next message box that comes up with `containing` in its text.
void onNextBox(const QString& containing, std::function<void(QMessageBox*)> act) {
    QTimer::singleShot(20, [containing, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        box && box->text().contains(containing) ? act(box) : onNextBox(containing, act);
    });
}
// Clicks `answer` in it, keeping its text and the words of its Yes and No.
void answerNextBox(QMessageBox::StandardButton answer, QString* text, const QString& containing = {}) {
    onNextBox(containing, [answer, text](QMessageBox* box) {
        if (text) *text = box->text() + "\n" + box->button(QMessageBox::Yes)->text() + "/" + box->button(QMessageBox::No)->text();
        box->button(answer)->click();
    });
}

struct Publishing : ::testing::Test {
    sb::test::TempDir site;
    test::ApplicationFolder app;
    test::QuietPlatform platform{app.qstr()};
    std::atomic<int> runs{0};
    std::atomic<bool> waitForCancel{false};
    std::string trustAnswer;  // what the run was told about the unknown host

    Publishing() {
        sb::test::makeFile(site.str() + "/index.htm", "home");
        const auto run = [this](auto&, auto&, auto&, auto& questions, auto& events, auto& cancel, bool) {
            ++runs;
            trustAnswer = questions.trustNewHost("web.example", "ssh-ed25519", "SHA256:abc") ? "yes" : "no";
            events.log("Inviato: photos/a.jpg");
            events.progress({1, 3, 1000, 3000});
            while (waitForCancel && !cancel) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (cancel) return sb::publish::Outcome{false, "cancelled"};
            events.progress({3, 3, 3000, 3000});
            return sb::publish::Outcome{true, "Sito pubblicato: 3 file inviati, 0 tolti."};
        };
        platform.setPublishRunner({sb::publish::parseAddress, run});
    }
    PublishWindow* open() {
        platform.openPublishWindow(site.str() + "/", false);
        return platform.publishWindow();
    }
};

TEST_F(Publishing, WarnsInClearThenShowsTheRunsQuestionsProgressAndLog) {
    PublishWindow* window = open();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(open(), window) << "a second opening raises the same window";
    EXPECT_EQ(window->windowTitle().toStdString(), "Pubblica il sito " + site.str() + "/");
    window->findChild<QLineEdit*>("Address")->setText("ftp://web.example/www/");
    window->findChild<QLineEdit*>("User")->setText("anna");
    window->findChild<QLineEdit*>("Password")->setText("segreto-42");
    window->findChild<QCheckBox*>("Remember")->setChecked(true);
    bool complete = false, ended = false;
    QObject::connect(window, &PublishWindow::finished, [&](bool c, const QString&) { complete = c, ended = true; });

    QString warning;
    answerNextBox(QMessageBox::No, &warning);
    window->findChild<QPushButton*>("Publish")->click();
    EXPECT_TRUE(warning.contains("in chiaro") && warning.endsWith("\nSì/No")) << warning.toStdString();
    EXPECT_EQ(runs, 0) << "No to the warning publishes nothing";

    QString question;
    window->findChild<QLineEdit*>("Address")->setText("sftp://web.example/www/");
    window->findChild<QPushButton*>("Publish")->click();
    answerNextBox(QMessageBox::Yes, &question);  // the run's question, asked from its own thread
    ASSERT_TRUE(test::waitFor([&] { return ended; }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(question.contains("SHA256:abc") && question.contains("web.example")) << question.toStdString();
    EXPECT_EQ(trustAnswer, "yes");
    EXPECT_TRUE(complete);
    EXPECT_EQ(window->findChild<QProgressBar*>("Bar")->value(), 1000);
    EXPECT_TRUE(window->findChild<QLabel*>("Status")->text().startsWith("3 di 3 file")) << window->findChild<QLabel*>("Status")->text().toStdString();
    // The keyring answers, or the user is told it did not: either way in the log.
    ASSERT_TRUE(test::waitFor([&] { return window->logText().contains("portachiavi"); }));
    for (const char* line : {"Inviato: photos/a.jpg", "Sito pubblicato", "sftp://web.example/www/"})
        EXPECT_TRUE(window->logText().contains(line)) << line;
    // What is kept of the web space is kept without its password.
    int settingsFiles = 0;
    for (QDirIterator files(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
        const std::string path = files.next().toStdString(), content = sb::test::readFile(path);
        EXPECT_EQ(content.find("segreto-42"), std::string::npos) << path;
        settingsFiles += content.find("anna") != std::string::npos;
    }
    EXPECT_EQ(settingsFiles, 1);

    const QString shot = QStringLiteral(SB_APP_DIR "/../artifacts/publish.png");
    QDir().mkpath(QFileInfo(shot).path());
    window->grab().save(shot);

    // Closing while a run goes (here asking its question) cancels it; the window goes once it has stopped.
    waitForCancel = true;
    bool stopping = false;
    window->findChild<QLineEdit*>("Address")->setText("ftp://web.example/www/");
    answerNextBox(QMessageBox::Yes, nullptr, "ftp://");  // in clear, after the warning
    onNextBox("SHA256", [&](QMessageBox*) { window->close(), stopping = window->isVisible(); });
    window->findChild<QPushButton*>("Publish")->click();
    ASSERT_TRUE(test::waitFor([&] { return platform.publishWindow() == nullptr; }));
    EXPECT_TRUE(stopping) << "the window stays until the run has stopped";
    EXPECT_EQ(std::make_pair(int(runs), trustAnswer), std::make_pair(2, std::string("no")));
}

}  // namespace
}  // namespace sbqt
