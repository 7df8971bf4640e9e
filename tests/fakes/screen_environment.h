#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "fakes/fake_services.h"
#include "fakes/virtual_transport.h"
#include "platform/qt/qt_workspace.h"
#include "platform/qt_test_support.h"
#include "screens/app_delegate.h"
#include "screens/desktop_shell.h"
#include "screens/screen_window.h"
#include "screens/view_controller.h"

namespace twl::fakes {

// The client's own screens, windows and tray as the entry wires them, on the
// offscreen platform, over the fake services on a virtual clock: what a screen
// test needs to act as the user. Needs a QApplication.
//
//     ScreenEnvironment env;
//     env.show("LoginController");
//     env.type("edtUserName", "demo");
//     env.click("btnLogin");
//     env.loop.runPending();
struct ScreenEnvironment : VirtualTransport, FakeServices {
    ScreenEnvironment();

    // Makes a fresh screen from the storyboard and puts it in the main window
    // (launching the client with it the first time).
    std::shared_ptr<ViewController> show(const std::string& identifier);
    // The screen on top: the modal window's while one is open.
    std::shared_ptr<ViewController> onTop();

    // The named widget of the screen on top; throws when its form has none.
    QWidget& widget(const std::string& name) { return find(name, false); }
    // As the user does it, on the screen on top. A control that is disabled
    // or hidden takes no click.
    void type(const std::string& field, const std::string& text);
    void pressReturn(const std::string& field);
    void click(const std::string& control);
    void closeWindow();
    void chooseFromTray(const std::string& title);
    // What a label, field or button shows, and whether it is on screen: on
    // the screen on top, else on the main window's beneath it.
    std::string text(const std::string& name);
    bool shows(const std::string& name) { return find(name, true).isVisible(); }
    // Lets the windows drop the screens they have let go of.
    static void finishTurn() { test_support::finishTurn(); }

    QtWorkspace desktop{[] { return true; }};
    DesktopShell shell{desktop, [] { return true; }};
    AppDelegate delegate{*context, [this] { shell.terminate(); }};

  private:
    static QString toQ(const std::string& text) { return QString::fromStdString(text); }
    ScreenWindow& windowOnTop();
    QWidget& find(const std::string& name, bool orBeneath);

    bool launched_ = false;
};

}  // namespace twl::fakes
