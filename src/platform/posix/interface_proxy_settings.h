#pragma once

#include <string>

#include "platform/proxy_settings.h"

namespace twl {

// Linux has no system proxy dictionary; what the client reads from it is which
// network interfaces are configured. This lists, under "__SCOPED__", every
// interface of the process's network namespace that is administratively up.
class InterfaceProxySettings final : public ProxySettings {
  public:
    std::optional<nlohmann::json> copySystemProxySettings() override;

    // The point-to-point interface that is up and holds the IPv4 address
    // (dotted quad), or "" when there is none: how a VPN's tunnel is found,
    // since NetworkManager names only the device underneath it.
    static std::string upPointToPointHolding(const std::string& ipv4Address);
};

}  // namespace twl
