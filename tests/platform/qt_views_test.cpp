#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_button.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view.h"

namespace twl {
namespace {

class QtViewsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root.resize(200, 160);
        auto* column = new QVBoxLayout(&root);
        for (QWidget* child : std::initializer_list<QWidget*>{edit, label, button}) {
            column->addWidget(child);
        }
        root.setStyleSheet("QPushButton { background-color: #FFFFFF; border: none; }");
    }

    // The colour the widget paints `x` pixels in from its left edge.
    static QColor painted(QWidget& widget, int x) {
        const QImage image = widget.grab().toImage();
        return image.pixelColor(x, image.height() / 2);
    }

    QWidget root;
    QLineEdit* edit = new QLineEdit(&root);
    QLabel* label = new QLabel(&root);
    QPushButton* button = new QPushButton("Sign In", &root);
};

TEST_F(QtViewsTest, LayerColoursArePaintedAndReplaceEachOther) {
    QtButton login(button);
    EXPECT_EQ(login.layer(), nullptr) << "only views that want a layer have one";
    login.setWantsLayer(true);
    login.layer()->setBackgroundColor(Color::fromRgb255(56, 166, 217));
    EXPECT_EQ(painted(*button, 4), QColor(56, 166, 217));
    QtButton(button).layer()->setBackgroundColor(Color::fromRgb255(38, 123, 162));
    login.layer()->setBorderColor(colors::red);
    EXPECT_EQ(painted(*button, 4), QColor(38, 123, 162)) << "replaces, never stacks";
    const QColor edge = painted(*button, 0);
    EXPECT_GT(edge.red(), 200);
    EXPECT_LT(edge.green(), 60);
}

// A timer may still hold a screen whose widgets are gone.
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
}

}  // namespace
}  // namespace twl
