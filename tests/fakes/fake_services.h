#pragma once

#include <memory>

#include "app/app_context.h"
#include "app/storyboard.h"
#include "fakes/fake_bundle.h"
#include "fakes/fake_file_manager.h"
#include "fakes/fake_secret_store.h"
#include "fakes/fixed_proxy_settings.h"
#include "fakes/memory_settings_store.h"
#include "fakes/quiet_workspace.h"
#include "fakes/recording_alert_presenter.h"
#include "fakes/recording_console.h"
#include "fakes/recording_notification_center.h"
#include "fakes/scripted_network_manager.h"
#include "fakes/scripted_sleep_watch.h"
#include "fakes/simulated_system.h"

namespace twl::fakes {

// Every platform service but the run loop and the HTTP transport as a
// deterministic twin, wired into one context. The loop and transport are the
// caller's: virtual ones for screen tests, QtRunLoop on a desktop. A desktop
// brings its own workspace, and may bring its own alerts (a bench its own
// interfaces); its screens go into the storyboard.
struct FakeServices {
    struct Options {
        Endpoints endpoints{"https://api.test", "https://ip.test", "vpn.test", ""};
        Workspace* workspace = nullptr;
        AlertPresenter* alerts = nullptr;
        ProxySettings* proxySettings = nullptr;
    };
    FakeServices(RunLoop& loop, HttpTransport& http, Options options);

    MemorySettingsStore settings;
    FakeSecretStore keyring;
    RecordingConsole console;
    FakeFileManager files;
    FakeBundle bundle;
    SimulatedSystem system;
    FixedProxySettings proxySettings;
    RecordingNotificationCenter notifications;
    RecordingAlertPresenter alerts;
    QuietWorkspace workspace;
    Storyboard storyboard;
    ScriptedNetworkManager networkManager;
    ScriptedSleepWatch sleep;
    // Last, so that it goes first: screens and timers hold it.
    std::unique_ptr<AppContext> context;
};

}  // namespace twl::fakes
