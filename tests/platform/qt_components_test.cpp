// The client's interface components: its fields, cursor, fades and artwork.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <memory>
#include <optional>

#include "fakes/virtual_run_loop.h"
#include "platform/qt/custom_security_cell.h"
#include "platform/qt/custom_text_field_cell.h"
#include "platform/qt/interface_components.h"
#include "platform/qt/my_custom_fade_animator.h"
#include "platform/qt/pointing_hand_style.h"
#include "platform/qt/view_properties.h"
#include "qt_test_support.h"
#include "screens/screen_style.h"
#include "ui_login_controller.h"

namespace twl {
namespace {

// The first and last pixel rows of dark ink right of the caret (a caret drawn
// while editing is not counted).
std::optional<std::pair<int, int>> textInk(QLineEdit& field) {
    const int from = field.inputMethodQuery(Qt::ImCursorRectangle).toRect().right() + 3;
    const QImage image = field.grab().toImage();
    std::optional<std::pair<int, int>> rows;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = from; x < image.width() - 6; ++x) {
            if (qGray(image.pixel(x, y)) < 110) {
                rows = std::pair{rows ? rows->first : y, y};
                break;
            }
        }
    }
    return rows;
}

TEST(TextFieldCells, TextStaysPutWhenEditingStartsAndEnds) {
    QWidget window;
    window.resize(320, 120);
    auto* plain = new CustomTextFieldCell(&window);
    auto* secret = new CustomSecurityCell(&window);
    plain->setGeometry(10, 10, 240, 30);
    secret->setGeometry(10, 60, 240, 30);
    plain->setText("WHgjy name");
    secret->setText("secret");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(secret->echoMode(), QLineEdit::Password);
    EXPECT_EQ(secret->textRect(), plain->textRect());

    for (QLineEdit* field : {static_cast<QLineEdit*>(plain), static_cast<QLineEdit*>(secret)}) {
        SCOPED_TRACE(field->metaObject()->className());
        field->setCursorPosition(0);
        const auto shown = textInk(*field);
        ASSERT_TRUE(shown.has_value());
        field->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
        EXPECT_EQ(textInk(*field), shown);
        field->clearFocus();
        EXPECT_EQ(textInk(*field), shown);
    }
}

// Black at half opacity in the field's own font is what a style sheet leaves.
TEST(TextFieldCells, AnEmptyFieldShowsItsPlaceholderInTheSharedColourAndFont) {
    test_support::BuiltForm<Ui::LoginControllerLayout> login;
    QLineEdit* field = login.ui.edtUserName;
    screen_style::setPlaceholder(*field, "Username");
    QFont font = field->property(view_property::placeholderFont).value<QFont>();
    EXPECT_EQ(font.weight(), QFont::Light);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 14);
    EXPECT_LT(QFontInfo(font).weight(), QFont::Normal) << QFontInfo(font).family().toStdString();

    font.setStyleStrategy(QFont::NoAntialias);  // every pixel of ink in the full colour
    field->setProperty(view_property::placeholderFont, font);
    login.root.show();
    const QImage image = field->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        darkest = std::min<int>(darkest, *std::min_element(row, row + image.width()));
    }
    EXPECT_EQ(darkest, 189);
}

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

double opacityOf(const QWidget& view) {
    const auto* effect = qobject_cast<const QGraphicsOpacityEffect*>(view.graphicsEffect());
    return effect == nullptr ? 1.0 : effect->opacity();
}

class FadeAnimator : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(600, 500);
        presenting_ = new QWidget(window_.get());  // the window owns it
        presenting_->setGeometry(30, 20, 480, 360);
        presented_ = std::make_unique<QWidget>();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    fakes::VirtualRunLoop loop_;
    std::unique_ptr<QWidget> window_;
    QWidget* presenting_ = nullptr;
    std::unique_ptr<QWidget> presented_;  // the caller's, as a controller's view is
    std::unique_ptr<MyCustomFadeAnimator> animator_ = std::make_unique<MyCustomFadeAnimator>(loop_);
};

TEST_F(FadeAnimator, FadesInFortyInsideThePresentingViewThenOutOfTheViewTree) {
    animator_->animatePresentation(*presented_, *presenting_);
    EXPECT_EQ(opacityOf(*presented_), 0.0);
    // 40 inside on every side of where the presenting view is on screen.
    const QRect onScreen(presented_->mapTo(window_.get(), QPoint(0, 0)), presented_->size());
    EXPECT_EQ(onScreen, presenting_->geometry().adjusted(40, 40, -40, -40));

    loop_.advance(0.5);
    EXPECT_DOUBLE_EQ(opacityOf(*presented_), 0.8);

    animator_->animateDismissal(*presented_);
    loop_.advance(0.49);
    EXPECT_EQ(presented_->parentWidget(), presenting_) << "still there, fading";

    loop_.advance(0.01);
    EXPECT_EQ(presented_->parentWidget(), nullptr);
    EXPECT_FALSE(presented_->isVisible());
}

TEST_F(FadeAnimator, ViewDestroyedMidFadeIsForgotten) {
    animator_->animatePresentation(*presented_, *presenting_);
    loop_.advance(0.1);
    const QWidget* gone = presented_.get();
    presented_.reset();
    loop_.advance(1);
    EXPECT_EQ(animator_->timelineFor(gone), nullptr);
    EXPECT_EQ(loop_.scheduledTimerCount(), 0u);
}

// A name missing from the resources would show nothing, silently.
TEST(Artwork, EveryPictureLoadsByNameOnTransparency) {
    registerInterfaceArtwork();
    for (const char* name : {"menubar", "menubar_hover", "checked", "uncheck", "tidewaterlink"}) {
        const QImage image(QString(":/images/%1.png").arg(name));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << name;
    }
}

}  // namespace
}  // namespace twl
