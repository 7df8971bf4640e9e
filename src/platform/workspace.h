#pragma once

#include <string>
#include <string_view>

namespace twl {

// The desktop the client runs in.
class Workspace {
  public:
    virtual ~Workspace() = default;

    // Hides the running application of that name (the client finds only
    // itself, "Tidewaterlink"): its windows leave the screen, its status item
    // stays and the process keeps running. False, with nothing done, when no
    // running application has that name.
    virtual bool hideApplication(std::string_view applicationName) = 0;

    // The login name of the user the client runs as: the only account whose
    // password can raise its privileges. Empty when the system cannot tell.
    virtual std::string loginName() const = 0;
};

}  // namespace twl
