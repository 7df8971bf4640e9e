#pragma once

#include "platform/proxy_settings.h"

namespace twl {

// Linux has no system proxy dictionary; what the client reads from it is which
// network interfaces are configured. This lists, under "__SCOPED__", every
// interface of the process's network namespace that is administratively up.
class InterfaceProxySettings final : public ProxySettings {
  public:
    std::optional<nlohmann::json> copySystemProxySettings() override;
};

}  // namespace twl
