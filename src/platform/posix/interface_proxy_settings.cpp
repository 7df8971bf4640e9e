#include "platform/posix/interface_proxy_settings.h"

#include <ifaddrs.h>
#include <net/if.h>

#include <memory>

namespace twl {

std::optional<nlohmann::json> InterfaceProxySettings::copySystemProxySettings() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> owned(list, &::freeifaddrs);

    // An interface appears once per address family; the dictionary keeps one key.
    nlohmann::json scoped = nlohmann::json::object();
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_name != nullptr && (entry->ifa_flags & IFF_UP) != 0) {
            scoped[entry->ifa_name] = nlohmann::json::object();
        }
    }
    return nlohmann::json{{"__SCOPED__", std::move(scoped)}};
}

}  // namespace twl
