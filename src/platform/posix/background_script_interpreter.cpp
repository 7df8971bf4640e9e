#include "platform/posix/background_script_interpreter.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

#include "platform/posix/posix_script_interpreter.h"
#include "platform/run_loop.h"

namespace twl {

BackgroundScriptInterpreter::BackgroundScriptInterpreter(const PosixScriptInterpreter& runner,
                                                         RunLoop& mainLoop)
    : runner_(runner), mainLoop_(mainLoop), stopNotice_(::eventfd(0, EFD_CLOEXEC)) {
    if (!stopNotice_) {
        throw std::runtime_error("cannot set up the script interpreter: no event descriptor");
    }
}

BackgroundScriptInterpreter::~BackgroundScriptInterpreter() {
    stop();
}

void BackgroundScriptInterpreter::start(const std::string& source, const ScriptOptions& options,
                                        ScriptCompletion finished) {
    // The thread of the statement before has posted its result and is ending.
    if (thread_.joinable()) {
        thread_.join();
    }
    wanted_ = std::make_shared<bool>(true);
    thread_ = std::thread(
        [this, source, options, finished = std::move(finished), wanted = wanted_]() mutable {
            ScriptResult result = runner_.execute(source, options, stopNotice_.get());
            mainLoop_.post([finished = std::move(finished), wanted = std::move(wanted),
                            result = std::move(result)] {
                if (*wanted) {
                    finished(result);
                }
            });
        });
}

void BackgroundScriptInterpreter::stop() {
    if (wanted_) {
        *wanted_ = false;
    }
    if (!thread_.joinable()) {
        return;
    }
    // An eventfd counter cannot be full after one write, so this never fails.
    ::eventfd_write(stopNotice_.get(), 1);
    thread_.join();
    eventfd_t drained = 0;
    ::eventfd_read(stopNotice_.get(), &drained);
}

ScriptResult BackgroundScriptInterpreter::runToEnd(const std::string& source,
                                                   const ScriptOptions& options) {
    return runner_.execute(source, options);
}

}  // namespace twl
