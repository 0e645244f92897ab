// The real program's windows on a real X server, driven as a user does:
//   e2e_drive copy APP_DIR ARTIFACT_DIR   (copy_window.sh) the Copy Window copies
//       the image on view, then moves it, the question answered in its real box.
//   e2e_drive write|check APP_DIR         (site_kept.sh) sets numbers and the header
//       picture and writes the site; started again, the fields show what was set.
#include <QWindow>

#include <cstdio>
#include <string>

#include "adapter_support.h"
#include "app/state.h"
#include "qt/main_window_view.h"
#include "ui/main_window.h"

namespace {

namespace fs = std::filesystem;
using sbqt::test::named, sbqt::test::waitFor;

int failures = 0;
void check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    failures += !ok;
}

// The program's own platform, but a written home page is not opened in a browser.
class Platform : public sbqt::QtPlatform {
public:
    using QtPlatform::QtPlatform;
    bool openInUserBrowser(const std::string&) override { return true; }
};

// The real Main Window on screen over an application folder; a question in a message box
// is answered `answer` (and counted), any other box closed, and their texts printed.
struct Program {
    Platform platform;
    sb::Module1 state;
    sb::MainWindow model{state, platform};
    sbqt::MainWindowView view{model, platform};
    QTimer answerer;
    int questions = 0;

    Program(const std::string& folder, QMessageBox::StandardButton answer) : platform((fs::current_path(folder), QString::fromStdString(folder))) {
        QObject::connect(&answerer, &QTimer::timeout, [this, answer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                std::printf("message: %s\n", qPrintable(box->text()));
                if (QAbstractButton* button = box->button(answer)) ++questions, button->click();
                else box->accept();
            }
        });
        answerer.start(50);
        view.run([this] { model.Form_Load(); });
        view.show();
        check(waitFor([this] { return view.windowHandle() && view.windowHandle()->isExposed(); }), "the Main Window is on screen");
    }
};

void copyAndMove(const char* appDir, const QString& artifacts) {
    // The program's pictures in a folder of this run's own: the move takes one away.
    sb::test::TempDir appFolder, first, second;
    sb::test::copyPictures(appDir, appFolder.str());
    Program program(appFolder.str(), QMessageBox::Yes);
    sb::MainWindow& model = program.model;
    const auto copyWindow = [&] { return model.Form2() ? program.platform.windowView(*model.Form2()) : nullptr; };
    const auto closed = [&] { return !copyWindow() && !model.Form2()->isOpen(); };
    const auto openCopyWindow = [&]() -> QWidget* {
        sbqt::test::click(named(&program.view, QStringLiteral("Command5")));
        const bool shown = waitFor([&] { return copyWindow() && copyWindow()->windowHandle() && copyWindow()->windowHandle()->isExposed(); });
        check(shown, "the Copy Window is on screen");
        return shown ? copyWindow() : nullptr;
    };
    const auto press = [&](QWidget* window, const std::string& folder, const char* button) {
        auto* field = static_cast<QLineEdit*>(named(window, QStringLiteral("Text1")));
        field->clear();
        sbqt::test::typeText(field, QString::fromStdString(folder));
        sbqt::test::click(named(window, QString::fromLatin1(button)));
        check(waitFor(closed), std::string(button) + " closed the window");
    };

    QWidget* window = openCopyWindow();
    if (!window) return;
    const std::string source = program.state.copySourcePath, name = program.state.Nome_Img_Copia;
    const std::string bytes = sb::test::readFile(source);
    check(!bytes.empty() && window->windowTitle().toStdString() == "Copia Immagine " + source, "the title names the image on view");
    check(window->focusWidget() == named(window, QStringLiteral("Command2")), "the copy button has the focus");
    check(window->size() == QSize(10875 / 15, 1260 / 15), "the Copy Window opens at the size its controls were laid out for");
    window->grab().save(artifacts + "copy_window.png");

    press(window, first.str() + "/", "Command2");
    check(sb::test::readFile(first / name) == bytes && fs::exists(source), "the copy is byte-equal to the image on view, the source kept");

    if (!(window = openCopyWindow())) return;
    press(window, second.str() + "/", "Command3");
    check(sb::test::readFile(second / name) == bytes && !fs::exists(source), "the move left the whole image and no source");
    if ((window = openCopyWindow())) window->close();
    check(waitFor(closed), "the close box closes the Copy Window");
}

void keepSite(const std::string& folder, bool write) {
    const std::string layout = folder + "/LAYOUT_01/", picture = folder + "/foto/testata mia.gif";
    Program program(folder, QMessageBox::No);  // a question is not expected
    sbqt::MainWindowView& view = program.view;
    const auto field = [&view](const char* key) { return static_cast<QLineEdit*>(named(&view, QString::fromLatin1(key))); };
    const auto tab = [&view](int number) { sbqt::test::click(sbqt::test::tabBarOf(&view), sbqt::test::tabBarOf(&view)->tabRect(number - 1).center()); };
    const std::pair<const char*, std::string> set[] = {{"Text3", "7"}, {"Text7", "150"}, {"Text8", "90"}, {"Text1(9)", picture}};
    if (write) {
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
        sbqt::test::click(named(&view, QStringLiteral("Pulsante_Conferma")));
        check(waitFor([&] { return sb::test::readFile(layout + "Parametri_by_Velmora.js").find("var MAX_NUM_ARG= 7;") != std::string::npos; }),
              "the site is written with the numbers set");
        check(sb::test::readFile(layout + "testata mia.gif") == sb::test::readFile(picture), "the header picture is copied into the site");
    } else {
        for (const auto& [key, text] : set) {
            const std::string shown = field(key)->text().toStdString();
            const std::string expected = std::string(key) == "Text1(9)" ? layout + "testata mia.gif" : text;
            check(shown == expected, std::string(key) + " shows " + expected + " (" + shown + ")");
        }
        const auto recent = program.model.recentSiteFolders();
        check(!recent.empty() && recent.front() == layout, "the site folder is the first recent site");
    }
    view.close();
    check(waitFor([&] { return !view.isVisible(); }) && program.questions == 0, "the window closes without a question");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "copy" && argc == 4) copyAndMove(argv[2], QString::fromLocal8Bit(argv[3]) + "/");
    else if ((mode == "write" || mode == "check") && argc == 3) keepSite(argv[2], mode == "write");
    else return std::fprintf(stderr, "usage: %s copy APP_DIR ARTIFACT_DIR | write APP_DIR | check APP_DIR\n", argv[0]), 2;
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
