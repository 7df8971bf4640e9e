#include "detection_tick_pair.h"

#include <benchmark/benchmark.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <cstring>
#include <string>

#include "pair_registration.h"
#include "vpn/tunnel_detection.h"

namespace twl::bench {
namespace {

// What the floor reads: whether "ppp0" is up, and how many entries it walked.
struct Scan {
    bool found = false;
    int entries = 0;
};

Scan scanInterfaces() {
    Scan scan;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return scan;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        ++scan.entries;
        if ((entry->ifa_flags & IFF_UP) != 0 && std::strcmp(entry->ifa_name, "ppp0") == 0) {
            scan.found = true;
        }
    }
    ::freeifaddrs(list);
    return scan;
}

}  // namespace

DetectionTickPair::DetectionTickPair() = default;

void DetectionTickPair::registerBenchmarks() {
    registerPair(
        "detection_tick", [this](benchmark::State& state) { client(state); }, &floor);
}

void DetectionTickPair::client(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(isVpnTunnelUp(*client_.context));
    }
}

void DetectionTickPair::floor(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(scanInterfaces());
    }
    state.SetLabel(std::to_string(scanInterfaces().entries) + " interface addresses");
}

}  // namespace twl::bench
