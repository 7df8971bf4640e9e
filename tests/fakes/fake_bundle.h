#pragma once

#include <map>
#include <string>

#include "platform/bundle.h"

namespace twl::fakes {

// The client's resources, as a test lays them out. By default the two tool
// resources are there, in /opt/tidewaterlink/share.
class FakeBundle final : public Bundle {
  public:
    std::optional<std::string> pathForResource(const std::string& name) const override {
        const auto found = resources.find(name);
        if (found == resources.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::map<std::string, std::string> resources{
        {"macosvpn", "/opt/tidewaterlink/share/macosvpn"},
        {"macosvpn.txt", "/opt/tidewaterlink/share/macosvpn.txt"}};
};

}  // namespace twl::fakes
