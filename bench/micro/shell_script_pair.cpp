#include "shell_script_pair.h"

#include <spawn.h>
#include <sys/wait.h>

#include <utility>

#include "pair_registration.h"
#include "privileged/script_runner.h"

extern char** environ;

namespace twl::bench {
namespace {

// A command that does nearly nothing, so what is measured is the way there.
constexpr const char* benchCommand = "test -d /tmp";

// True when `sh -c command` ran and exited with 0.
bool runShell(const std::string& command) {
    char shell[] = "sh";
    char dashC[] = "-c";
    std::string text = command;
    char* argv[] = {shell, dashC, text.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

ShellScriptPair::ShellScriptPair(std::filesystem::path compatFolder)
    : interpreter_(std::move(compatFolder)), command_(benchCommand) {}

void ShellScriptPair::registerBenchmarks() {
    registerPair(
        "do_shell_script", [this](benchmark::State& state) { client(state); },
        [this](benchmark::State& state) { floor(state); });
}

void ShellScriptPair::client(benchmark::State& state) {
    const std::string source = plainScript(command_);
    if (!interpreter_.execute(source).ok) {
        state.SkipWithError("the statement did not run");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(interpreter_.execute(source));
    }
    state.SetLabel(command_);
}

void ShellScriptPair::floor(benchmark::State& state) {
    if (!runShell(command_)) {
        state.SkipWithError("sh -c did not run");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(runShell(command_));
    }
    state.SetLabel(command_);
}

}  // namespace twl::bench
