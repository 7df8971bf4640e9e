#include "platform/qt/pointing_hand_style.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "platform/qt/interface_components.h"

namespace twl {
namespace {

// A disabled widget gets no cursor of its own; the style holds the hand while
// the mouse is over it and must give it back. The button is made after
// start-up, as any screen's would be.
TEST(PointingHand, ReachesButtonsMadeAfterStartUpEvenDisabledAndGivesTheHandBack) {
    installInterfaceComponents(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    QWidget window;
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* button = new QPushButton(&window);
    button->setGeometry(20, 20, 100, 30);
    button->setStyleSheet("QPushButton { background: #267ba2; color: white; border: none; }");
    button->show();
    // What the user sees at `point`: an override if one is held, else the window's cursor.
    const auto cursorAt = [&](const QPoint& point) {
        QTest::mouseMove(&window, point);
        QCoreApplication::processEvents();
        const QCursor* held = QGuiApplication::overrideCursor();
        return held ? held->shape() : window.windowHandle()->cursor().shape();
    };
    EXPECT_EQ(cursorAt({60, 35}), Qt::PointingHandCursor);

    button->setEnabled(false);  // as a screen does while it works on a click
    EXPECT_EQ(cursorAt({60, 36}), Qt::PointingHandCursor);
    EXPECT_NE(cursorAt({300, 250}), Qt::PointingHandCursor);
    EXPECT_EQ(cursorAt({60, 35}), Qt::PointingHandCursor);
    button->hide();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "no hand left held";
}

}  // namespace
}  // namespace twl
