#pragma once

#include <string>

#include "vpn/connection_state.h"

namespace twl {

// Whoever shows the connection: the main screen on show. Called on the main
// thread, from the session's steps.
class ConnectionObserver {
  public:
    virtual ~ConnectionObserver() = default;

    // The session has entered `state`.
    virtual void connectionStateChanged(ConnectionState state) = 0;
    // The tunnel has come up or gone down without the user: the public address
    // has changed.
    virtual void tunnelChanged() = 0;
    // The public address the session looked up itself (while the tunnel was
    // still up, before the button's disconnect): newer than any asked before.
    virtual void publicIpFound(const std::string& address) = 0;
};

}  // namespace twl
