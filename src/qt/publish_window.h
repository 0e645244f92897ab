// The Publish window: where the user says where the site goes (the web
// space's address, the user name, the password or the SSH key), starts the
// upload, follows it and can cancel it. One at a time, modeless, in the Main
// Window's language. The upload runs on a thread of its own; its questions
// (an unknown host key, an unverified certificate) come to the window as
// message boxes while the run waits for the answer.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "qt/publish_runner.h"
#include "qt/qt_platform.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace sbqt {

class PublishWindow : public QWidget, public SyncedView {
    Q_OBJECT
public:
    explicit PublishWindow(PublishRunner runner, QWidget* parent = nullptr);
    // Cancels a run that still goes and waits for it to stop.
    ~PublishWindow() override;

    // Shows the window for a site folder, or brings it to the front. While a
    // run goes it keeps the folder of that run.
    void open(const std::string& siteFolder, bool english);
    void setEnglish(bool english);
    bool english() const { return english_; }
    // Asked at each round of the program's events: the window follows the
    // Main Window's language.
    void setLanguageSource(std::function<bool()> english) { languageSource_ = std::move(english); }
    void sync() override;

    bool running() const { return worker_.joinable(); }
    std::string siteFolder() const { return siteFolder_; }
    QString logText() const;

    // Starts publishing as the Publish button does.
    void publish();
    void cancel();

signals:
    // A run ended, with its outcome's message.
    void finished(bool complete, const QString& message);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void applyCaptions();
    void loadSettings();
    void saveSettings();
    void readPassword();
    void rememberPassword(const sb::publish::Address& address, const sb::publish::Credentials& credentials);
    void updateKeyRow();
    void setRunning(bool running);
    void log(const QString& line);
    void showProgress();
    void showStatus();
    void runEnded(const sb::publish::Outcome& outcome);
    // Asks on the window's thread while the calling (publishing) thread waits;
    // No when the run is cancelled meanwhile.
    bool askFromRun(const QString& title, const QString& text);

    PublishRunner runner_;
    std::function<bool()> languageSource_;
    bool english_ = false;
    std::string siteFolder_;

    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* remember_ = nullptr;
    QLineEdit* key_ = nullptr;
    QPushButton* keyBrowse_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QPushButton* publish_ = nullptr;
    QPushButton* cancel_ = nullptr;

    QPointer<QMessageBox> question_;  // a question of the run's on screen
    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    bool closeWhenDone_ = false;
    QElapsedTimer clock_;
    // The latest progress of the run, shown at most once per round of events.
    std::mutex progressLock_;
    sb::publish::Progress progress_;
    sb::publish::Progress shown_;  // on the window's thread only
    bool progressPosted_ = false;
    bool statusIsProgress_ = false;
};

}  // namespace sbqt
