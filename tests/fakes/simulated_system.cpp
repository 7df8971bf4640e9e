#include "fakes/simulated_system.h"

#include "privileged/commands.h"
#include "privileged/statement_parser.h"

namespace twl::fakes {

ScriptResult SimulatedSystem::run(const std::string& source, const ScriptOptions& given) {
    sources.push_back(source);
    options.push_back(given);
    const StatementParse parsed = parseStatement(source);
    if (!parsed.statement) {
        return ScriptResult{false, "", "the statement does not compile"};
    }
    const ShellStatement& statement = *parsed.statement;
    if (statement.administrator && (statement.administrator->userName != adminUserName ||
                                    statement.administrator->password != adminPassword)) {
        return ScriptResult{false, "", "authorisation failed"};
    }
    commandsRun.push_back(statement.command);

    const std::string& command = statement.command;
    const std::string marker(commands::markerFile);
    if (command == commands::removeMarker()) {
        files_.paths.erase(marker);
    } else if (command.starts_with("sudo cp ") &&
               command.ends_with(" " + std::string(commands::installDirectory))) {
        files_.paths.insert(marker);
    }
    return ScriptResult{true, "", ""};
}

}  // namespace twl::fakes
