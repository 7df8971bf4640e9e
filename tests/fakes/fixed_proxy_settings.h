#pragma once

#include "platform/proxy_settings.h"

namespace twl::fakes {

// Proxy settings that the test sets.
class FixedProxySettings final : public ProxySettings {
  public:
    std::optional<nlohmann::json> copySystemProxySettings() override { return settings; }

    // Settings as the system gives them when exactly these interfaces are up.
    static nlohmann::json withInterfaces(std::initializer_list<const char*> names) {
        nlohmann::json scoped = nlohmann::json::object();
        for (const char* name : names) {
            scoped[name] = nlohmann::json::object();
        }
        return nlohmann::json{{"__SCOPED__", scoped}};
    }

    std::optional<nlohmann::json> settings;
};

}  // namespace twl::fakes
