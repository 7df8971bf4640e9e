#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <optional>

#include "app/appearance.h"
#include "platform/qt/custom_security_cell.h"
#include "platform/qt/custom_text_field_cell.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/view_properties.h"
#include "qt_test_support.h"

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
    const auto layouts = QtLayouts::withStoryboardLayouts();
    const auto login = test_support::screen("LoginController");
    login->loadViewIfNeeded(*layouts);
    auto* field = test_support::rootOf(*login).findChild<QLineEdit*>("edtUserName");
    QtTextField(field).setPlaceholderAttributedString(
        {"Username", appearance::placeholderColor, appearance::placeholderFont});
    QFont font = field->property(view_property::placeholderFont).value<QFont>();
    EXPECT_EQ(QFontInfo(font).pixelSize(), 14);
    EXPECT_LT(QFontInfo(font).weight(), QFont::Normal) << QFontInfo(font).family().toStdString();

    font.setStyleStrategy(QFont::NoAntialias);  // every pixel of ink in the full colour
    field->setProperty(view_property::placeholderFont, font);
    test_support::rootOf(*login).show();
    const QImage image = field->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        darkest = std::min<int>(darkest, *std::min_element(row, row + image.width()));
    }
    EXPECT_EQ(darkest, 189);
}

}  // namespace
}  // namespace twl
