#pragma once

#include <sys/types.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "privileged/test_support.h"

namespace twl::fakes {

struct DevproviderSetup {
    std::optional<nlohmann::json> accounts = std::nullopt;  // none: the demo accounts
    std::vector<std::string> arguments = {};  // test switches: "--stall", "--fixed-body" ...
    std::string program = {};                 // empty: the provider built with the tests
};

// The real local provider, started for one test on a free loopback port, with
// a fresh CA, state folder and request record of its own. Stopped, and its
// folder removed, when the object goes.
class DevproviderProcess {
  public:
    // Throws std::runtime_error, with the provider's own words, if it cannot start.
    explicit DevproviderProcess(DevproviderSetup setup = {});
    ~DevproviderProcess();
    DevproviderProcess(const DevproviderProcess&) = delete;
    DevproviderProcess& operator=(const DevproviderProcess&) = delete;

    int port() const { return port_; }
    std::string baseUrl() const;  // https://127.0.0.1:PORT
    std::string caFile() const;   // the CA its certificate chains to

    // Every request it has received so far, oldest first: objects with
    // "method", "target" (raw, as sent), "contentType" (every value of that
    // header) and "remotePort".
    std::vector<nlohmann::json> recordedRequests() const;

  private:
    void stop();

    test_support::TempFolder folder_;
    pid_t pid_ = -1;
    int port_ = -1;
};

}  // namespace twl::fakes
