#pragma once

#include <memory>
#include <string>

#include "fakes/fake_root_view.h"
#include "fakes/fake_services.h"
#include "fakes/fake_view_loader.h"
#include "fakes/fake_window.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"

namespace twl::fakes {

// The virtual clock and the scripted transport, made before the services
// that use them.
struct VirtualTransport {
    VirtualRunLoop loop;
    ScriptedHttpTransport http{loop};
};

// The fake services on a virtual clock with a scripted transport, and a main
// window on screen: what a screen test needs to act as the user.
//
//     FakeEnvironment env;
//     auto login = env.show("LoginController");
//     env.views(*login).outlet<FakeTextField>("edtUserName")->setStringValue("demo");
//     env.views(*login).performAction("btnLogin");
//     env.loop.runPending();
struct FakeEnvironment : VirtualTransport, FakeServices {
    FakeEnvironment() : FakeServices(loop, http) {}
    ~FakeEnvironment();

    // Makes a fresh screen from the storyboard and puts it in the main window.
    std::shared_ptr<ViewController> show(const std::string& identifier);
    static FakeRootView& views(const ViewController& screen) { return FakeRootView::of(screen); }

    FakeViewLoader loader;
    std::shared_ptr<FakeWindow> window = FakeWindow::makeMain(loader);
};

}  // namespace twl::fakes
