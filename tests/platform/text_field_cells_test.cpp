#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <optional>

#include "offscreen_application.h"
#include "platform/qt/custom_security_cell.h"
#include "platform/qt/custom_text_field_cell.h"
#include "ui/text_centring.h"

namespace twl {
namespace {

// The first and last pixel rows holding dark ink between two columns.
struct InkRows {
    int top = 0;
    int bottom = 0;
};

std::optional<InkRows> inkRows(const QImage& image, int fromColumn, int toColumn) {
    std::optional<InkRows> rows;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = fromColumn; x < toColumn; ++x) {
            if (qGray(image.pixel(x, y)) < 110) {
                if (!rows) {
                    rows = InkRows{y, y};
                }
                rows->bottom = y;
                break;
            }
        }
    }
    return rows;
}

class TextFieldCells : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::offscreenApplication();
        window_ = std::make_unique<QWidget>();
        window_->resize(320, 120);
    }

    template <typename Field>
    Field& addField(int height, const QString& text) {
        auto* field = new Field(window_.get());  // the window owns its fields
        field->setGeometry(10, 10 + fieldsMade_++ * 50, 240, height);
        field->setText(text);
        field->setCursorPosition(0);
        return *field;
    }

    void showAndActivate() {
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    // Ink rows of the field's text, right of the caret so that a caret
    // drawn while editing is not counted.
    static std::optional<InkRows> textInk(QLineEdit& field) {
        const QRect caret = field.inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QImage image = field.grab().toImage();
        return inkRows(image, caret.right() + 3, image.width() - 6);
    }

    std::unique_ptr<QWidget> window_;
    int fieldsMade_ = 0;
};

TEST_F(TextFieldCells, TextStaysPutWhenEditingStartsAndEnds) {
    auto& plain = addField<CustomTextFieldCell>(30, "WHgjy name");
    auto& secret = addField<CustomSecurityCell>(30, "secret");
    showAndActivate();

    for (QLineEdit* field : {static_cast<QLineEdit*>(&plain), static_cast<QLineEdit*>(&secret)}) {
        const auto shown = textInk(*field);
        ASSERT_TRUE(shown.has_value());

        field->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
        const auto edited = textInk(*field);
        ASSERT_TRUE(edited.has_value());
        EXPECT_EQ(edited->top, shown->top) << field->metaObject()->className();
        EXPECT_EQ(edited->bottom, shown->bottom) << field->metaObject()->className();

        field->clearFocus();
        const auto after = textInk(*field);
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(after->top, shown->top) << field->metaObject()->className();
    }
}

TEST_F(TextFieldCells, CaretAndTextSitOnTheCentredRect) {
    auto& field = addField<CustomTextFieldCell>(34, "Hg");
    showAndActivate();
    field.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field.hasFocus(); }));

    const QRectF expected = field.textRect();
    const QRect caret = field.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_NEAR(caret.top(), expected.top(), 1.0);
    EXPECT_NEAR(caret.bottom() + 1, expected.bottom(), 1.0);
    // The rule's own numbers, from the frame the style gives the field.
    const QRectF title = field.titleRect();
    EXPECT_DOUBLE_EQ(expected.x(), title.x());
    EXPECT_DOUBLE_EQ(expected.width(), title.width());
    EXPECT_DOUBLE_EQ(expected.center().y(), title.center().y());
}

TEST_F(TextFieldCells, TextFollowsTheFieldWhenItGrowsWithoutItsHintsChanging) {
    auto& field = addField<CustomTextFieldCell>(30, "WHgjy");
    showAndActivate();
    const QSize hint = field.sizeHint();
    const auto before = textInk(field);
    const double rectBefore = field.textRect().top();

    field.resize(field.width(), 50);
    const auto after = textInk(field);
    ASSERT_TRUE(before && after);
    const double moved = field.textRect().top() - rectBefore;
    EXPECT_NEAR(moved, 10.0, 0.5);
    EXPECT_NEAR(after->top - before->top, moved, 1.0);
    EXPECT_EQ(field.sizeHint(), hint) << "centring must not feed back into the layout";
}

TEST_F(TextFieldCells, LaidOutFieldsKeepTheirHeight) {
    auto* layout = new QVBoxLayout(window_.get());
    auto* field = new CustomTextFieldCell;
    layout->addWidget(field);
    layout->addStretch();
    showAndActivate();
    const int height = field->height();
    for (int i = 0; i < 5; ++i) {
        field->setText(QString("text %1").arg(i));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(field->height(), height);
}

TEST_F(TextFieldCells, PasswordFieldShowsBulletsWhereAPlainFieldShowsText) {
    auto& plain = addField<CustomTextFieldCell>(30, "pa55word");
    auto& secret = addField<CustomSecurityCell>(30, "pa55word");
    secret.move(plain.x(), secret.y());
    showAndActivate();

    EXPECT_EQ(secret.echoMode(), QLineEdit::Password);
    EXPECT_FALSE(secret.displayText().contains("pa55word"));
    EXPECT_EQ(secret.textRect(), plain.textRect());

    const auto bullets = textInk(secret);
    ASSERT_TRUE(bullets.has_value());
    EXPECT_GE(bullets->top, secret.textRect().top()) << "bullets sit within the centred line";
    EXPECT_LE(bullets->bottom, secret.textRect().bottom());
}

}  // namespace
}  // namespace twl
