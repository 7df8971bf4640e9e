#include "platform/script_interpreter.h"

#include <utility>

namespace twl {

void ScriptInterpreter::execute(std::string source, ScriptCompletion completion) {
    execute(std::move(source), ScriptOptions{}, std::move(completion));
}

void ScriptInterpreter::execute(std::string source, ScriptOptions options,
                                ScriptCompletion completion) {
    waiting_.push_back(Waiting{std::move(source), std::move(options), std::move(completion)});
    if (!running_) {
        startNext();
    }
}

void ScriptInterpreter::startNext() {
    if (waiting_.empty()) {
        return;
    }
    running_ = true;
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    start(next.source, next.options,
          [this, completion = std::move(next.completion)](const ScriptResult& result) {
              // The issuer looks at the effect before the next command runs; a
              // command it queues from here goes behind those already waiting.
              if (completion) {
                  completion(result);
              }
              running_ = false;
              startNext();
          });
}

void ScriptInterpreter::stopAll() {
    waiting_.clear();
    if (running_) {
        stop();
        running_ = false;
    }
}

ScriptResult ScriptInterpreter::executeWhileQuitting(const std::string& source,
                                                     const ScriptOptions& options) {
    stopAll();
    return runToEnd(source, options);
}

}  // namespace twl
