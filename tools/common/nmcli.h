#pragma once

#include <string>
#include <vector>

#include "child_command.h"

namespace twl::tools {

// Exit codes of nmcli that the tools tell apart.
inline constexpr int nmcliNotRunningExit = 8;  // NetworkManager is not running
inline constexpr int nmcliNoSuchExit = 10;     // no such connection (or it is not active)

// Runs nmcli with the arguments. The program is "nmcli" on PATH, unless
// TIDEWATERLINK_NMCLI names another (for tests that run the tools directly).
// Never put a secret into `args`: an argv is readable by every local user.
CommandResult runNmcli(const std::vector<std::string>& args);

// Why a run of nmcli failed, in words for the user; empty when it succeeded.
std::string nmcliFailure(const CommandResult& result);

}  // namespace twl::tools
