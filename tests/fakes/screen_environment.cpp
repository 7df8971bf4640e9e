#include "fakes/screen_environment.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>
#include <utility>

#include "platform/qt/qt_button.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view_base.h"
#include "platform/view_controller.h"

namespace twl::fakes {

ScreenEnvironment::ScreenEnvironment() : FakeServices(loop, http, Options{.workspace = &desktop}) {}

std::shared_ptr<ViewController> ScreenEnvironment::show(const std::string& identifier) {
    auto screen = storyboard.instantiateControllerWithIdentifier(identifier);
    if (std::exchange(launched_, true)) {
        shell.mainWindow().setContentViewController(screen);
    } else {
        shell.launch(delegate, screen);
    }
    return screen;
}

QtWindow& ScreenEnvironment::windowOnTop() {
    const auto& modal = shell.mainWindow().presentedWindows();
    return modal.empty() ? shell.mainWindow() : *modal.back();
}

std::shared_ptr<ViewController> ScreenEnvironment::onTop() {
    return windowOnTop().contentViewController();
}

QWidget& ScreenEnvironment::find(const std::string& name, bool orBeneath) {
    for (const auto& screen :
         {onTop(), orBeneath ? shell.mainWindow().contentViewController() : nullptr}) {
        auto* root = screen ? dynamic_cast<QtViewBase<View>*>(screen->view().get()) : nullptr;
        if (auto* found = root ? root->widget()->findChild<QWidget*>(toQ(name)) : nullptr) {
            return *found;
        }
    }
    throw std::out_of_range("no widget '" + name + "' on screen");
}

void ScreenEnvironment::type(const std::string& field, const std::string& text) {
    auto& edit = dynamic_cast<QLineEdit&>(widget(field));
    if (edit.isVisible() && edit.isEnabled()) {
        edit.setText(toQ(text));
    }
}

void ScreenEnvironment::pressReturn(const std::string& field) {
    QTest::keyClick(&widget(field), Qt::Key_Return);
}

void ScreenEnvironment::click(const std::string& control) {
    auto& button = dynamic_cast<QAbstractButton&>(widget(control));
    if (button.isVisible()) {
        button.click();  // nothing while disabled
    }
}

std::string ScreenEnvironment::text(const std::string& name) {
    QWidget& shown = find(name, true);
    if (auto* button = qobject_cast<QAbstractButton*>(&shown)) {
        return QtButton(button).title();
    }
    return QtTextField(&shown).stringValue();
}

void ScreenEnvironment::chooseFromTray(const std::string& title) {
    for (QAction* entry : shell.statusBar().menuActions()) {
        if (entry->text() == toQ(title)) {
            entry->trigger();
            return;
        }
    }
    throw std::out_of_range("no tray entry '" + title + "'");
}

}  // namespace twl::fakes
