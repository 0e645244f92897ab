// The Publish window on screen with a publishing run of the test's own: its
// captions fit in both languages, it opens once, it follows the Main
// Window's language, it warns before publishing in clear, the run's
// questions, progress and log reach it, a password is never written to a
// file, and closing it cancels the run it waits for.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <cstring>
#include <functional>
#include <thread>

#include "adapter_support.h"
#include "qt/publish_window.h"

namespace sbqt {
namespace {

using sb::publish::Address;

// The test's own reading of an address: scheme, host and path, nothing more.
std::optional<Address> parse(const std::string& text) {
    const std::pair<const char*, Address::Scheme> schemes[] = {
        {"sftp://", Address::Scheme::Sftp}, {"ftps://", Address::Scheme::Ftps}, {"ftp://", Address::Scheme::Ftp}};
    for (const auto& [prefix, scheme] : schemes) {
        if (!text.starts_with(prefix)) continue;
        const std::string rest = text.substr(std::strlen(prefix));
        const auto slash = rest.find('/');
        if (slash == 0 || slash == std::string::npos) return std::nullopt;
        return Address{scheme, rest.substr(0, slash), 22, rest.substr(slash), {}};
    }
    return std::nullopt;
}

// Does `act` to the next message box that comes up with `containing` in its text.
void onNextBox(const QString& containing, std::function<void(QMessageBox*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, containing, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible() || !box->text().contains(containing)) continue;
            poll->deleteLater();
            poll->stop();
            act(box);
            return;
        }
    });
    poll->start(20);
}
// Clicks `answer` in it, keeping its text.
void answerNextBox(QMessageBox::StandardButton answer, QString* text, const QString& containing = {}) {
    onNextBox(containing, [answer, text](QMessageBox* box) {
        if (text) *text = box->text();
        box->button(answer)->click();
    });
}

// The user's configuration folder, the test's own: the settings take their
// folder once per process.
const sb::test::TempDir& configFolder() {
    static const sb::test::TempDir folder;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.str()));
    return folder;
}

struct Publishing : ::testing::Test {
    const sb::test::TempDir& config = configFolder();
    sb::test::TempDir site;
    test::ApplicationFolder app;
    test::QuietPlatform platform{app.qstr()};
    bool mainEnglish = false;
    std::atomic<int> runs{0};
    std::atomic<bool> waitForCancel{false};
    std::string trustAnswer;  // what the run was told about the unknown host

    Publishing() {
        sb::test::makeFile(site.str() + "/index.htm", "home");
        platform.setLanguageSource([this] { return mainEnglish; });
        platform.setPublishRunner({parse, [this](const std::string&, const Address&, const sb::publish::Credentials&,
                                                 const sb::publish::Questions& questions, const sb::publish::Events& events,
                                                 const std::atomic<bool>& cancel, bool) {
                                       ++runs;
                                       const bool trusted = questions.trustNewHost("web.example", "ssh-ed25519", "SHA256:abc");
                                       trustAnswer = trusted ? "yes" : "no";
                                       events.log("sent photos/a.jpg");
                                       events.progress({1, 3, 1000, 3000});
                                       while (waitForCancel && !cancel) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                       if (cancel) return sb::publish::Outcome{false, "cancelled"};
                                       events.progress({3, 3, 3000, 3000});
                                       return sb::publish::Outcome{true, "the whole site is on the server"};
                                   }});
    }
    PublishWindow* open(bool english = false) {
        platform.openPublishWindow(site.str() + "/", english);
        return platform.publishWindow();
    }
    template <typename W>
    W* child(PublishWindow* w, const char* name) { return w->findChild<W*>(QString::fromLatin1(name)); }
};

TEST_F(Publishing, CaptionsFitInBothLanguagesAndTheWindowOpensOnce) {
    PublishWindow* window = open();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(open(true), window) << "a second opening raises the same window";
    int publishWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) publishWindows += qobject_cast<PublishWindow*>(w) && w->isVisible();
    EXPECT_EQ(publishWindows, 1);
    for (const bool english : {true, false}) {
        mainEnglish = english;
        platform.syncViews();  // the Main Window's language switch
        QApplication::processEvents();
        EXPECT_EQ(window->english(), english);
        EXPECT_EQ(child<QPushButton>(window, "Publish")->text(), english ? "Publish" : "Pubblica");
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisible()) continue;
            const std::string what = w->objectName().toStdString() + (english ? " in English" : " in Italian");
            const QFontMetrics m(w->font());
            if (auto* group = qobject_cast<QGroupBox*>(w)) {
                EXPECT_LE(m.horizontalAdvance(group->title()) + 16, w->width()) << what;
            } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                EXPECT_LE(m.horizontalAdvance(edit->placeholderText()) + 8, w->width()) << what;
            } else if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << what;  // the hint holds the whole text
            }
        }
    }
    EXPECT_EQ(window->windowTitle().toStdString(), "Pubblica il sito " + site.str() + "/");
}

TEST_F(Publishing, WarnsInClearThenShowsTheRunsQuestionsProgressAndLog) {
    PublishWindow* window = open();
    child<QLineEdit>(window, "Address")->setText("ftp://web.example/www/");
    child<QLineEdit>(window, "User")->setText("anna");
    child<QLineEdit>(window, "Password")->setText("segreto-42");
    child<QCheckBox>(window, "Remember")->setChecked(true);
    bool complete = false, ended = false;
    QObject::connect(window, &PublishWindow::finished, [&](bool c, const QString&) { complete = c, ended = true; });

    QString warning;
    answerNextBox(QMessageBox::No, &warning);
    child<QPushButton>(window, "Publish")->click();
    EXPECT_TRUE(warning.contains("in chiaro")) << warning.toStdString();
    EXPECT_EQ(runs, 0) << "No to the warning publishes nothing";

    QString question;
    child<QLineEdit>(window, "Address")->setText("sftp://web.example/www/");
    child<QPushButton>(window, "Publish")->click();
    answerNextBox(QMessageBox::Yes, &question);  // the run's question, asked from its own thread
    ASSERT_TRUE(test::waitFor([&] { return ended; }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(question.contains("SHA256:abc") && question.contains("web.example")) << question.toStdString();
    EXPECT_EQ(trustAnswer, "yes");
    EXPECT_TRUE(complete);
    EXPECT_EQ(child<QProgressBar>(window, "Bar")->value(), 1000);
    EXPECT_TRUE(child<QLabel>(window, "Status")->text().startsWith("3 di 3 file")) << child<QLabel>(window, "Status")->text().toStdString();
    // The keyring answers, or the user is told it did not: either way in the log.
    ASSERT_TRUE(test::waitFor([&] { return window->logText().contains("portachiavi"); }));
    for (const char* line : {"sent photos/a.jpg", "the whole site is on the server", "sftp://web.example/www/"})
        EXPECT_TRUE(window->logText().contains(line)) << line;
    // What is kept of the web space is kept without its password.
    int settingsFiles = 0;
    for (QDirIterator files(QString::fromStdString(config.str()), QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        EXPECT_FALSE(content.contains("segreto-42")) << file.fileName().toStdString();
        settingsFiles += content.contains("anna");
    }
    EXPECT_EQ(settingsFiles, 1);

    const QString shot = QStringLiteral(SB_APP_DIR "/../artifacts/publish.png");
    QDir().mkpath(QFileInfo(shot).path());
    window->grab().save(shot);

    // Closing while a run goes (here asking its question) cancels it; the
    // window goes once the run has stopped.
    waitForCancel = true;
    bool stopping = false;
    child<QLineEdit>(window, "Address")->setText("ftp://web.example/www/");
    answerNextBox(QMessageBox::Yes, nullptr, "ftp://");  // in clear, after the warning
    onNextBox("SHA256", [&](QMessageBox*) { window->close(), stopping = window->isVisible(); });
    child<QPushButton>(window, "Publish")->click();
    ASSERT_TRUE(test::waitFor([&] { return platform.publishWindow() == nullptr; }));
    EXPECT_TRUE(stopping) << "the window stays until the run has stopped";
    EXPECT_EQ(std::make_pair(int(runs), trustAnswer), std::make_pair(2, std::string("no")));
}

}  // namespace
}  // namespace sbqt
