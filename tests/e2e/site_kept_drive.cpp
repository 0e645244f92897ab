// The real Main Window on a real X server, run twice over one application
// folder as a user starts the program twice (site_kept.sh):
//
//   site_kept_drive APP_DIR write   changes three numbers and the header
//                                   picture, writes the site, closes
//   site_kept_drive APP_DIR check   the fields show what was set, the
//                                   folder written is a recent site
#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <string>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "ui/main_window.h"

namespace {

int failures = 0;
void check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    failures += !ok;
}

// The program's own platform, but the written home page is not opened in a browser.
class Platform : public sbqt::QtPlatform {
public:
    using QtPlatform::QtPlatform;
    bool openInUserBrowser(const std::string&) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc != 3) return std::fprintf(stderr, "usage: %s APP_DIR write|check\n", argv[0]), 2;
    const std::string folder = argv[1], mode = argv[2];
    const std::string layout = folder + "/LAYOUT_01/", picture = folder + "/foto/testata mia.gif";
    std::filesystem::current_path(folder);

    Platform platform(QString::fromStdString(folder));
    sb::Module1 state;
    sb::MainWindow model(state, platform);
    sbqt::MainWindowView view(model, platform);
    // Message boxes are read out and answered OK (or No: a question is not expected).
    int questions = 0;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&questions] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("message: %s\n", qPrintable(box->text()));
            if (box->button(QMessageBox::No)) ++questions;
            box->button(QMessageBox::No) ? box->button(QMessageBox::No)->click() : box->accept();
        }
    });
    answerer.start(50);
    view.run([&model] { model.Form_Load(); });
    view.show();
    check(sbqt::test::waitFor([&] { return view.windowHandle() && view.windowHandle()->isExposed(); }), "the Main Window is on screen");

    const auto field = [&view](const char* key) { return static_cast<QLineEdit*>(sbqt::test::named(&view, QString::fromLatin1(key))); };
    const auto tab = [&view](int number) {
        QTabBar* bar = sbqt::test::tabBarOf(&view);
        sbqt::test::click(bar, bar->tabRect(number - 1).center());
    };
    const std::pair<const char*, std::string> set[] = {{"Text3", "7"}, {"Text7", "150"}, {"Text8", "90"}, {"Text1(9)", picture}};
    if (mode == "write") {
        const std::pair<int, int> tabs[] = {{3, 4}, {5, 6}, {5, 6}, {9, 10}};  // the field's tab, the tab clicked after
        for (std::size_t i = 0; i < std::size(set); ++i) {
            tab(tabs[i].first);
            QLineEdit* edit = field(set[i].first);
            edit->setFocus();
            edit->selectAll();
            sbqt::test::typeText(edit, QString::fromStdString(set[i].second));
            tab(tabs[i].second);
        }
        // Back on each tab the typed values are committed; the confirm button on tab 10 writes the site.
        for (int number : {3, 5, 9, 10}) tab(number);
        sbqt::test::click(sbqt::test::named(&view, QStringLiteral("Pulsante_Conferma")));
        check(sbqt::test::waitFor([&] { return sb::test::readFile(layout + "Parametri_by_Velmora.js").find("var MAX_NUM_ARG= 7;") != std::string::npos; }),
              "the site is written with the numbers set");
        check(sb::test::readFile(layout + "testata mia.gif") == sb::test::readFile(picture), "the header picture is copied into the site");
    } else {
        for (const auto& [key, text] : set) {
            const std::string shown = field(key)->text().toStdString();
            const std::string expected = std::string(key) == "Text1(9)" ? layout + "testata mia.gif" : text;
            check(shown == expected, std::string(key) + " shows " + expected + " (" + shown + ")");
        }
        const auto recent = model.recentSiteFolders();
        check(!recent.empty() && recent.front() == layout, "the site folder is the first recent site");
    }
    view.close();
    check(sbqt::test::waitFor([&] { return !view.isVisible(); }) && questions == 0, "the window closes without a question");
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
