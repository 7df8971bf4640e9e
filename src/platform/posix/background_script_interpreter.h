#pragma once

#include <memory>
#include <string>
#include <thread>

#include "platform/posix/unique_fd.h"
#include "platform/script_interpreter.h"

namespace twl {

class PosixScriptInterpreter;
class RunLoop;

// The client's script interpreter: each statement runs on a thread of its own
// through `runner`, so the window never waits on sudo, the shell or the tools;
// the completion is posted to `mainLoop`. Statements never overlap, so at most
// one such thread exists.
//
// Destroying it stops the statement under way as quitting does.
class BackgroundScriptInterpreter final : public ScriptInterpreter {
  public:
    BackgroundScriptInterpreter(const PosixScriptInterpreter& runner, RunLoop& mainLoop);
    ~BackgroundScriptInterpreter() override;
    BackgroundScriptInterpreter(const BackgroundScriptInterpreter&) = delete;
    BackgroundScriptInterpreter& operator=(const BackgroundScriptInterpreter&) = delete;

  protected:
    void start(const std::string& source, const ScriptOptions& options,
               ScriptCompletion finished) override;
    void stop() override;
    ScriptResult runToEnd(const std::string& source, const ScriptOptions& options) override;

  private:
    const PosixScriptInterpreter& runner_;
    RunLoop& mainLoop_;
    // Readable while the statement under way must stop.
    UniqueFd stopNotice_;
    // Shared with the posted completion, which runs only while it says yes.
    std::shared_ptr<bool> wanted_;
    std::thread thread_;
};

}  // namespace twl
