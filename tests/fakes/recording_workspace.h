#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/workspace.h"

namespace twl::fakes {

// A desktop that records what it is asked to hide.
class RecordingWorkspace final : public Workspace {
  public:
    bool hideApplication(std::string_view applicationName) override {
        hidden.emplace_back(applicationName);
        return true;
    }
    std::string loginName() const override { return "user"; }

    std::vector<std::string> hidden;
};

}  // namespace twl::fakes
