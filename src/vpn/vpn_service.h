#pragma once

#include <functional>
#include <string>

namespace twl {

class AppContext;

// (Re)creates the network service "Tidewaterlink" for the current server and
// account by running the bundled tool at `executableVPNPath` as administrator,
// with the stored administrator pair ("username"/"userpassword"; an absent key
// counts as empty, which simply fails). The account password and the
// pre-shared key go beside the statement as secrets, never into its text.
// Returns at once; `done` runs on the run loop when the tool has ended. Its
// outcome is not looked at.
void createVpnService(AppContext& ctx, const std::string& executableVPNPath,
                      std::function<void()> done);

}  // namespace twl
