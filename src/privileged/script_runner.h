#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace twl {

class ScriptInterpreter;
struct ScriptOptions;

// `do shell script "{command}" user name "{user}" password "{password}" with
// administrator privileges`. Each piece is escaped as the statement's string
// literal requires, so no value can end its string early.
std::string privilegedScript(std::string_view command, std::string_view user,
                             std::string_view password);

// `do shell script "{command}"`, run as the current user.
std::string plainScript(std::string_view command);

// Queues the statement on the interpreter; `done`, if given, runs on the run
// loop once the command has ended. The outcome is not looked at: callers judge
// success by its effect.
void runScript(ScriptInterpreter& interpreter, const std::string& source,
               std::function<void()> done = {});
void runScript(ScriptInterpreter& interpreter, const std::string& source, ScriptOptions options,
               std::function<void()> done = {});

// The text of a string literal of the statement language holding `value`:
// backslash and double quote escaped, line breaks and tabs as \n, \r, \t.
std::string escapeStatementString(std::string_view value);

}  // namespace twl
