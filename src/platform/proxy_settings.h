#pragma once

#include <nlohmann/json.hpp>
#include <optional>

namespace twl {

// The system's proxy configuration. Called on the main thread; cheap enough to
// call twice a second.
class ProxySettings {
  public:
    virtual ~ProxySettings() = default;

    // A fresh copy of the settings as a dictionary. Under "__SCOPED__" it holds
    // a dictionary whose keys are the names of the network interfaces that have
    // a configuration now; their values are not meant to be read. Nothing when
    // the settings cannot be read.
    virtual std::optional<nlohmann::json> copySystemProxySettings() = 0;
};

}  // namespace twl
