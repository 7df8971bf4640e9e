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
