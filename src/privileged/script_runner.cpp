#include "privileged/script_runner.h"

#include <utility>

#include "platform/script_interpreter.h"

namespace twl {
namespace {

constexpr std::string_view opening = "do shell script \"";
constexpr std::string_view userNameLeadIn = "\" user name \"";
constexpr std::string_view passwordLeadIn = "\" password \"";
constexpr std::string_view privilegedEnding = "\" with administrator privileges";
constexpr std::string_view plainEnding = "\"";

}  // namespace

std::string escapeStatementString(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '"':
                escaped += "\\\"";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\t':
                escaped += "\\t";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string privilegedScript(std::string_view command, std::string_view user,
                             std::string_view password) {
    std::string source;
    source += opening;
    source += escapeStatementString(command);
    source += userNameLeadIn;
    source += escapeStatementString(user);
    source += passwordLeadIn;
    source += escapeStatementString(password);
    source += privilegedEnding;
    return source;
}

std::string plainScript(std::string_view command) {
    std::string source;
    source += opening;
    source += escapeStatementString(command);
    source += plainEnding;
    return source;
}

void runScript(ScriptInterpreter& interpreter, const std::string& source,
               std::function<void()> done) {
    runScript(interpreter, source, ScriptOptions{}, std::move(done));
}

void runScript(ScriptInterpreter& interpreter, const std::string& source, ScriptOptions options,
               std::function<void()> done) {
    interpreter.execute(source, std::move(options), [done = std::move(done)](const ScriptResult&) {
        if (done) {
            done();
        }
    });
}

}  // namespace twl
