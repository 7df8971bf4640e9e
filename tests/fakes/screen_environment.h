#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "fakes/fake_services.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"
#include "platform/qt/desktop_shell.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_workspace.h"
#include "platform/qt_test_support.h"

namespace twl::fakes {

// The virtual clock and the scripted transport, made before the services
// that use them.
struct VirtualTransport {
    VirtualRunLoop loop;
    ScriptedHttpTransport http{loop};
};

// The client's own layouts, windows and tray as the entry wires them, on the
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

    // The named widget of the screen on top; throws when its layout has none.
    QWidget& widget(const std::string& name) { return find(name, false); }
    // As the user does it, on the screen on top. A control that is disabled
    // or hidden takes no click.
    void type(const std::string& field, const std::string& text);
    void pressReturn(const std::string& field);
    void click(const std::string& control);
    void closeWindow() { windowOnTop().widget()->close(); }
    void chooseFromTray(const std::string& title);
    // What a label, field or button shows, and whether it is on screen: on
    // the screen on top, else on the main window's beneath it.
    std::string text(const std::string& name);
    bool shows(const std::string& name) { return find(name, true).isVisible(); }
    // Lets the windows drop the screens they have let go of.
    static void finishTurn() { test_support::finishTurn(); }

    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
    QtWorkspace desktop{[] { return true; }};
    DesktopShell shell{*layouts, desktop, [] { return true; }};
    AppDelegate delegate{*context, shell.statusBar()};

  private:
    static QString toQ(const std::string& text) { return QString::fromStdString(text); }
    QtWindow& windowOnTop();
    QWidget& find(const std::string& name, bool orBeneath);

    bool launched_ = false;
};

}  // namespace twl::fakes
