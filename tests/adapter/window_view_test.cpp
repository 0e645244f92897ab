// The widgets follow their window models: place, size, text, visibility,
// pictures and stacking, for both windows.
#include <gtest/gtest.h>

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QWebEngineView>

#include <functional>
#include <string>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "qt/window_view.h"
#include "ui/copy_window.h"
#include "ui/main_window.h"

namespace sbqt {
namespace {

using sb::Control;
using sb::ControlKind;
using test::ApplicationFolder;
using test::pixels;
using test::QuietPlatform;

QString shownText(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText().replace("\n", "\r\n");
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

bool hasText(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::TextBox:
    case ControlKind::Label:
    case ControlKind::LabelBox:
    case ControlKind::Frame:
        return true;
    default:
        return false;
    }
}

// Every control's widget is where the model puts it, says what the model
// says and shows when the model shows it.
void expectFollowsModel(WindowView& view, const sb::WindowModel& model) {
    for (const Control& c : model.controls()) {
        QWidget* w = view.widget(c.name, c.index);
        if (c.kind == ControlKind::FileDialog) {
            EXPECT_EQ(w, nullptr) << c.key();
            continue;
        }
        ASSERT_NE(w, nullptr) << c.key();
        QRect expected = pixels(c);
        if (c.kind == ControlKind::PictureBox) expected.setSize(expected.size().boundedTo(view.roomInClientArea(c)));
        const bool shown = c.visible && !expected.isEmpty();
        EXPECT_EQ(w->geometry(), expected) << c.key();
        EXPECT_EQ(!w->isHidden(), shown) << c.key();
        if (hasText(c.kind)) {
            EXPECT_EQ(shownText(w).toStdString(), c.text) << c.key();
        }
    }
}

struct MainFixture {
    ApplicationFolder app;
    QuietPlatform platform{app.qstr()};
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    MainWindowView view{model, platform};

    void load() { view.run([this] { model.Form_Load(); }); }
    void loadAndShow() {
        load();
        view.show();
        QApplication::processEvents();
    }
    QWidget* widget(const std::string& name, int index = -1) { return view.widget(name, index); }
};

struct PlaceCase {
    const char* name;
    int index;
    QRect pixels;
};

TEST(MainWindowView, ControlsStandAtTheirDesignPlaces) {
    MainFixture f;
    const PlaceCase cases[] = {
        {"Command1", -1, {552, 86, 56, 25}},
        {"Text1", 2, {103, 88, 448, 19}},
        {"Text4", 16, {16, 72, 497, 13}},
        {"Des_Sito", -1, {103, 168, 672, 43}},
        {"Image2", 0, {720, 0, 40, 28}},
        {"Image2", 1, {760, 0, 40, 28}},
        {"TabStrip1", -1, {0, 32, 841, 33}},
        {"WebBrowser1", -1, {128, 400, 513, 473}},
    };
    for (const PlaceCase& c : cases) {
        QWidget* w = f.widget(c.name, c.index);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), c.pixels) << c.name << "(" << c.index << ")";
    }
    EXPECT_EQ(f.view.size(), QSize(844, 525));
    EXPECT_EQ(f.view.pos(), QPoint(39, 56));
    EXPECT_EQ(f.view.browser(), f.widget("WebBrowser1"));
    EXPECT_EQ(f.platform.browser(), f.view.browser());
}

TEST(MainWindowView, FollowsTheModelThroughStartUpAndEveryTab) {
    MainFixture f;
    f.loadAndShow();
    expectFollowsModel(f.view, f.model);
    for (int tab = 2; tab <= sb::kTabCount; ++tab) {
        f.view.run([&f, tab] { f.model.selectTab(tab); });
        SCOPED_TRACE("tab " + std::to_string(tab));
        expectFollowsModel(f.view, f.model);
        EXPECT_EQ(f.view.tabBar()->currentIndex(), tab - 1);
    }
}

TEST(MainWindowView, FollowsChangesMadeOutsideHandlers) {
    MainFixture f;
    struct Case {
        const char* what;
        std::function<void(sb::MainWindow&)> change;
        std::function<bool(MainFixture&)> seen;
    };
    const Case cases[] = {
        {"caption", [](sb::MainWindow& m) { m.setText("Command1", -1, "Cerca"); },
         [](MainFixture& f) { return static_cast<QPushButton*>(f.widget("Command1"))->text() == "Cerca"; }},
        {"moved", [](sb::MainWindow& m) { m.control("Command1").left = 3000; },
         [](MainFixture& f) { return f.widget("Command1")->x() == 200; }},
        {"hidden", [](sb::MainWindow& m) { m.control("Text4", 16).visible = false; },
         [](MainFixture& f) { return f.widget("Text4", 16)->isHidden(); }},
        // Captions are plain text, never markup.
        {"caption with markup", [](sb::MainWindow& m) { m.setText("Text4", 1, "<b>Nome</b> & immagine"); },
         [](MainFixture& f) {
             auto* label = static_cast<QLabel*>(f.widget("Text4", 1));
             const QString shown = "<b>Nome</b> & immagine";
             return label->sizeHint().width() >= label->fontMetrics().horizontalAdvance(shown);
         }},
        {"field text", [](sb::MainWindow& m) { m.setText("Text1", 2, "/tmp/foto 1.jpg"); },
         [](MainFixture& f) { return static_cast<QLineEdit*>(f.widget("Text1", 2))->text() == "/tmp/foto 1.jpg"; }},
        {"multi-line text", [](sb::MainWindow& m) { m.setText("Des_Sito", -1, "riga 1\r\nriga 2"); },
         [](MainFixture& f) {
             return static_cast<QPlainTextEdit*>(f.widget("Des_Sito"))->toPlainText() == "riga 1\nriga 2";
         }},
        // Fields a handler sets without touching a control.
        {"title", [](sb::MainWindow& m) { m.title = "Site Builder 3/12"; },
         [](MainFixture& f) { return f.view.windowTitle() == "Site Builder 3/12"; }},
        {"tab captions", [](sb::MainWindow& m) { m.tabs[0] = "Title"; },
         [](MainFixture& f) { return f.view.tabBar()->tabText(0) == "Title"; }},
        {"client size", [](sb::MainWindow& m) { m.clientWidth = 9000; },
         [](MainFixture& f) { return f.view.width() == 600; }},
    };
    for (const Case& c : cases) {
        c.change(f.model);
        f.view.sync();
        EXPECT_TRUE(c.seen(f)) << c.what;
    }
}

TEST(MainWindowView, TypingGoesStraightIntoTheModel) {
    MainFixture f;
    f.load();
    struct Case {
        const char* name;
        QString typed;
        std::string expected;
    };
    const Case cases[] = {
        {"Titolo_Sito", " nuovo", "Titolo del Sito nuovo"},
        {"Text3", "0", "50"},
        {"Des_Sito", "\nseconda riga", "Descrizione del Sito\r\nseconda riga"},
    };
    for (const Case& c : cases) {
        QWidget* w = f.widget(c.name);
        if (auto* line = qobject_cast<QLineEdit*>(w)) line->end(false);
        if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) edit->moveCursor(QTextCursor::End);
        test::typeText(w, c.typed);
        EXPECT_EQ(f.model.text(c.name), c.expected) << c.name;
    }
}

TEST(MainWindowView, SyncLeavesTheCursorOfAnUnchangedField) {
    MainFixture f;
    f.load();
    auto* line = static_cast<QLineEdit*>(f.widget("Titolo_Sito"));
    line->setCursorPosition(3);
    f.model.touch();
    f.view.sync();
    EXPECT_EQ(line->cursorPosition(), 3);
}

// Stacking: a control the model sends behind the tab strip is hidden by its
// panel; one brought to the front stands on it. Pictures and labels stay
// beneath every windowed control, whatever their order.
TEST(MainWindowView, StackingFollowsTheModel) {
    MainFixture f;
    f.loadAndShow();
    struct Case {
        const char* name;
        bool toFront;
        bool seen;
    };
    const Case cases[] = {
        {"Command1", false, false},
        {"Command1", true, true},
        {"Des_Sito", false, false},
        {"Des_Sito", true, true},
        {"WebBrowser1", false, false},
        {"WebBrowser1", true, true},
        {"Image1", true, false},
    };
    QWidget* panel = f.view.tabPanel();
    for (const Case& c : cases) {
        if (c.toFront)
            f.model.bringToFront(c.name);
        else
            f.model.sendToBack(c.name);
        f.view.sync();
        QWidget* w = f.widget(c.name);
        ASSERT_TRUE(panel->geometry().contains(w->geometry().center())) << c.name;
        QWidget* top = test::seenAt(&f.view, w->geometry().center());
        EXPECT_EQ(test::isWithin(top, w), c.seen) << c.name << (c.toFront ? " to front" : " to back");
        EXPECT_EQ(test::isWithin(top, panel), !c.seen) << c.name;
    }
}

TEST(MainWindowView, FlagsShowTheirPictures) {
    MainFixture f;
    for (int i = 0; i < 2; ++i) {
        auto* flag = qobject_cast<QLabel*>(f.widget("Image2", i));
        ASSERT_NE(flag, nullptr);
        const QPixmap picture = flag->pixmap();
        EXPECT_FALSE(picture.isNull()) << i;
        EXPECT_EQ(picture.size(), QSize(40, 28)) << i;
    }
}

TEST(MainWindowView, PicturesAreScaledDownToTheRoomNeverUp) {
    MainFixture f;
    f.loadAndShow();
    const std::string photo = f.app / "foto grande.jpg";
    const std::string small = f.app / "piccola.png";
    QImage image(1024, 768, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(QString::fromStdString(photo), "JPEG"));
    ASSERT_TRUE(image.scaled(100, 50).save(QString::fromStdString(small), "PNG"));

    f.view.run([&f, &photo] { f.model.loadPicture("Picture1", -1, photo); });
    const Control& holder = f.model.control("Picture1");
    auto* label = static_cast<QLabel*>(f.widget("Picture1"));
    ASSERT_EQ(holder.width, 1024 * sb::kTwipsPerPixel);  // takes the natural size
    const QSize room = f.view.roomInClientArea(holder);
    EXPECT_LE(label->width(), room.width());
    EXPECT_LE(label->height(), room.height());
    const QSize shown = label->pixmap().size();
    EXPECT_LE(shown.width(), label->contentsRect().width());
    EXPECT_LE(shown.height(), label->contentsRect().height());
    EXPECT_NEAR(static_cast<double>(shown.width()) / shown.height(), 4.0 / 3.0, 0.02);

    f.view.run([&f, &small] { f.model.loadPicture("Picture1", -1, small); });
    EXPECT_EQ(label->pixmap().size(), QSize(100, 50));

    // A file that is not a picture leaves the one on view.
    const std::string text = f.app / "nota.txt";
    {
        QFile file(QString::fromStdString(text));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("testo");
    }
    f.view.run([&f, &text] { f.model.loadPicture("Picture1", -1, text); });
    EXPECT_EQ(label->pixmap().size(), QSize(100, 50));
}

// --- the Copy Window ------------------------------------------------------------

TEST(CopyWindowView, ControlsInTheFrameStandInsideIt) {
    ApplicationFolder app;
    QuietPlatform platform(app.qstr());
    sb::Module1 state;
    sb::CopyWindow model(state);
    WindowView view(model, platform);
    view.show();
    QApplication::processEvents();

    struct Case {
        const char* name;
        int index;
        bool inFrame;
        QRect pixels;
    };
    const Case cases[] = {
        {"Frame1", -1, false, {8, 7, 713, 73}},
        {"Label1", -1, true, {8, 24, 185, 17}},
        {"Command3", -1, true, {592, 14, 113, 25}},
        {"Text1", -1, false, {15, 47, 528, 19}},
        {"Command2", -1, false, {600, 46, 113, 25}},
    };
    QWidget* frame = view.widget("Frame1");
    for (const Case& c : cases) {
        QWidget* w = view.widget(c.name, c.index);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->parentWidget(), c.inFrame ? frame : &view) << c.name;
        EXPECT_EQ(w->geometry(), c.pixels) << c.name;
    }
    expectFollowsModel(view, model);
    EXPECT_EQ(view.size(), QSize(725, 84));
    EXPECT_EQ(view.windowTitle(), "Copia Immagine");

    // The field and the buttons below the frame stand on the window above it.
    QWidget* field = view.widget("Text1");
    EXPECT_TRUE(test::isWithin(test::seenAt(&view, field->geometry().center()), field));

    for (int i = 0; i < 2; ++i) {
        auto* flag = qobject_cast<QLabel*>(view.widget("Image2", i));
        ASSERT_NE(flag, nullptr);
        EXPECT_EQ(flag->pixmap().size(), QSize(40, 28)) << i;
    }
}

}  // namespace
}  // namespace sbqt
