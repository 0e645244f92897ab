// The Main Window's widgets reach the model's handlers, and the window
// follows whatever the handlers did, nested ones included.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QWebEngineView>

#include <functional>
#include <string>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "ui/main_window.h"

namespace sbqt {
namespace {

using test::ApplicationFolder;
using test::QuietPlatform;

struct Loaded {
    ApplicationFolder app;
    QuietPlatform platform{app.qstr()};
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    MainWindowView view{model, platform};

    Loaded() {
        view.run([this] { model.Form_Load(); });
        view.show();
        QApplication::processEvents();
    }
    QWidget* widget(const std::string& name, int index = -1) { return view.widget(name, index); }
    QPushButton* button(const std::string& name) { return static_cast<QPushButton*>(widget(name)); }
    void clickTab(int number) {
        QTabBar* bar = view.tabBar();
        test::click(bar, bar->tabRect(number - 1).center());
    }
};

TEST(MainWindowHandlers, ATabClickRunsTheTabStripOnceForThatTab) {
    Loaded f;
    for (int tab : {3, 2, 5, 1}) {
        const int stops = f.platform.browserStops;
        f.clickTab(tab);
        EXPECT_EQ(f.model.selectedTab, tab);
        EXPECT_EQ(f.state.Tab_Corrente, tab);
        EXPECT_EQ(f.platform.browserStops - stops, 1) << "tab " << tab;
        EXPECT_EQ(f.view.tabBar()->currentIndex(), tab - 1);
    }
}

TEST(MainWindowHandlers, ATabSelectedFromCodeIsNotClickedAgain) {
    Loaded f;
    const int stops = f.platform.browserStops;
    f.view.run([&f] { f.model.selectTab(4); });
    QApplication::processEvents();
    EXPECT_EQ(f.platform.browserStops - stops, 1);
    EXPECT_EQ(f.view.tabBar()->currentIndex(), 3);
}

TEST(MainWindowHandlers, ButtonsAndEnterReachTheirHandlers) {
    Loaded f;
    ASSERT_EQ(f.state.N_Img, 1);  // start-up lists the default background alone
    struct Case {
        const char* what;
        std::function<void(Loaded&)> act;
        bool refused;
    };
    const Case cases[] = {
        {"next past the last", [](Loaded& f) { test::click(f.button("Command4")); }, true},
        {"previous before the first", [](Loaded& f) { test::click(f.button("Command3")); }, true},
        {"go to 99",
         [](Loaded& f) {
             static_cast<QLineEdit*>(f.widget("Text2"))->clear();
             test::typeText(f.widget("Text2"), "99");
             test::click(f.button("Command6"));
         },
         true},
        {"Enter on 99", [](Loaded& f) { test::pressKey(f.widget("Text2"), Qt::Key_Return, "\r"); }, true},
        {"Enter on 1",
         [](Loaded& f) {
             static_cast<QLineEdit*>(f.widget("Text2"))->clear();
             test::typeText(f.widget("Text2"), "1");
             test::pressKey(f.widget("Text2"), Qt::Key_Return, "\r");
         },
         false},
    };
    for (const Case& c : cases) {
        const int beeps = f.platform.beeps;
        const std::size_t messages = f.platform.messages.size();
        c.act(f);
        EXPECT_EQ(f.platform.beeps - beeps, c.refused ? 1 : 0) << c.what;
        EXPECT_EQ(f.platform.messages.size() - messages, c.refused ? 1u : 0u) << c.what;
    }
    EXPECT_EQ(f.view.windowTitle().toStdString(), "Site Builder 1/1");
}

TEST(MainWindowHandlers, SamplePageButtonsNavigateTheBrowser) {
    Loaded f;
    f.clickTab(2);
    f.platform.browserNavigate("about:blank");
    test::click(f.button("Command2"));
    const QUrl shown = f.platform.pendingNavigation().isEmpty() ? f.platform.browser()->url()
                                                                 : f.platform.pendingNavigation();
    EXPECT_TRUE(shown.isLocalFile()) << shown.toString().toStdString();
}

TEST(MainWindowHandlers, FlagsSwitchTheLanguage) {
    Loaded f;
    const struct {
        int flag;
        const char* browse;
        const char* firstTab;
    } cases[] = {{1, "Search ...", "Title"}, {0, "Sfoglia ...", "Titolo"}};
    for (const auto& c : cases) {
        test::click(f.widget("Image2", c.flag));
        EXPECT_EQ(f.button("Command1")->text().toStdString(), c.browse);
        EXPECT_EQ(f.view.tabBar()->tabText(0).toStdString(), c.firstTab);
    }
}

TEST(MainWindowHandlers, ConfirmMovesOnAndLeavesNoBusyPointer) {
    Loaded f;
    f.clickTab(2);
    test::click(f.button("Pulsante_Conferma"));
    EXPECT_EQ(f.model.selectedTab, 3);
    EXPECT_EQ(f.view.tabBar()->currentIndex(), 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(f.view.runningHandlers(), 0);
}

TEST(MainWindowHandlers, ResizingLaysTheWindowOutAgain) {
    Loaded f;
    const QSize sizes[] = {{1000, 700}, {700, 450}, {844, 525}};
    for (const QSize size : sizes) {
        f.view.resize(size);
        QApplication::processEvents();
        // No real frame here: the classic frame is reckoned around the
        // client area, and the tab strip then fills the client area.
        EXPECT_EQ(f.model.outerWidth, (size.width() + 8) * sb::kTwipsPerPixel);
        EXPECT_EQ(f.model.outerHeight, (size.height() + 34) * sb::kTwipsPerPixel);
        EXPECT_EQ(f.model.clientWidth, size.width() * sb::kTwipsPerPixel);
        const QRect strip = f.view.tabPanel()->geometry();
        EXPECT_EQ(strip.width(), size.width()) << size.width();
        EXPECT_EQ(strip.bottom() + 1, size.height()) << size.height();
        const QWidget* link = f.widget("Picture2", 0);
        EXPECT_LE(link->geometry().bottom(), size.height()) << size.height();
    }
}

// A click that arrives while a handler lets events run starts another
// handler inside it; when both are over the window matches the model and
// the pointer is back to normal.
TEST(MainWindowHandlers, NestedHandlersLeaveTheWindowInStep) {
    Loaded f;
    QTimer::singleShot(0, &f.view, [&f] { f.clickTab(5); });
    QTimer::singleShot(0, &f.view, [&f] { test::click(f.widget("Image2", 1)); });
    f.clickTab(3);
    QApplication::processEvents();
    EXPECT_EQ(f.view.runningHandlers(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(f.view.tabBar()->currentIndex(), f.model.selectedTab - 1);
    EXPECT_EQ(f.button("Command1")->text().toStdString(), f.model.text("Command1"));
    EXPECT_EQ(f.button("Pulsante_Conferma")->text().toStdString(), f.model.text("Pulsante_Conferma"));
    for (const sb::Control& c : f.model.controls()) {
        QWidget* w = f.widget(c.name, c.index);
        if (w && c.kind != sb::ControlKind::PictureBox) {
            EXPECT_EQ(w->geometry(), test::pixels(c)) << c.key();
        }
    }
}

}  // namespace
}  // namespace sbqt
