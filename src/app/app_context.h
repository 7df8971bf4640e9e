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
class ViewController;
class Workspace;

// The platform services a context reaches. Non-owning: the entry (or a test)
// owns them and keeps them alive longer than the context. A test wires only the
// services its code path needs; reaching an unwired one throws.
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
    AppContext(Services services, Endpoints endpoints);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    RunLoop& runLoop() const;
    SettingsStore& userDefaults() const;
    SecretStore& keyring() const;
    Console& console() const;
    FileManager& fileManager() const;
    Bundle& bundle() const;
    ScriptInterpreter& interpreter() const;
    HttpTransport& http() const;
    ProxySettings& proxySettings() const;
    NotificationCenter& notifications() const;
    Workspace& workspace() const;
    AlertPresenter& alerts() const;
    Storyboard& storyboard() const;
    NetworkManagerWatch& networkManager() const;
    SleepWatch& sleep() const;

    const Endpoints& endpoints() const { return endpoints_; }

    // Puts a fresh screen made from the storyboard in the window that shows
    // `current`; nothing happens when `current` is in no window.
    void showInPlaceOf(ViewController& current, const std::string& identifier);
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
    Services services_;
    Endpoints endpoints_;
    TimerManager timerManager_;
    std::unique_ptr<StoredSecrets> secrets_;
    std::unique_ptr<ConnectionSession> connection_;
};

}  // namespace twl
