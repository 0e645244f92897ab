// Quits a program once its window has been shown and painted, after saying
// when that was: "painted at SECONDS.NANOSECONDS" on the system clock, so
// that a script that noted the time of the start can tell how long the
// window took to appear. Used to time the start and by the tests.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace sbqt {

class QuitWhenPainted : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint) {
            done_ = true;
            timespec now{};
            ::clock_gettime(CLOCK_REALTIME, &now);
            std::printf("painted at %lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

}  // namespace sbqt
