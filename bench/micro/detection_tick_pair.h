#pragma once

#include <benchmark/benchmark.h>

#include "app/app_context.h"
#include "platform/posix/interface_proxy_settings.h"

namespace twl::bench {

// One detection tick as the client makes it twice a second (isVpnTunnelUp over
// the interfaces of this machine), against a bare getifaddrs scan for "ppp0".
class DetectionTickPair {
  public:
    DetectionTickPair();
    void registerBenchmarks();

  private:
    void client(benchmark::State& state);
    static void floor(benchmark::State& state);

    InterfaceProxySettings proxySettings_;
    AppContext context_;
};

}  // namespace twl::bench
