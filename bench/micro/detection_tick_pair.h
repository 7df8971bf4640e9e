#pragma once

#include <benchmark/benchmark.h>

#include "fakes/fake_services.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"
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
    fakes::VirtualRunLoop loop_;
    fakes::ScriptedHttpTransport http_{loop_};
    fakes::FakeServices client_{loop_, http_, {.proxySettings = &proxySettings_}};
};

}  // namespace twl::bench
