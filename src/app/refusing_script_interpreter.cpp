#include "app/refusing_script_interpreter.h"

namespace twl {

ScriptResult RefusingScriptInterpreter::execute(const std::string&) {
    return ScriptResult{false, "", "this build cannot run shell scripts yet"};
}

}  // namespace twl
