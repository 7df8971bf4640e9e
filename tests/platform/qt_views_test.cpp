#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/qt_button.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view.h"

namespace twl {
namespace {

// A timer may still hold a screen whose widgets are gone.
TEST(QtViews, FacadesOutliveTheirWidgetsHarmlessly) {
    auto* edit = new QLineEdit;
    auto* label = new QLabel;
    auto* button = new QPushButton("Sign In");
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
