#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/storyboard.h"
#include "fakes/fake_bundle.h"
#include "fakes/fake_file_manager.h"
#include "fakes/fake_root_view.h"
#include "fakes/fake_view_loader.h"
#include "fakes/fake_window.h"
#include "fakes/fake_workspace.h"
#include "fakes/fixed_proxy_settings.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_alert_presenter.h"
#include "fakes/recording_console.h"
#include "fakes/recording_notification_center.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/simulated_system.h"
#include "fakes/virtual_run_loop.h"

namespace twl::fakes {

// Every platform service but the run loop and the HTTP transport as a
// deterministic twin, wired with the client's storyboard into one context.
// The loop and transport are the caller's: virtual ones for screen tests,
// QtRunLoop (and the real CurlHttpTransport) on real widgets. A desktop may
// bring its own workspace and alerts.
struct FakeServices {
    struct Options {
        Endpoints endpoints{"https://api.test", "https://ip.test", "vpn.test", ""};
        Workspace* workspace = nullptr;
        AlertPresenter* alerts = nullptr;
    };
    FakeServices(RunLoop& loop, HttpTransport& http, Options options);
    FakeServices(RunLoop& loop, HttpTransport& http) : FakeServices(loop, http, Options{}) {}

    MemorySettingsStore settings;
    RecordingConsole console;
    FakeFileManager files;
    FakeBundle bundle;
    SimulatedSystem system{files};
    FixedProxySettings proxySettings;
    RecordingNotificationCenter notifications;
    FakeWorkspace workspace;
    RecordingAlertPresenter alerts;
    Storyboard storyboard;
    // Last, so that it goes first: screens and timers hold it.
    std::unique_ptr<AppContext> context;
};

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
    // The window's current content, as the screen class the test expects.
    template <typename Screen>
    std::shared_ptr<Screen> content() const {
        return std::dynamic_pointer_cast<Screen>(window->contentViewController());
    }
    static FakeRootView& views(const ViewController& screen) { return FakeRootView::of(screen); }

    FakeViewLoader loader = FakeViewLoader::forStoryboard();
    std::shared_ptr<FakeWindow> window = FakeWindow::makeMain(loader);
};

}  // namespace twl::fakes
