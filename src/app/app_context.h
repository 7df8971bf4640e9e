#pragma once

#include <memory>
#include <string>

#include "app/endpoints.h"
#include "platform/status_bar_button.h"
#include "ui/timer_manager.h"

namespace twl {

class AlertPresenter;
class Bundle;
class ConnectionSession;
class Console;
class FileManager;
class HttpTransport;
class NetworkManagerWatch;
class NotificationCenter;
class ProxySettings;
class RunLoop;
class ScriptInterpreter;
class SecretStore;
class SettingsStore;
class SleepWatch;
class Storyboard;
class StoredSecrets;
class Workspace;

// The platform services a context reaches. Non-owning: the entry (or a test)
// owns them and keeps them alive longer than the context. Every one is given:
// a context is made whole or not at all.
struct Services {
    RunLoop* runLoop = nullptr;
    SettingsStore* settings = nullptr;
    SecretStore* keyring = nullptr;
    Console* console = nullptr;
    FileManager* fileManager = nullptr;
    Bundle* bundle = nullptr;
    ScriptInterpreter* interpreter = nullptr;
    HttpTransport* http = nullptr;
    ProxySettings* proxySettings = nullptr;
    NotificationCenter* notifications = nullptr;
    Workspace* workspace = nullptr;
    AlertPresenter* alerts = nullptr;
    Storyboard* storyboard = nullptr;
    NetworkManagerWatch* networkManager = nullptr;
    SleepWatch* sleep = nullptr;
};

// Everything the client keeps outside any one screen: the process-wide values
// (named as the screens use them), the one countdown, the connection, the
// built-in endpoints and the platform services. The entry makes one per
// process; each test makes its own.
class AppContext {
  public:
    // Throws std::invalid_argument naming a service that is not given.
    AppContext(const Services& services, Endpoints endpoints);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    RunLoop& runLoop() const { return runLoop_; }
    SettingsStore& userDefaults() const { return settings_; }
    SecretStore& keyring() const { return keyring_; }
    Console& console() const { return console_; }
    FileManager& fileManager() const { return fileManager_; }
    Bundle& bundle() const { return bundle_; }
    ScriptInterpreter& interpreter() const { return interpreter_; }
    HttpTransport& http() const { return http_; }
    ProxySettings& proxySettings() const { return proxySettings_; }
    NotificationCenter& notifications() const { return notifications_; }
    Workspace& workspace() const { return workspace_; }
    AlertPresenter& alerts() const { return alerts_; }
    Storyboard& storyboard() const { return storyboard_; }
    NetworkManagerWatch& networkManager() const { return networkManager_; }
    SleepWatch& sleep() const { return sleep_; }

    const Endpoints& endpoints() const { return endpoints_; }

    // Closing the window hides the client, which lives on in the status bar.
    void hideApplication();
    TimerManager& timerManager() { return timerManager_; }
    // The connection, with isConnecting and isConnected.
    ConnectionSession& connection() { return *connection_; }
    // The account and administrator passwords, wherever they are kept.
    StoredSecrets& secrets() { return *secrets_; }

    // Account credentials: the last accepted sign-in.
    std::string accountUserName;
    std::string accountPassword;

    std::string serverUrl;  // starts as the built-in default server
    std::string toolResourcePath;

    bool isAdminConfirmed = false;
    bool isUserRegistered = false;

    // The status item's button once the delegate has launched; until then a
    // button that belongs to no status item.
    std::shared_ptr<StatusBarButton> statusBarButton = std::make_shared<DetachedStatusBarButton>();

  private:
    RunLoop& runLoop_;
    SettingsStore& settings_;
    SecretStore& keyring_;
    Console& console_;
    FileManager& fileManager_;
    Bundle& bundle_;
    ScriptInterpreter& interpreter_;
    HttpTransport& http_;
    ProxySettings& proxySettings_;
    NotificationCenter& notifications_;
    Workspace& workspace_;
    AlertPresenter& alerts_;
    Storyboard& storyboard_;
    NetworkManagerWatch& networkManager_;
    SleepWatch& sleep_;
    Endpoints endpoints_;
    TimerManager timerManager_;
    std::unique_ptr<StoredSecrets> secrets_;
    std::unique_ptr<ConnectionSession> connection_;
};

}  // namespace twl
