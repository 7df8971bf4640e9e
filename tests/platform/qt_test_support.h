#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

namespace twl::test_support {

// The test process's QApplication, made by qt_test_main.cpp on the offscreen
// platform so that no test opens a window on the developer's desktop.
inline QApplication& qtApplication() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// Runs the event loop until the condition holds or a generous limit passes.
inline bool spinUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// Lets everything queued for the next turn of the loop happen.
inline void finishTurn() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace twl::test_support
