#pragma once

#include <string>
#include <vector>

#include "platform/workspace.h"

namespace twl::fakes {

// Records hide requests; the running application is "Tidewaterlink" unless a
// test renames it.
class FakeWorkspace final : public Workspace {
  public:
    bool hideApplication(std::string_view applicationName) override {
        hideRequests.emplace_back(applicationName);
        if (applicationName != runningApplicationName) {
            return false;
        }
        hidden = true;
        return true;
    }

    std::string runningApplicationName = "Tidewaterlink";
    std::vector<std::string> hideRequests;
    bool hidden = false;
};

}  // namespace twl::fakes
