#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "platform/posix/posix_script_interpreter.h"

namespace twl::bench {

// One plain `do shell script` statement run through the client's interpreter
// (parsed, then /bin/sh in a session of its own with the bundle's tools on
// PATH, its output collected), against a bare `sh -c` of the same command.
class ShellScriptPair {
  public:
    explicit ShellScriptPair(std::filesystem::path compatFolder);
    void registerBenchmarks();

  private:
    void client(benchmark::State& state);
    void floor(benchmark::State& state);

    PosixScriptInterpreter interpreter_;
    std::string command_;
};

}  // namespace twl::bench
