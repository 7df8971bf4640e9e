#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_file_manager.h"
#include "platform/run_loop.h"
#include "platform/script_interpreter.h"

namespace twl::fakes {

// A script interpreter that records every statement and acts out the few
// commands whose effect the client checks: with the right administrator pair
// (`adminUserName`/`adminPassword`), copying the tool into /usr/local makes the
// marker file appear and removing the marker makes it go. Everything else is
// recorded only. A statement that does not compile runs nothing. Each command
// takes `commandSeconds` of the loop's clock, and acts at its end.
class SimulatedSystem final : public ScriptInterpreter {
  public:
    SimulatedSystem(FakeFileManager& files, RunLoop& loop) : files_(files), loop_(loop) {}

    // The statements, as given, and what each ran with.
    std::vector<std::string> sources;
    std::vector<ScriptOptions> options;
    // The commands that ran (their statement compiled and, when privileged,
    // carried the right pair).
    std::vector<std::string> commandsRun;

    std::string adminUserName = "admin";
    std::string adminPassword = "admin-pass";
    double commandSeconds = 0.0;
    // The statements stopped before their end, by quitting.
    int stopped = 0;

  protected:
    void start(const std::string& source, const ScriptOptions& options,
               ScriptCompletion finished) override;
    void stop() override;
    ScriptResult runToEnd(const std::string& source, const ScriptOptions& options) override;

  private:
    ScriptResult act(const std::string& source);

    FakeFileManager& files_;
    RunLoop& loop_;
    std::shared_ptr<bool> underWay_;
};

}  // namespace twl::fakes
