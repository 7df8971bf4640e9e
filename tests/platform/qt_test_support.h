#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/interface_components.h"

namespace twl::test_support {

// A screen's uic form built on a root of its own, as its screen builds it.
template <typename Form>
struct BuiltForm {
    BuiltForm() {
        registerInterfaceArtwork();
        ui.setupUi(&root);
    }
    QWidget root;
    Form ui{};
};

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

// The widget of that name on screen in any window (a dialog has its own).
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

inline std::string labelText(const char* name) {
    auto* label = visible<QLabel>(name);
    return label ? label->text().toStdString() : std::string();
}

inline void click(const char* name) {
    auto* button = visible<QAbstractButton>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace twl::test_support
