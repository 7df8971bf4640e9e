#include "platform/posix/interface_proxy_settings.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#include <memory>

namespace twl {
namespace {

using InterfaceList = std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)>;

InterfaceList interfaces() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        list = nullptr;
    }
    return {list, &::freeifaddrs};
}

}  // namespace

std::optional<nlohmann::json> InterfaceProxySettings::copySystemProxySettings() {
    const InterfaceList list = interfaces();
    if (!list) {
        return std::nullopt;
    }
    // An interface appears once per address family; the dictionary keeps one key.
    nlohmann::json scoped = nlohmann::json::object();
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_name != nullptr && (entry->ifa_flags & IFF_UP) != 0) {
            scoped[entry->ifa_name] = nlohmann::json::object();
        }
    }
    return nlohmann::json{{"__SCOPED__", std::move(scoped)}};
}

std::string InterfaceProxySettings::upPointToPointHolding(const std::string& ipv4Address) {
    in_addr wanted{};
    if (::inet_pton(AF_INET, ipv4Address.c_str(), &wanted) != 1) {
        return {};
    }
    const InterfaceList list = interfaces();
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (entry->ifa_name == nullptr || entry->ifa_addr == nullptr ||
            entry->ifa_addr->sa_family != AF_INET || (flags & IFF_UP) == 0 ||
            (flags & IFF_POINTOPOINT) == 0) {
            continue;
        }
        sockaddr_in held{};
        std::memcpy(&held, entry->ifa_addr, sizeof held);
        if (held.sin_addr.s_addr == wanted.s_addr) {
            return entry->ifa_name;
        }
    }
    return {};
}

}  // namespace twl
