#pragma once

#include <string>
#include <vector>

#include "platform/script_interpreter.h"

namespace twl::testing {

// Records every statement handed to it and answers each with `result`.
class RecordingInterpreter final : public ScriptInterpreter {
  public:
    ScriptResult execute(const std::string& source) override {
        sources.push_back(source);
        return result;
    }

    std::vector<std::string> sources;
    ScriptResult result{false, "", "refused"};
};

}  // namespace twl::testing
