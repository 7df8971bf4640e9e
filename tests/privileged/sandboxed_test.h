#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "private_system.h"

namespace twl::test_support {

// A test inside a PrivateSystem of its own: the test process itself enters the
// private mount namespace (CTest runs every test in a process of its own).
// Skips unless root and setuid sudo work here.
class SandboxedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to make throwaway users";
        }
        if (const auto why = system.setUp(); !why.empty()) {
            GTEST_SKIP() << why;
        }
    }

    // Runs body as the user in a child process and gives back the JSON it
    // returned (null when the child did not end well).
    nlohmann::json as(const SandboxUser& user, const std::function<nlohmann::json()>& body) {
        using nlohmann::json;
        const auto file = system.drop() / ("seen-" + std::to_string(++runs_));
        const bool ended = PrivateSystem::runAs(user, [&] {
            std::ofstream(file) << body().dump(-1, ' ', false, json::error_handler_t::replace);
            return 0;
        });
        std::ifstream in(file);
        return ended ? json::parse(in, nullptr, false) : json();
    }

    PrivateSystem system;

  private:
    int runs_ = 0;
};

}  // namespace twl::test_support
