#pragma once

#include "platform/script_interpreter.h"

namespace twl {

// Stand-in until the real `do shell script` interpreter is wired in main.cpp:
// runs nothing and answers every statement with an error, so no command can
// run half-built.
class RefusingScriptInterpreter final : public ScriptInterpreter {
  public:
    ScriptResult execute(const std::string& source) override;
};

}  // namespace twl
