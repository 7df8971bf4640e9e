#pragma once

#include <optional>
#include <string>

namespace twl {

// The client's own resources, shipped beside its executable.
class Bundle {
  public:
    virtual ~Bundle() = default;

    // Full path of the named resource, or nothing when the bundle lacks it.
    virtual std::optional<std::string> pathForResource(const std::string& name) const = 0;
};

}  // namespace twl
