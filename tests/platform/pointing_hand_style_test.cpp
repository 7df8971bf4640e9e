#include "platform/qt/pointing_hand_style.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <memory>

#include "offscreen_application.h"
#include "platform/qt/interface_components.h"

namespace twl {
namespace {

class PointingHand : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { installInterfaceComponents(testing::offscreenApplication()); }

    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(400, 300);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        moveMouseTo(QPoint(390, 290));
    }

    void TearDown() override {
        window_.reset();
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "no hand left held";
    }

    // Adds a widget after start-up, as any screen would, and shows it.
    template <typename Widget>
    Widget& add(const QRect& geometry) {
        auto* widget = new Widget(window_.get());  // the window owns it
        widget->setGeometry(geometry);
        widget->show();
        return *widget;
    }

    void moveMouseTo(const QPoint& point) {
        QTest::mouseMove(window_.get(), point);
        QCoreApplication::processEvents();
    }

    // What the user sees at the mouse: an override if one is held, else the
    // window's cursor.
    Qt::CursorShape shownCursor() const {
        if (const QCursor* held = QGuiApplication::overrideCursor()) {
            return held->shape();
        }
        return window_->windowHandle()->cursor().shape();
    }

    std::unique_ptr<QWidget> window_;
};

TEST_F(PointingHand, InstallingTwiceKeepsOneStyle) {
    QStyle* installed = QApplication::style();
    ASSERT_NE(qobject_cast<PointingHandStyle*>(installed), nullptr);
    installInterfaceComponents(testing::offscreenApplication());
    EXPECT_EQ(QApplication::style(), installed);
}

TEST_F(PointingHand, ReachesButtonsAndTablesMadeAfterStartUpOverTheirWholeBounds) {
    auto& button = add<QPushButton>({20, 20, 100, 30});
    auto& checkBox = add<QCheckBox>({20, 60, 100, 30});
    auto& styled = add<QPushButton>({20, 100, 100, 30});
    styled.setStyleSheet("QPushButton { background: #267ba2; color: white; border: none; }");
    auto& table = add<QTableView>({150, 20, 200, 150});
    QStandardItemModel model(4, 2);
    table.setModel(&model);
    auto& label = add<QLabel>({20, 200, 100, 30});

    struct Spot {
        const char* name;
        QWidget* widget;
        QPoint point;  // in the widget
    };
    const Spot spots[] = {
        {"button's corner", &button, {1, 1}},
        {"button's far corner", &button, {98, 28}},
        {"check box", &checkBox, {50, 15}},
        {"style-sheeted button", &styled, {50, 15}},
        {"table cell", table.viewport(), {10, 10}},
        {"table header", table.horizontalHeader(), {30, 5}},
    };
    for (const Spot& spot : spots) {
        moveMouseTo(spot.widget->mapTo(window_.get(), spot.point));
        EXPECT_EQ(shownCursor(), Qt::PointingHandCursor) << spot.name;
    }

    moveMouseTo(label.geometry().center());
    EXPECT_NE(shownCursor(), Qt::PointingHandCursor) << "labels keep their own cursor";
    moveMouseTo(button.geometry().bottomRight() + QPoint(2, 2));
    EXPECT_NE(shownCursor(), Qt::PointingHandCursor) << "nothing beyond the button's bounds";
}

TEST_F(PointingHand, DisabledButtonShowsTheHandWhileTheMouseIsOverIt) {
    auto& button = add<QPushButton>({20, 20, 100, 30});
    button.setEnabled(false);

    moveMouseTo({60, 35});
    EXPECT_EQ(shownCursor(), Qt::PointingHandCursor);
    moveMouseTo({300, 250});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_NE(shownCursor(), Qt::PointingHandCursor);
}

TEST_F(PointingHand, ButtonDisabledUnderTheMouseKeepsTheHandUntilEnabledAgain) {
    auto& button = add<QPushButton>({20, 20, 100, 30});
    moveMouseTo({60, 35});

    button.setEnabled(false);  // as a screen does while it works on a click
    EXPECT_EQ(shownCursor(), Qt::PointingHandCursor);
    button.setEnabled(true);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the enabled button shows it itself";
    EXPECT_EQ(shownCursor(), Qt::PointingHandCursor);
}

TEST_F(PointingHand, HandIsGivenBackWhenTheDisabledButtonGoesAway) {
    auto& hidden = add<QPushButton>({20, 20, 100, 30});
    hidden.setEnabled(false);
    moveMouseTo({60, 35});
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    hidden.hide();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    auto destroyed = std::make_unique<QPushButton>(window_.get());
    destroyed->setGeometry(20, 100, 100, 30);
    destroyed->show();
    destroyed->setEnabled(false);
    moveMouseTo({60, 115});
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    destroyed.reset();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace twl
