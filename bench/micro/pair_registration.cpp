#include "pair_registration.h"

#include <utility>

#include "ratio_table_reporter.h"

namespace twl::bench {

void registerPair(const std::string& figure, BenchmarkBody client, BenchmarkBody floor) {
    const std::string clientName = figure + "/" + RatioTableReporter::clientSide;
    const std::string floorName = figure + "/" + RatioTableReporter::floorSide;
    benchmark::RegisterBenchmark(clientName.c_str(), std::move(client))
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(floorName.c_str(), std::move(floor))
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
}

}  // namespace twl::bench
