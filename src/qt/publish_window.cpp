#include "qt/publish_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTime>
#include <QUrl>
#include <QVBoxLayout>

#include <qt6keychain/keychain.h>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <utility>

#include "qt/window_view.h"
#include "ui/captions.h"
#include "ui/window_designs.h"

namespace sbqt {

namespace {

using sb::publish::Address;
using sb::publish::Credentials;
using sb::publish::Outcome;
using sb::publish::Progress;

// The keyring entry of a web space's password: one per user and server.
constexpr const char* kKeyringService = "sitebuilder";
QString keyringKey(const Address& address, const std::string& user) {
    return toQString(user) + QLatin1Char('@') + toQString(address.host) + QLatin1Char(':') + QString::number(address.port);
}

// The settings of the site folders' web spaces, in the user's configuration
// folder; never a password.
QSettings siteSettings() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "sitebuilder", "publish"); }
QString settingsGroup(const std::string& siteFolder) {
    return QStringLiteral("sites/") + QString::fromLatin1(QUrl::toPercentEncoding(toQString(siteFolder)));
}

bool isInClear(const QString& address) { return address.trimmed().startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive); }
bool isSftpOrBlank(const QString& address) {
    const QString a = address.trimmed();
    return a.isEmpty() || a.startsWith(QLatin1String("sftp://"), Qt::CaseInsensitive) || !a.contains(QLatin1String("://"));
}

QString timeLeft(qint64 seconds) {
    if (seconds < 60) return QString::number(std::max<qint64>(seconds, 1)) + QStringLiteral(" s");
    if (seconds < 3600) return QString::number((seconds + 30) / 60) + QStringLiteral(" min");
    return QString::number(seconds / 3600) + QStringLiteral(" h ") + QString::number(seconds % 3600 / 60) + QStringLiteral(" min");
}

// A widget named as the captions' table names it.
template <typename W>
W* make(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// "by Velmora" in the program's shadowed blue, as the other windows sign.
class Signature : public QWidget {
public:
    explicit Signature(QWidget* parent) : QWidget(parent) {
        QFont f = WindowView::windowFont();  // the windows' one face
        f.setPixelSize(13);  // 9.75 points at 96 dots per inch
        f.setBold(true);
        setFont(f);
        setObjectName(QStringLiteral("Signature"));
    }
    QSize sizeHint() const override {
        const QFontMetrics m(font());
        return {m.horizontalAdvance(QString::fromUtf8(sb::kSignature)) + 3, m.height() + 2};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QString text = QString::fromUtf8(sb::kSignature);
        const int base = QFontMetrics(font()).ascent();
        p.setPen(QColor(0, 0, 192));
        p.drawText(0, base, text);
        p.setPen(QColor(0, 0, 255));
        p.drawText(1, base + 1, text);
    }
};

}  // namespace

PublishWindow::PublishWindow(PublishRunner runner, QWidget* parent) : QWidget(parent), runner_(std::move(runner)) {
    setObjectName(QStringLiteral("PublishWindow"));
    setFont(WindowView::windowFont());
    build();
    applyCaptions();
    setRunning(false);
}

PublishWindow::~PublishWindow() {
    cancelled_ = true;
    if (worker_.joinable()) worker_.join();
}

void PublishWindow::build() {
    const auto label = [this](const char* name, QWidget* buddy) {
        auto* l = make<QLabel>(frame1_, name);
        l->setBuddy(buddy);
        return l;
    };
    frame1_ = make<QGroupBox>(this, "Frame1");
    address_ = make<QLineEdit>(frame1_, "Address");
    user_ = make<QLineEdit>(frame1_, "User");
    password_ = make<QLineEdit>(frame1_, "Password");
    password_->setEchoMode(QLineEdit::Password);
    remember_ = make<QCheckBox>(frame1_, "Remember");
    key_ = make<QLineEdit>(frame1_, "Key");
    keyBrowse_ = make<QPushButton>(frame1_, "KeyBrowse");
    keyBrowse_->setAutoDefault(false);
    auto* hint = make<QLabel>(frame1_, "KeyHint");
    hint->setEnabled(false);  // greyed: a note, not a control

    auto* grid = new QGridLayout(frame1_);
    grid->setHorizontalSpacing(8);
    grid->addWidget(label("AddressLabel", address_), 0, 0);
    grid->addWidget(address_, 0, 1, 1, 3);
    grid->addWidget(label("UserLabel", user_), 1, 0);
    grid->addWidget(user_, 1, 1);
    grid->addWidget(label("PasswordLabel", password_), 2, 0);
    grid->addWidget(password_, 2, 1);
    grid->addWidget(remember_, 2, 2, 1, 2);
    grid->addWidget(label("KeyLabel", key_), 3, 0);
    grid->addWidget(key_, 3, 1, 1, 2);
    grid->addWidget(keyBrowse_, 3, 3);
    grid->addWidget(hint, 4, 1, 1, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);

    frame2_ = make<QGroupBox>(this, "Frame2");
    bar_ = make<QProgressBar>(frame2_, "Bar");
    bar_->setRange(0, 1000);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    status_ = make<QLabel>(frame2_, "Status");
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    log_ = make<QPlainTextEdit>(frame2_, "Log");
    log_->setReadOnly(true);
    log_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    log_->setMinimumHeight(140);
    auto* progress = new QVBoxLayout(frame2_);
    progress->addWidget(bar_);
    progress->addWidget(status_);
    progress->addWidget(log_, 1);

    publish_ = make<QPushButton>(this, "Publish");
    cancel_ = make<QPushButton>(this, "Cancel");
    publish_->setDefault(true);
    cancel_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new Signature(this), 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    buttons->addWidget(publish_);
    buttons->addWidget(cancel_);
    for (QPushButton* b : {publish_, cancel_}) b->setMinimumWidth(110);

    auto* window = new QVBoxLayout(this);
    window->addWidget(frame1_);
    window->addWidget(frame2_, 1);
    window->addLayout(buttons);
    resize(620, 480);

    connect(publish_, &QPushButton::clicked, this, &PublishWindow::publish);
    connect(cancel_, &QPushButton::clicked, this, &PublishWindow::cancel);
    connect(address_, &QLineEdit::textChanged, this, &PublishWindow::updateKeyRow);
    connect(keyBrowse_, &QPushButton::clicked, this, [this] {
        const QString start = key_->text().isEmpty() ? QDir::home().filePath(QStringLiteral(".ssh")) : key_->text();
        const QString chosen = QFileDialog::getOpenFileName(this, QString(), start);
        if (!chosen.isEmpty()) key_->setText(QDir::toNativeSeparators(chosen));
    });
}

void PublishWindow::applyCaptions() {
    for (const sb::ControlCaption& c : sb::kPublishWindowCaptions) {
        const QString text = QString::fromUtf8(c.caption.in(english_));
        QWidget* w = findChild<QWidget*>(QString::fromLatin1(c.control));
        if (auto* edit = qobject_cast<QLineEdit*>(w); edit && c.index == 0) {
            edit->setPlaceholderText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            group->setTitle(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setText(text);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(text);
        }
    }
    // The status line tells a run's progress from its first step on.
    if (statusIsProgress_) showStatus();
    setWindowTitle(QString::fromUtf8(sb::kPublishTitle.in(english_)).arg(toQString(siteFolder_)).trimmed());
}

void PublishWindow::setEnglish(bool english) {
    if (english == english_) return;
    english_ = english;
    applyCaptions();
}

void PublishWindow::sync() {
    if (languageSource_) setEnglish(languageSource_());
}

void PublishWindow::open(const std::string& siteFolder, bool english) {
    english_ = english;
    if (!running() && siteFolder != siteFolder_) {
        siteFolder_ = siteFolder;
        loadSettings();
    }
    applyCaptions();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void PublishWindow::updateKeyRow() {
    // The SSH key is SFTP's way in; FTPS and FTP sign in with the password.
    const bool sftp = isSftpOrBlank(address_->text());
    for (QWidget* w : std::initializer_list<QWidget*>{key_, keyBrowse_, findChild<QWidget*>(QStringLiteral("KeyLabel")),
                                                      findChild<QWidget*>(QStringLiteral("KeyHint"))})
        if (w) w->setVisible(sftp);
}

// --- settings and the keyring ---------------------------------------------------------

void PublishWindow::loadSettings() {
    QSettings s = siteSettings();
    s.beginGroup(settingsGroup(siteFolder_));
    address_->setText(s.value("address").toString());
    user_->setText(s.value("user").toString());
    key_->setText(s.value("key").toString());
    remember_->setChecked(s.value("remember", false).toBool());
    password_->clear();
    updateKeyRow();
    if (remember_->isChecked()) readPassword();
}

void PublishWindow::saveSettings() {
    QSettings s = siteSettings();
    s.beginGroup(settingsGroup(siteFolder_));
    s.setValue("address", address_->text().trimmed());
    s.setValue("user", user_->text().trimmed());
    s.setValue("key", key_->text().trimmed());
    s.setValue("remember", remember_->isChecked());
}

void PublishWindow::readPassword() {
    const std::optional<Address> address = runner_.parse ? runner_.parse(toStdString(address_->text().trimmed())) : std::nullopt;
    if (!address || user_->text().trimmed().isEmpty()) return;
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kKeyringService), this);
    job->setInsecureFallback(false);
    const QString key = keyringKey(*address, toStdString(user_->text().trimmed()));
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [this, job, key] {
        // Only for the web space still in the fields, and never over a typed password.
        const std::optional<Address> now = runner_.parse(toStdString(address_->text().trimmed()));
        if (job->error() == QKeychain::NoError && now && keyringKey(*now, toStdString(user_->text().trimmed())) == key &&
            password_->text().isEmpty())
            password_->setText(job->textData());
    });
    job->start();
}

void PublishWindow::rememberPassword(const Address& address, const Credentials& credentials) {
    const QString key = keyringKey(address, credentials.user);
    if (!remember_->isChecked()) {
        // Forgetting is asked for: what the keyring holds for this space goes.
        auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(kKeyringService), this);
        job->setInsecureFallback(false);
        job->setKey(key);
        job->start();
        return;
    }
    if (credentials.password.empty()) return;
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kKeyringService), this);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(toQString(credentials.password));
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        // No keyring at hand: the user is told; the password is kept nowhere else.
        if (job->error() == QKeychain::NoError) {
            log(QString::fromUtf8(sb::kPasswordSaved.in(english_)));
        } else {
            log(QString::fromUtf8(sb::kPasswordNotSaved.in(english_)).arg(job->errorString()));
        }
    });
    job->start();
}

// --- the run ------------------------------------------------------------------------

void PublishWindow::setRunning(bool running) {
    publish_->setEnabled(!running);
    cancel_->setEnabled(running);
    for (QWidget* w : std::initializer_list<QWidget*>{address_, user_, password_, remember_, key_, keyBrowse_})
        w->setEnabled(!running);
}

void PublishWindow::log(const QString& line) {
    QScrollBar* bar = log_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    log_->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) + line);
    if (atEnd) bar->setValue(bar->maximum());
}

QString PublishWindow::logText() const { return log_->toPlainText(); }

void PublishWindow::publish() {
    if (running()) return;
    const auto refuse = [this](const char* text, const QString& with = {}) {
        QString message = QString::fromUtf8(text);
        if (!with.isNull()) message = message.arg(with);
        QMessageBox::warning(this, windowTitle(), message);
    };
    const QString typed = address_->text().trimmed();
    if (!runner_.parse || !runner_.run) return log(QString::fromUtf8(sb::kPublishUnavailable.in(english_)));
    const std::optional<Address> address = runner_.parse(toStdString(typed));
    if (!address) return refuse(sb::kPublishBadAddress.in(english_));
    // The user may also be given in the address ("sftp://anna@server/...").
    if (user_->text().trimmed().isEmpty() && !address->user.empty()) user_->setText(toQString(address->user));
    if (user_->text().trimmed().isEmpty()) return refuse(sb::kPublishNoUser.in(english_));
    if (!QFileInfo(toQString(siteFolder_ + "index.htm")).isFile())
        return refuse(sb::kPublishNoSite.in(english_), QDir::toNativeSeparators(toQString(siteFolder_)));
    if (address->scheme == Address::Scheme::Ftp || isInClear(typed)) {
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(sb::kPublishInClearTitle.in(english_)),
                        QString::fromUtf8(sb::kPublishInClear.in(english_)), QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        nameButtons(box, english_);
        if (box.exec() != QMessageBox::Yes) return;
    }

    Credentials credentials;
    credentials.user = toStdString(user_->text().trimmed());
    credentials.password = toStdString(password_->text());
    if (address->scheme == Address::Scheme::Sftp) credentials.privateKeyPath = toStdString(key_->text().trimmed());
    saveSettings();
    rememberPassword(*address, credentials);

    log(QString::fromUtf8(sb::kPublishStarted.in(english_)).arg(QDir::toNativeSeparators(toQString(siteFolder_)), typed));
    cancelled_ = false;
    {
        std::lock_guard lock(progressLock_);
        progress_ = {};
        progressPosted_ = false;
    }
    bar_->setValue(0);
    shown_ = {};
    statusIsProgress_ = false;
    clock_.start();
    setRunning(true);

    sb::publish::Questions questions;
    const bool english = english_;
    questions.trustNewHost = [this, english](const std::string& host, const std::string& type, const std::string& print) {
        return askFromRun(QString::fromUtf8(sb::kUnknownHostTitle.in(english)),
                          QString::fromUtf8(sb::kUnknownHost.in(english)).arg(toQString(host), toQString(type), toQString(print)));
    };
    questions.acceptCertificate = [this, english](const std::string& host, const std::string& certificate) {
        return askFromRun(QString::fromUtf8(sb::kUntrustedCertificateTitle.in(english)),
                          QString::fromUtf8(sb::kUntrustedCertificate.in(english)).arg(toQString(host), toQString(certificate)));
    };
    sb::publish::Events events;
    events.progress = [this](const Progress& p) {
        std::lock_guard lock(progressLock_);
        progress_ = p;
        if (std::exchange(progressPosted_, true)) return;
        QMetaObject::invokeMethod(this, [this] { showProgress(); }, Qt::QueuedConnection);
    };
    events.log = [this](const std::string& line) {
        QMetaObject::invokeMethod(this, [this, text = toQString(line)] { log(text); }, Qt::QueuedConnection);
    };
    worker_ = std::thread([this, run = runner_.run, folder = siteFolder_, address = *address, credentials, questions,
                           events, english] {
        Outcome outcome;
        try {
            outcome = run(folder, address, credentials, questions, events, cancelled_, english);
        } catch (const std::exception& e) {
            outcome = {false, e.what()};
        }
        QMetaObject::invokeMethod(this, [this, outcome] { runEnded(outcome); }, Qt::QueuedConnection);
    });
}

void PublishWindow::cancel() {
    if (!running() || cancelled_) return;
    cancelled_ = true;
    cancel_->setEnabled(false);
    // A question of the run's still open has lost its point.
    if (question_) question_->done(QMessageBox::No);
    log(QString::fromUtf8(sb::kPublishCancelling.in(english_)));
}

bool PublishWindow::askFromRun(const QString& title, const QString& text) {
    if (cancelled_) return false;
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> reply = answer->get_future();
    QMetaObject::invokeMethod(
        this,
        [this, answer, title, text] {
            bool yes = false;
            if (!cancelled_) {
                QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, this);
                box.setDefaultButton(QMessageBox::No);
                nameButtons(box, english_);
                box.setTextInteractionFlags(Qt::TextSelectableByMouse);
                question_ = &box;
                yes = box.exec() == QMessageBox::Yes && !cancelled_;
            }
            answer->set_value(yes);
        },
        Qt::QueuedConnection);
    // The window may be closing: a cancelled run stops waiting for the answer.
    while (reply.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (cancelled_) return false;
    }
    return reply.get();
}

void PublishWindow::showProgress() {
    {
        std::lock_guard lock(progressLock_);
        shown_ = progress_;
        progressPosted_ = false;
    }
    statusIsProgress_ = true;
    showStatus();
}

void PublishWindow::showStatus() {
    const Progress& p = shown_;
    const QLocale locale(english_ ? QLocale::English : QLocale::Italian);
    const auto size = [&locale](std::int64_t bytes) { return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat); };
    if (p.bytesTotal > 0) {
        bar_->setValue(static_cast<int>(1000 * p.bytesDone / p.bytesTotal));
    } else if (p.filesTotal > 0) {
        bar_->setValue(1000 * p.filesDone / p.filesTotal);
    }
    QString text = QString::fromUtf8(sb::kPublishProgress.in(english_))
                       .arg(p.filesDone)
                       .arg(p.filesTotal)
                       .arg(size(p.bytesDone), size(p.bytesTotal));
    const qint64 elapsed = clock_.elapsed();
    if (p.bytesDone > 0 && p.bytesDone < p.bytesTotal && elapsed > 2000) {
        const double left = static_cast<double>(elapsed) * static_cast<double>(p.bytesTotal - p.bytesDone) /
                            static_cast<double>(p.bytesDone) / 1000.0;
        text += QString::fromUtf8(sb::kPublishTimeLeft.in(english_)).arg(timeLeft(static_cast<qint64>(left)));
    }
    status_->setText(text);
}

void PublishWindow::runEnded(const Outcome& outcome) {
    if (worker_.joinable()) worker_.join();
    showProgress();  // the last the run told, which may not have been shown yet
    if (outcome.complete) bar_->setValue(1000);
    const QString message = toQString(outcome.message);
    if (!message.isEmpty()) log(message);
    setRunning(false);
    emit finished(outcome.complete, message);
    if (std::exchange(closeWhenDone_, false)) close();
}

void PublishWindow::closeEvent(QCloseEvent* event) {
    // A run that goes is cancelled first; the window closes once it has stopped.
    if (running()) {
        closeWhenDone_ = true;
        cancel();
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace sbqt
