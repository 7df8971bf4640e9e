#include "platform/qt/pointing_hand_style.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QWindow>

#include "platform/qt/interface_components.h"

namespace twl {
namespace {

class PointingHand : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        installInterfaceComponents(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    }

    void SetUp() override {
        window.resize(400, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void TearDown() override {
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "no hand left held";
    }

    // Adds a widget after start-up, as any screen would.
    template <typename Widget>
    Widget& add(const QRect& geometry) {
        auto* widget = new Widget(&window);
        widget->setGeometry(geometry);
        widget->show();
        return *widget;
    }

    // What the user sees at `point`: an override if one is held, else the window's cursor.
    Qt::CursorShape cursorAt(const QPoint& point) {
        QTest::mouseMove(&window, point);
        QCoreApplication::processEvents();
        const QCursor* held = QGuiApplication::overrideCursor();
        return held ? held->shape() : window.windowHandle()->cursor().shape();
    }

    QWidget window;
};

TEST_F(PointingHand, ReachesButtonsAndTablesMadeAfterStartUp) {
    auto& button = add<QPushButton>({20, 20, 100, 30});
    auto& styled = add<QPushButton>({20, 100, 100, 30});
    styled.setStyleSheet("QPushButton { background: #267ba2; color: white; border: none; }");
    auto& table = add<QTableView>({150, 20, 200, 150});
    QStandardItemModel model(4, 2);
    table.setModel(&model);
    auto& label = add<QLabel>({20, 200, 100, 30});

    EXPECT_EQ(cursorAt(button.geometry().topLeft() + QPoint(1, 1)), Qt::PointingHandCursor);
    EXPECT_EQ(cursorAt(styled.geometry().center()), Qt::PointingHandCursor);
    EXPECT_EQ(cursorAt(table.viewport()->mapTo(&window, QPoint(10, 10))), Qt::PointingHandCursor);
    EXPECT_EQ(cursorAt(table.horizontalHeader()->mapTo(&window, QPoint(30, 5))),
              Qt::PointingHandCursor);
    EXPECT_NE(cursorAt(label.geometry().center()), Qt::PointingHandCursor);
    EXPECT_NE(cursorAt(button.geometry().bottomRight() + QPoint(2, 2)), Qt::PointingHandCursor);
}

// A disabled widget gets no cursor of its own; the style holds the hand while
// the mouse is over it and must give it back.
TEST_F(PointingHand, ADisabledButtonShowsTheHandAndGivesItBack) {
    auto& button = add<QPushButton>({20, 20, 100, 30});
    EXPECT_EQ(cursorAt({60, 35}), Qt::PointingHandCursor);
    button.setEnabled(false);  // as a screen does while it works on a click
    EXPECT_EQ(cursorAt({60, 36}), Qt::PointingHandCursor);
    EXPECT_NE(cursorAt({300, 250}), Qt::PointingHandCursor);

    EXPECT_EQ(cursorAt({60, 35}), Qt::PointingHandCursor);
    button.hide();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace twl
