#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/http_transport.h"

namespace twl::testing {

// Answers every blocking GET with `reply` and records what was asked.
class ScriptedTextTransport final : public HttpTransport {
  public:
    struct Get {
        std::string url;
        std::chrono::milliseconds bound;
    };

    void sendJson(HttpRequestSpec, JsonCompletion) override {
        throw std::logic_error("the public-IP lookup sends no JSON request");
    }
    TextReply getText(const std::string& url, std::chrono::milliseconds bound) override {
        gets.push_back({url, bound});
        return reply;
    }

    TextReply reply;
    std::vector<Get> gets;
};

}  // namespace twl::testing
