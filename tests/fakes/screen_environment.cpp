#include "fakes/screen_environment.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>

#include "platform/qt/qt_button.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view_base.h"
#include "platform/view_controller.h"

namespace twl::fakes {
namespace {

QString qString(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

ScreenEnvironment::ScreenEnvironment() : FakeServices(loop, http, Options{.workspace = &desktop}) {}

std::shared_ptr<ViewController> ScreenEnvironment::show(const std::string& identifier) {
    auto screen = storyboard.instantiateControllerWithIdentifier(identifier);
    if (!launched_) {
        launched_ = true;
        shell.launch(delegate, screen);
    } else {
        shell.mainWindow().setContentViewController(screen);
    }
    return screen;
}

std::shared_ptr<ViewController> ScreenEnvironment::onTop() {
    auto& main = shell.mainWindow();
    const auto& modal = main.presentedWindows();
    return modal.empty() ? main.contentViewController() : modal.back()->contentViewController();
}

QWidget* ScreenEnvironment::find(const std::shared_ptr<ViewController>& screen,
                                 const std::string& name) {
    auto* root = screen ? dynamic_cast<QtViewBase<View>*>(screen->view().get()) : nullptr;
    return root ? root->widget()->findChild<QWidget*>(qString(name)) : nullptr;
}

QWidget& ScreenEnvironment::widget(const std::string& name) {
    QWidget* found = find(onTop(), name);
    if (found == nullptr) {
        throw std::out_of_range("no widget '" + name + "' on the screen on top");
    }
    return *found;
}

QWidget& ScreenEnvironment::shown(const std::string& name) {
    QWidget* found = find(onTop(), name);
    if (found == nullptr) {
        found = find(shell.mainWindow().contentViewController(), name);
    }
    if (found == nullptr) {
        throw std::out_of_range("no widget '" + name + "' on screen");
    }
    return *found;
}

void ScreenEnvironment::type(const std::string& field, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(&widget(field));
    if (edit == nullptr) {
        throw std::logic_error("'" + field + "' is not a field");
    }
    if (edit->isVisible() && edit->isEnabled()) {
        edit->setText(qString(text));
    }
}

void ScreenEnvironment::pressReturn(const std::string& field) {
    QTest::keyClick(&widget(field), Qt::Key_Return);
}

void ScreenEnvironment::click(const std::string& control) {
    auto* button = qobject_cast<QAbstractButton*>(&widget(control));
    if (button == nullptr) {
        throw std::logic_error("'" + control + "' is not a button");
    }
    if (button->isVisible()) {
        button->click();  // nothing while disabled
    }
}

std::string ScreenEnvironment::text(const std::string& name) {
    QWidget& found = shown(name);
    if (auto* button = qobject_cast<QAbstractButton*>(&found)) {
        return QtButton(button).title();
    }
    return QtTextField(&found).stringValue();
}

bool ScreenEnvironment::shows(const std::string& name) {
    return shown(name).isVisible();
}

void ScreenEnvironment::closeWindow() {
    auto& main = shell.mainWindow();
    const auto& modal = main.presentedWindows();
    (modal.empty() ? main : *modal.back()).widget()->close();
}

void ScreenEnvironment::chooseFromTray(const std::string& title) {
    for (QAction* entry : shell.statusBar().menuActions()) {
        if (entry->text() == qString(title)) {
            entry->trigger();
            return;
        }
    }
    throw std::out_of_range("no tray entry '" + title + "'");
}

void ScreenEnvironment::finishTurn() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace twl::fakes
