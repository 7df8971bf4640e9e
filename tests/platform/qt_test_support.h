#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <string>

#include "fakes/stub_screen.h"
#include "platform/qt/qt_view_base.h"

namespace twl::test_support {

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

// A screen that binds nothing, made for the layout of `identifier`.
inline std::shared_ptr<fakes::StubScreen> screen(const std::string& identifier) {
    auto made = std::make_shared<fakes::StubScreen>();
    made->setStoryboardIdentifier(identifier);
    return made;
}

// The widget at the root of a loaded screen's views.
inline QWidget& rootOf(const ViewController& shown) {
    return *dynamic_cast<QtViewBase<View>*>(shown.view().get())->widget();
}

}  // namespace twl::test_support
