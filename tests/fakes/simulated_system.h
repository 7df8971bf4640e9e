#pragma once

#include <string>
#include <vector>

#include "fakes/fake_file_manager.h"
#include "platform/script_interpreter.h"

namespace twl::fakes {

// A script interpreter that records every statement and acts out the few
// commands whose effect the client checks: with the right administrator pair
// (`adminUserName`/`adminPassword`), copying the tool into /usr/local makes the
// marker file appear and removing the marker makes it go. Everything else is
// recorded only. A statement that does not compile runs nothing.
class SimulatedSystem final : public ScriptInterpreter {
  public:
    explicit SimulatedSystem(FakeFileManager& files) : files_(files) {}

    // The statements, as given, and what each ran with.
    std::vector<std::string> sources;
    std::vector<ScriptOptions> options;
    // The commands that ran (their statement compiled and, when privileged,
    // carried the right pair).
    std::vector<std::string> commandsRun;

    std::string adminUserName = "admin";
    std::string adminPassword = "admin-pass";

  protected:
    ScriptResult run(const std::string& source, const ScriptOptions& options) override;

  private:
    FakeFileManager& files_;
};

}  // namespace twl::fakes
