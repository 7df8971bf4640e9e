#pragma once

#include <string>
#include <vector>

#include "platform/script_interpreter.h"

namespace twl::fakes {

// Records every statement it is asked to run and runs none; answers with
// `result` (success with no output unless a test says otherwise).
class RecordingScriptInterpreter final : public ScriptInterpreter {
  public:
    std::vector<std::string> sources;
    std::vector<ScriptOptions> options;  // one per source
    ScriptResult result{true, "", ""};

  protected:
    ScriptResult run(const std::string& source, const ScriptOptions& given) override {
        sources.push_back(source);
        options.push_back(given);
        return result;
    }
};

}  // namespace twl::fakes
