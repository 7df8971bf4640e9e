#include "app/refusing_http_transport.h"

#include "platform/run_loop.h"

namespace twl {
namespace {
constexpr const char* refusal = "this build has no network transport yet";
}  // namespace

void RefusingHttpTransport::sendJson(HttpRequestSpec, JsonCompletion completion) {
    runLoop_.post([completion = std::move(completion)] {
        if (completion) {
            completion(JsonReply{std::nullopt, refusal});
        }
    });
}

TextReply RefusingHttpTransport::getText(const std::string&, std::chrono::milliseconds) {
    return TextReply{std::nullopt, refusal};
}

}  // namespace twl
