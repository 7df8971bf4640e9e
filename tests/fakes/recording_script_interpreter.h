#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/script_interpreter.h"

namespace twl::fakes {

// Records every statement it is asked to start and runs none; a statement
// stays under way until the test finishes it.
class RecordingScriptInterpreter final : public ScriptInterpreter {
  public:
    std::vector<std::string> sources;
    std::vector<ScriptOptions> options;  // one per source

    // Ends the statement under way with `result`; false when none is.
    bool finish(const ScriptResult& result = {true, "", ""}) {
        if (underWay_.empty()) {
            return false;
        }
        ScriptCompletion finished = std::move(underWay_.front());
        underWay_.pop_front();
        finished(result);
        return true;
    }

  protected:
    void start(const std::string& source, const ScriptOptions& given,
               ScriptCompletion finished) override {
        record(source, given);
        underWay_.push_back(std::move(finished));
    }
    void stop() override { underWay_.clear(); }
    ScriptResult runToEnd(const std::string& source, const ScriptOptions& given) override {
        record(source, given);
        return {true, "", ""};
    }

  private:
    void record(const std::string& source, const ScriptOptions& given) {
        sources.push_back(source);
        options.push_back(given);
    }

    std::deque<ScriptCompletion> underWay_;
};

}  // namespace twl::fakes
