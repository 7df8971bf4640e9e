#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace twl::bench {

using BenchmarkBody = std::function<void(benchmark::State&)>;

// Registers one figure as two benchmarks that the ratio table pairs up: the
// client's way and the floor it is compared with. Both are timed by the wall
// clock, since most of what they do is waiting on another process.
void registerPair(const std::string& figure, BenchmarkBody client, BenchmarkBody floor);

}  // namespace twl::bench
