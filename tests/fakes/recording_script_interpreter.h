#pragma once

#include <string>
#include <vector>

#include "platform/script_interpreter.h"

namespace twl::fakes {

// Records every statement it is asked to run and runs none; answers with
// `result` (success with no output unless a test says otherwise).
class RecordingScriptInterpreter final : public ScriptInterpreter {
  public:
    ScriptResult execute(const std::string& source) override {
        sources.push_back(source);
        return result;
    }

    std::vector<std::string> sources;
    ScriptResult result{true, "", ""};
};

}  // namespace twl::fakes
