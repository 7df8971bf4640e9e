#include "fakes/simulated_system.h"

#include "privileged/commands.h"
#include "privileged/statement_parser.h"

namespace twl::fakes {

void SimulatedSystem::start(const std::string& source, const ScriptOptions& given,
                            ScriptCompletion finished) {
    sources.push_back(source);
    options.push_back(given);
    underWay_ = std::make_shared<bool>(true);
    loop_.delay(commandSeconds,
                [this, source, finished = std::move(finished), underWay = underWay_] {
                    if (*underWay) {
                        *underWay = false;
                        finished(act(source));
                    }
                });
}

void SimulatedSystem::stop() {
    if (underWay_ && *underWay_) {
        *underWay_ = false;
        ++stopped;
    }
}

ScriptResult SimulatedSystem::runToEnd(const std::string& source, const ScriptOptions& given) {
    sources.push_back(source);
    options.push_back(given);
    return act(source);
}

ScriptResult SimulatedSystem::act(const std::string& source) {
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
