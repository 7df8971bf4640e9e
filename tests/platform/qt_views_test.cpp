#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/busy_spinner.h"
#include "platform/qt/qt_busy_indicator.h"
#include "platform/qt/qt_button.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/qt_image_view.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view.h"
#include "platform/qt/view_properties.h"
#include "qt_test_support.h"

namespace twl {
namespace {

class QtViewsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test_support::qtApplication(); }

    void SetUp() override {
        root.resize(200, 160);
        auto* column = new QVBoxLayout(&root);
        for (QWidget* child : std::initializer_list<QWidget*>{edit, label, button, spinner}) {
            column->addWidget(child);
        }
        root.setStyleSheet("QPushButton { background-color: #FFFFFF; border: none; }");
    }

    // The colour the widget paints behind its text, and at its left edge.
    static QColor paintedBackground(QWidget& widget) {
        const QImage image = widget.grab().toImage();
        return image.pixelColor(4, image.height() / 2);
    }
    static QColor paintedEdge(QWidget& widget) {
        const QImage image = widget.grab().toImage();
        return image.pixelColor(0, image.height() / 2);
    }

    QWidget root;
    QLineEdit* edit = new QLineEdit(&root);
    QLabel* label = new QLabel(&root);
    QPushButton* button = new QPushButton("Sign In", &root);
    BusySpinner* spinner = new BusySpinner(&root);
};

TEST_F(QtViewsTest, TextFieldsReadAndWriteBothFieldsAndLabels) {
    QtTextField field(edit);
    QtTextField caption(label);
    field.setStringValue("john doe");
    caption.setStringValue("Connected");
    EXPECT_EQ(edit->text(), "john doe");
    EXPECT_EQ(field.stringValue(), "john doe");
    EXPECT_EQ(caption.stringValue(), "Connected");

    edit->setText("typed");
    EXPECT_EQ(QtTextField(edit).stringValue(), "typed") << "facades keep no state of their own";

    root.setEnabled(false);
    EXPECT_TRUE(field.isEnabled()) << "the field's own flag, whatever its parent says";
    field.setEnabled(false);
    EXPECT_FALSE(field.isEnabled());
    EXPECT_FALSE(edit->isEnabled());
}

TEST_F(QtViewsTest, PlaceholderCarriesItsColourAndFont) {
    QtTextField field(edit);
    const AttributedString placeholder{"Username", Color::fromRgb255(189, 189, 189),
                                       Font{"Helvetica Light", 14.0}};
    field.setPlaceholderAttributedString(placeholder);

    EXPECT_EQ(edit->placeholderText(), "Username");
    EXPECT_EQ(edit->palette().color(QPalette::PlaceholderText), QColor(189, 189, 189));
    const QFont font = edit->property(view_property::placeholderFont).value<QFont>();
    EXPECT_EQ(font.family(), "Helvetica");
    EXPECT_EQ(font.weight(), QFont::Light);
    EXPECT_EQ(field.placeholderAttributedString(), placeholder);

    field.setPlaceholderAttributedString(AttributedString{"", std::nullopt, std::nullopt});
    EXPECT_EQ(field.placeholderAttributedString(), (AttributedString{"", {}, {}}));
    QtTextField(label).setPlaceholderAttributedString(placeholder);  // labels have none
}

TEST_F(QtViewsTest, CaretColourIsSetOnTheField) {
    QtTextField(edit).setInsertionPointColor(colors::black);
    EXPECT_EQ(edit->property(view_property::insertionPointColor).value<QColor>(), Qt::black);
    EXPECT_EQ(edit->palette().color(QPalette::Text), Qt::black);
}

TEST_F(QtViewsTest, OnlyViewsWithALayerHaveOneAndItsColoursArePainted) {
    QtButton login(button);
    EXPECT_EQ(login.layer(), nullptr);
    login.setWantsLayer(true);
    auto layer = login.layer();
    ASSERT_NE(layer, nullptr);

    layer->setBackgroundColor(Color::fromRgb255(56, 166, 217));
    EXPECT_EQ(paintedBackground(*button), QColor(56, 166, 217));
    EXPECT_EQ(QtButton(button).layer()->backgroundColor(), Color::fromRgb255(56, 166, 217))
        << "a second facade sees the same layer";

    layer->setBackgroundColor(Color::fromRgb255(38, 123, 162));
    EXPECT_EQ(paintedBackground(*button), QColor(38, 123, 162)) << "replaces, never stacks";
    layer->setBorderColor(colors::red);
    EXPECT_EQ(layer->borderColor(), colors::red);
    EXPECT_EQ(paintedBackground(*button), QColor(38, 123, 162));
    const QColor edge = paintedEdge(*button);
    EXPECT_GT(edge.red(), 200);
    EXPECT_LT(edge.green(), 60);
}

TEST_F(QtViewsTest, BusyIndicatorAnimatesWithoutChangingVisibility) {
    QtBusyIndicator indicator(spinner);
    indicator.setHidden(true);
    indicator.setAnimate(true);
    EXPECT_TRUE(indicator.isAnimating());
    EXPECT_TRUE(indicator.isHidden());

    indicator.setWantsLayer(true);
    indicator.layer()->removeAllAnimations();
    EXPECT_FALSE(indicator.isAnimating()) << "removing the layer's animations stops the spin";
    indicator.setAnimate(true);
    indicator.setAnimate(false);
    EXPECT_FALSE(spinner->isAnimating());
}

TEST_F(QtViewsTest, ImagesComeFromTheResourcesByName) {
    QtImageView image(label);
    image.setImage("probe");
    EXPECT_EQ(image.imageName(), "probe");
    EXPECT_EQ(label->pixmap().size(), QSize(8, 8));

    image.setImage("no-such-image");
    EXPECT_EQ(image.imageName(), "no-such-image");
    EXPECT_TRUE(label->pixmap().isNull()) << "a missing image shows nothing";
}

TEST_F(QtViewsTest, FacadesOutliveTheirWidgetsHarmlessly) {
    QtTextField field(edit);
    QtButton login(button);
    QtView view(label);
    delete edit;
    delete button;
    delete label;
    field.setStringValue("late tick");
    login.setTitle("Disconnect");
    view.setHidden(false);
    EXPECT_EQ(field.stringValue(), "");
    EXPECT_TRUE(view.isHidden());
    EXPECT_EQ(login.layer(), nullptr);
    EXPECT_EQ(view.superview(), nullptr);
}

TEST_F(QtViewsTest, SuperviewIsTheContainingWidget) {
    auto parent = QtView(edit).superview();
    ASSERT_NE(parent, nullptr);
    parent->setWantsLayer(true);
    EXPECT_TRUE(root.property(view_property::wantsLayer).toBool());
    EXPECT_EQ(QtView(&root).superview(), nullptr);
}

}  // namespace
}  // namespace twl
