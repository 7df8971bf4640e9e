#pragma once

#include "platform/http_transport.h"

namespace twl {

class RunLoop;

// Stand-in until the libcurl transport is wired in main.cpp: sends nothing and
// ends every request in an error, delivered as the real one would be (later,
// on the main run loop).
class RefusingHttpTransport final : public HttpTransport {
  public:
    explicit RefusingHttpTransport(RunLoop& runLoop) : runLoop_(runLoop) {}

    void sendJson(HttpRequestSpec request, JsonCompletion completion) override;
    TextReply getText(const std::string& url, std::chrono::milliseconds bound) override;

  private:
    RunLoop& runLoop_;
};

}  // namespace twl
