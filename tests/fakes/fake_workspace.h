#pragma once

#include <string>
#include <vector>

#include "platform/workspace.h"

namespace twl::fakes {

// Records hide requests; the running application is "Tidewaterlink", run by
// the simulated system's administrator.
class FakeWorkspace final : public Workspace {
  public:
    bool hideApplication(std::string_view applicationName) override {
        hideRequests.emplace_back(applicationName);
        return applicationName == "Tidewaterlink";
    }

    std::string loginName() const override { return "admin"; }
    std::vector<std::string> hideRequests;
};

}  // namespace twl::fakes
