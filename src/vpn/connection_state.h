#pragma once

namespace twl {

// Where the connection stands. Only ConnectionSession changes it.
enum class ConnectionState {
    disconnected,
    waitingForAdministrator,  // the administrator dialog is open; the register wait polls
    provisioning,             // the service is (re)created, then the connect delay runs
    connecting,               // the connect command has gone out; detection polls
    connected,                // the tunnel has been seen; detection watches it
    disconnecting,            // the button's disconnect looks up the address first
    waitingToReconnect,       // the tunnel dropped by itself: the next try is due soon
};

// How a state shows: the main screen's label and button, and the tray icon.
struct ConnectionLooks {
    const char* status;
    const char* buttonTitle;
    const char* icon;
};

inline ConnectionLooks looksOf(ConnectionState state) {
    switch (state) {
        case ConnectionState::provisioning:
        case ConnectionState::connecting:
        case ConnectionState::waitingToReconnect:
            return {"Connecting...", "Connecting...", "menubar"};
        case ConnectionState::connected:
        case ConnectionState::disconnecting:  // until the address is in
            return {"Connected", "Disconnect", "menubar_hover"};
        case ConnectionState::disconnected:
        case ConnectionState::waitingForAdministrator:
            break;
    }
    return {"Disconnected", "Connect", "menubar"};
}

}  // namespace twl
