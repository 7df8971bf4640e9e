#include "fakes/screen_environment.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <stdexcept>
#include <utility>

#include "platform/qt/plain_text_label.h"
#include "screens/register_screens.h"
#include "screens/screen_window.h"
#include "screens/tray_item.h"
#include "screens/view_controller.h"

namespace twl::fakes {

ScreenEnvironment::ScreenEnvironment() : FakeServices(loop, http, Options{.workspace = &desktop}) {
    registerScreens(storyboard, *context);
}

std::shared_ptr<ViewController> ScreenEnvironment::show(const std::string& identifier) {
    auto screen = storyboard.instantiateControllerWithIdentifier(identifier);
    if (std::exchange(launched_, true)) {
        shell.mainWindow().setContentViewController(screen);
    } else {
        shell.launch(delegate, screen);
    }
    return screen;
}

ScreenWindow& ScreenEnvironment::windowOnTop() {
    const auto& modal = shell.mainWindow().presentedWindows();
    return modal.empty() ? shell.mainWindow() : *modal.back();
}

std::shared_ptr<ViewController> ScreenEnvironment::onTop() {
    return windowOnTop().contentViewController();
}

QWidget& ScreenEnvironment::find(const std::string& name, bool orBeneath) {
    for (const auto& screen :
         {onTop(), orBeneath ? shell.mainWindow().contentViewController() : nullptr}) {
        QWidget* root = screen ? screen->view() : nullptr;
        if (auto* found = root ? root->findChild<QWidget*>(toQ(name)) : nullptr) {
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

void ScreenEnvironment::closeWindow() {
    windowOnTop().widget()->close();
}

std::string ScreenEnvironment::text(const std::string& name) {
    QWidget& shown = find(name, true);
    if (auto* button = qobject_cast<QAbstractButton*>(&shown)) {
        return button->text().toStdString();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(&shown)) {
        return edit->text().toStdString();
    }
    auto* label = qobject_cast<QLabel*>(&shown);
    return label ? PlainTextLabel::of(*label).text().toStdString() : "";
}

void ScreenEnvironment::chooseFromTray(const std::string& title) {
    TrayItem* tray = delegate.statusItem();
    for (QAction* entry : tray ? tray->menu().actions() : QList<QAction*>()) {
        if (entry->text() == toQ(title)) {
            entry->trigger();
            return;
        }
    }
    throw std::out_of_range("no tray entry '" + title + "'");
}

}  // namespace twl::fakes
