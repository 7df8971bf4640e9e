#pragma once

#include <string>

#include "platform/network_manager_watch.h"

namespace twl {

// What a report of our active connection means for the connection.
enum class Verdict {
    none,      // still on its way, or nothing that changes anything
    tunnelUp,  // the VPN is activated: its tunnel is there
    ended,     // it failed or went down, for the report's reason
};

Verdict verdictOf(const ActiveConnectionReport& report);

// The sentence that says why, for a reason NetworkManager gave: no more than
// the reason tells, with NetworkManager's own name for it in brackets for
// whoever looks it up.
std::string reasonSentence(int reason);

// Whether a connection that dropped for this reason is tried again: not when
// someone took it down outside the client (user-disconnected), nor where a
// second try with the same account could lock it (no-secrets, login-failed)
// or the profile is gone (connection-removed).
bool isRetried(int reason);

// When NetworkManager said nothing within the attempt's time.
inline constexpr const char* noTunnelSentence = "No tunnel came up within a minute.";

}  // namespace twl
