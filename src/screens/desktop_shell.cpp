#include "screens/desktop_shell.h"

#include <QApplication>

#include "platform/qt/qt_workspace.h"
#include "screens/app_delegate.h"
#include "screens/screen_window.h"
#include "screens/tray_item.h"
#include "screens/view_controller.h"

namespace twl {

DesktopShell::DesktopShell(QtWorkspace& workspace, std::function<bool()> trayAvailable,
                           QObject* parent)
    : QObject(parent),
      workspace_(workspace),
      mainWindow_(ScreenWindow::createMain(std::move(trayAvailable))) {
    QApplication::setQuitOnLastWindowClosed(false);
    mainWindow_->widget()->setWindowTitle(QApplication::applicationDisplayName());
    connect(qApp, &QCoreApplication::aboutToQuit, this, &DesktopShell::willTerminate);
    qApp->installEventFilter(this);
}

DesktopShell::~DesktopShell() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

bool DesktopShell::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit) {
        terminate();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void DesktopShell::launch(AppDelegate& delegate,
                          const std::shared_ptr<ViewController>& firstScreen) {
    delegate_ = &delegate;
    mainWindow_->setContentViewController(firstScreen);
    mainWindow_->show();
    delegate.applicationDidFinishLaunching();
    // The tray menu's shortcuts also work while the window has the focus.
    if (TrayItem* tray = delegate.statusItem()) {
        mainWindow_->widget()->addActions(tray->menu().actions());
    }
}

void DesktopShell::terminate() {
    willTerminate();
    // Not quit(): that asks every window to close first, and the main window
    // refuses when it can only minimise.
    QCoreApplication::exit(0);
}

void DesktopShell::willTerminate() {
    if (terminated_) {
        return;
    }
    terminated_ = true;
    if (delegate_ != nullptr) {
        delegate_->applicationWillTerminate();
    }
}

void DesktopShell::reopen() {
    const bool hasVisibleWindows = mainWindow_->isVisible();
    if (delegate_ != nullptr && !delegate_->applicationShouldHandleReopen(hasVisibleWindows)) {
        return;
    }
    workspace_.unhideApplication();
    mainWindow_->show();
}

}  // namespace twl
