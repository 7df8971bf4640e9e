#pragma once

#include <string>
#include <string_view>

#include "platform/workspace.h"

namespace twl::fakes {

// A desktop that hides nothing and names its user.
class QuietWorkspace final : public Workspace {
  public:
    bool hideApplication(std::string_view) override { return true; }
    std::string loginName() const override { return "user"; }
};

}  // namespace twl::fakes
