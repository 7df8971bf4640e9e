#pragma once

#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace twl {

struct HttpRequestParts {
    std::string method = "GET";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::optional<nlohmann::json> jsonBody;  // none: no body
};

// Exactly one of the two is set.
struct JsonReply {
    std::optional<nlohmann::json> value;  // any JSON value, fragments included
    std::optional<std::string> error;     // a description of what failed
};

// Exactly one of the two is set.
struct TextReply {
    std::optional<std::string> text;  // the whole body, valid UTF-8
    std::optional<std::string> error;
};

// HTTPS for the client. Called on the main thread.
//
// Error descriptions never quote the request's URL or header values: a URL may
// carry a password in its query.
class HttpTransport {
  public:
    using JsonCompletion = std::function<void(JsonReply)>;
    using TextCompletion = std::function<void(TextReply)>;

    virtual ~HttpTransport() = default;

    // Starts the request and returns at once. The completion runs exactly once,
    // later, on the main run loop, with the decoded body (whatever the status
    // code) or an error. A URL that cannot be parsed makes no request; its error
    // still arrives later, never from inside this call.
    //
    // A transport destroyed while requests are in flight drops them: their
    // completions never run, and are released on the destroying thread.
    virtual void sendJson(HttpRequestParts request, JsonCompletion completion) = 0;

    // A GET of the whole body as text, held to `bound` in all. Starts and
    // returns at once; the completion runs exactly once, later, on the main run
    // loop, as sendJson's does.
    virtual void fetchText(const std::string& url, std::chrono::milliseconds bound,
                           TextCompletion completion) = 0;
};

}  // namespace twl
