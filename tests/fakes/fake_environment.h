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

// Every platform service as a deterministic twin, wired into one context, with
// the client's storyboard and a main window on screen: what a screen test
// needs to act as the user and watch the system.
//
//     FakeEnvironment env;
//     auto login = env.show("LoginController");
//     env.views(*login).outlet<FakeTextField>("edtUserName")->setStringValue("demo");
//     env.views(*login).performAction("btnLogin");
//     env.loop.runPending();
struct FakeEnvironment {
    FakeEnvironment();
    ~FakeEnvironment();

    // Makes a fresh screen from the storyboard and puts it in the main window.
    std::shared_ptr<ViewController> show(const std::string& identifier);
    // The window's current content, as the screen class the test expects.
    template <typename Screen>
    std::shared_ptr<Screen> content() const {
        return std::dynamic_pointer_cast<Screen>(window->contentViewController());
    }
    // The views of a loaded screen.
    static FakeRootView& views(const ViewController& screen);

    VirtualRunLoop loop;
    MemorySettingsStore settings;
    RecordingConsole console;
    FakeFileManager files;
    FakeBundle bundle;
    SimulatedSystem system{files};
    ScriptedHttpTransport http{loop};
    FixedProxySettings proxySettings;
    RecordingNotificationCenter notifications;
    FakeWorkspace workspace;
    RecordingAlertPresenter alerts;
    Storyboard storyboard;
    FakeViewLoader loader = FakeViewLoader::forStoryboard();
    std::unique_ptr<AppContext> context;
    std::shared_ptr<FakeWindow> window;
};

}  // namespace twl::fakes
