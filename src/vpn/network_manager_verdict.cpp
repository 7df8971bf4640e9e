#include "vpn/network_manager_verdict.h"

#include <array>
#include <string_view>

namespace twl {
namespace {

struct ReasonWords {
    std::string_view name;  // NetworkManager's, as nmcli and its log spell it
    std::string_view sentence;
};

constexpr std::string_view noReasonGiven =
    "The VPN connection failed, and NetworkManager gave no reason.";
constexpr std::string_view deviceGone = "The network device under the VPN connection went away.";

// Indexed by NMActiveConnectionStateReason, whose first twelve are the VPN
// connection's reasons too.
constexpr std::array<ReasonWords, 15> reasons{{
    {"unknown", noReasonGiven},
    {"none", noReasonGiven},
    {"user-disconnected", "The VPN connection was stopped outside Tidewaterlink."},
    {"device-disconnected", "The network under the VPN connection went away."},
    {"service-stopped", "The VPN service stopped unexpectedly."},
    {"ip-config-invalid", "The VPN server gave network settings that could not be used."},
    {"connect-timeout", "The VPN connection took too long to come up."},
    {"service-start-timeout", "The VPN service took too long to start."},
    {"service-start-failed",
     "The VPN connection could not be set up: the server did not answer or did not accept it."},
    {"no-secrets", "NetworkManager had no password for the VPN connection."},
    {"login-failed", "The VPN server did not accept the user name or password."},
    {"connection-removed", "The VPN connection's profile was removed."},
    {"dependency-failed", "The network the VPN connection goes over failed."},
    {"device-realize-failed", deviceGone},
    {"device-removed", deviceGone},
}};

}  // namespace

Verdict verdictOf(const ActiveConnectionReport& report) {
    if (report.state == nm::activeDeactivated || report.vpnState == nm::vpnFailed ||
        report.vpnState == nm::vpnDisconnected) {
        return Verdict::ended;
    }
    return report.vpnState == nm::vpnActivated ? Verdict::tunnelUp : Verdict::none;
}

bool isRetried(int reason) {
    return reason != 2 && reason != 9 && reason != 10 && reason != 11;
}

std::string reasonSentence(int reason) {
    const bool named = reason >= 0 && static_cast<std::size_t>(reason) < reasons.size();
    const ReasonWords words =
        named ? reasons[static_cast<std::size_t>(reason)] : ReasonWords{{}, noReasonGiven};
    std::string sentence(words.sentence);
    sentence.append(" (NetworkManager: ");
    sentence.append(named ? std::string(words.name) : "reason " + std::to_string(reason));
    sentence.append(")");
    return sentence;
}

}  // namespace twl
