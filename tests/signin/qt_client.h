#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "fakes/fake_services.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_window.h"
#include "platform/view_controller.h"

namespace twl::test_support {

// Runs the event loop until the condition holds; the limit only guards
// against a hang.
inline bool spinUntil(const std::function<bool()>& done, int limitMs = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// The widget of that name on screen in any window (the dialog has its own).
template <typename Widget>
Widget* visible(const char* name) {
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* typed = qobject_cast<Widget*>(widget);
        if (typed && widget->objectName() == QLatin1String(name) && widget->isVisible()) {
            return typed;
        }
    }
    return nullptr;
}

inline QString labelText(const char* name) {
    auto* label = visible<QLabel>(name);
    return label ? label->text() : QString();
}

inline void click(const char* name) {
    auto* button = visible<QAbstractButton>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void type(const char* field, const QString& text) {
    auto* edit = visible<QLineEdit>(field);
    ASSERT_NE(edit, nullptr) << field;
    edit->clear();
    QTest::keyClicks(edit, text);
}

// The client's real screens in a real main window (offscreen) on the real run
// loop, over the fake services and the given transport, showing the login
// screen.
template <typename Transport>
class QtClient {
  public:
    template <typename... TransportArguments>
    explicit QtClient(fakes::FakeServices::Options options, TransportArguments&&... arguments)
        : http(loop, std::forward<TransportArguments>(arguments)...),
          fake(loop, http, std::move(options)) {
        window->show();
        window->setContentViewController(
            fake.storyboard.instantiateControllerWithIdentifier("LoginController"));
    }
    ~QtClient() {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::string showing() const {
        auto shown = window->contentViewController();
        return shown ? shown->storyboardIdentifier() : "";
    }

    QtRunLoop loop;
    Transport http;
    fakes::FakeServices fake;
    AppContext& context = *fake.context;
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
    std::shared_ptr<QtWindow> window = QtWindow::createMain(*layouts, [] { return true; });
};

}  // namespace twl::test_support
