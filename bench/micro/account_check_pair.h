#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include <memory>
#include "account/devprovider_process.h"

#include "app/app_context.h"
#include "fakes/fake_services.h"
#include "platform/curl/curl_http_transport.h"
#include "platform/qt/qt_run_loop.h"

namespace twl::bench {

// One account check as a sign-in makes it (checkAccount over the libcurl
// transport, the reply decoded and handed back on the Qt main loop) against
// the local provider over HTTPS, against a bare libcurl easy-handle GET of the
// same URL. Two figures: with the connection kept between checks, as the
// client keeps it, and with a new connection for every check (a first sign-in).
// Needs a QCoreApplication on the calling thread.
class AccountCheckPair {
  public:
    AccountCheckPair();
    void registerBenchmarks();

  private:
    void clientReusing(benchmark::State& state);
    void floorReusing(benchmark::State& state);
    void clientConnectingAnew(benchmark::State& state);
    void floorConnectingAnew(benchmark::State& state);

    // A client whose HTTP goes through `transport`.
    std::unique_ptr<fakes::FakeServices> clientWith(HttpTransport& transport);
    // The reply to one check, or "error: " and what went wrong.
    std::string checkOnce(const AppContext& context);
    // Reports, as the counter "requests_per_conn", how many of the requests the
    // provider has seen from `firstRequest` on went over one connection: whether
    // a side kept its connection.
    void countConnections(benchmark::State& state, std::size_t firstRequest) const;

    fakes::DevproviderProcess provider_;
    QtRunLoop runLoop_;
    CurlHttpTransport transport_;
    std::unique_ptr<fakes::FakeServices> client_;
    std::string url_;
};

}  // namespace twl::bench
