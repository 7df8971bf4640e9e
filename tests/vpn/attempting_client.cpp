#include "attempting_client.h"

#include <sys/stat.h>

#include <QElapsedTimer>
#include <filesystem>

#include "platform/qt_test_support.h"
#include "private_network_manager.h"
#include "screens/desktop_client.h"
#include "screens/screen_window.h"
#include "screens/view_controller.h"

namespace twl::test_support {

AttemptingClient::AttemptingClient() {
    // The secret folder wants a private runtime folder.
    std::filesystem::create_directories("/run/user/0");
    ::chmod("/run/user/0", 0700);
    for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", "/run/user/0"},
                                      {"XDG_CONFIG_HOME", "/run/twl-nm/config"},
                                      {"HOME", "/run/twl-nm"}}) {
        ::setenv(name, value, 1);
    }
    // No web service answers: the public address stays empty.
    client_ =
        std::make_unique<DesktopClient>(ExecutableBundle(TIDEWATERLINK_BINARY),
                                        Endpoints{"https://127.0.0.1:9", "https://127.0.0.1:9",
                                                  PrivateNetworkManager::gatewayAddress, ""},
                                        [] { return false; });
    AppContext& ctx = client_->context();
    ctx.accountUserName = "alice";
    ctx.accountPassword = "open sesame";
    ctx.isAdminConfirmed = true;
    client_->shell().mainWindow().contentViewController()->showInPlaceOf("MainController",
                                                                         ctx.storyboard());
    spinUntil([] { return !status().empty(); });
}

AttemptingClient::~AttemptingClient() {
    client_->shell().terminate();
}

std::string AttemptingClient::status() {
    return labelText("lblConnectStatus");
}

std::string AttemptingClient::reason() {
    return labelText("lblConnectReason");
}

bool AttemptingClient::showsWithin(const std::string& wanted, int ms) {
    return spinUntil([&] { return status() == wanted; }, ms);
}

double AttemptingClient::connectUntil(const std::string& wanted) {
    click("btnConnect");
    QElapsedTimer clock;
    clock.start();
    const bool came = spinUntil(
        [&] { return status() == wanted && (wanted != "Disconnected" || !reason().empty()); },
        70000);
    return came ? static_cast<double>(clock.elapsed()) / 1000.0 : -1.0;
}

}  // namespace twl::test_support
