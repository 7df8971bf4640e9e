#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/qt_button.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view.h"
#include "qt_test_support.h"

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

// A server's words are shown as sent, never as markup, and never grow the window.
TEST(QtViews, LabelsShowOutsideTextAsPlainTextWithinTheirPlace) {
    const auto layouts = QtLayouts::withStoryboardLayouts();
    struct Row {
        const char* screen;
        const char* label;
        std::string text;
        bool elided;
    };
    const std::string markup = "<b>Renew</b> at <a href='https://x.test'>our site</a>";
    const std::string image = "<img src='x' width=3000 height=2000>";
    const std::string essay = "Renew now. " + std::string(3000, 'w') + " and more words after";
    for (const auto& row : {Row{"LoginController", "lblErrorMessage", markup, false},
                            Row{"LoginController", "lblErrorMessage", image, false},
                            Row{"LoginController", "lblErrorMessage", essay, true},
                            Row{"MainController", "lblIPAddress", essay, true}}) {
        SCOPED_TRACE(row.label + (" " + row.text.substr(0, 20)));
        auto screen = test_support::screen(row.screen);
        screen->loadViewIfNeeded(*layouts);
        QWidget& root = test_support::rootOf(*screen);
        root.show();
        const QSize before = root.sizeHint();
        auto* label = root.findChild<QLabel*>(row.label);
        ASSERT_NE(label, nullptr);
        label->parentWidget()->show();  // the panel, as the screen shows it
        QtTextField field(label);
        field.setStringValue(row.text);
        test_support::finishTurn();

        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(field.stringValue(), row.text) << "the whole text, as sent";
        EXPECT_EQ(root.sizeHint().width(), before.width()) << "the window does not grow";
        EXPECT_LE(label->height(), 4 * label->fontMetrics().lineSpacing());
        EXPECT_EQ(label->toolTip().toStdString(), row.elided ? row.text : "");
        if (!row.elided) {
            EXPECT_EQ(label->text().toStdString(), row.text);
        }
    }
}

// Timers, delays and posts from the transport's thread run the whole road in
// tests/e2e; this is the lifetime rule the screens rely on.
TEST(QtRunLoop, InvalidateFromInsideTheHandlerReleasesItAfterItReturns) {
    QtRunLoop loop;
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> watch = captured;
    std::shared_ptr<Timer> timer;
    int ticks = 0;
    timer = loop.scheduleRepeating(0.01, [&, captured] {
        ++ticks;
        timer->invalidate();
        *captured += 1;  // still alive here
    });
    captured.reset();
    ASSERT_TRUE(test_support::spinUntil([&] { return ticks == 1; }));
    EXPECT_TRUE(watch.expired());
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace twl
