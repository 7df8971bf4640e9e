#pragma once

#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "platform/http_transport.h"

namespace twl {

class AppContext;
class Console;

enum class HttpMethod { get, post };

// One HTTP request with a JSON reply. The creator makes it with create(), sets
// myBlock, calls sendRequest once and may let go of it: the pending reply holds
// the object (and through it myBlock and all it captures) until myBlock has
// returned, then releases both.
class HttpRequest : public std::enable_shared_from_this<HttpRequest> {
  public:
    // Receives either the decoded value or the error, never both, never neither.
    using Block =
        std::function<void(std::optional<nlohmann::json> value, std::optional<std::string> error)>;
    using Headers = std::map<std::string, std::string>;

    // Uses the context's HTTP transport and console, which outlive the request.
    static std::shared_ptr<HttpRequest> create(const AppContext& context);

    // May stay empty: the reply is then dropped (a failure still writes its line).
    Block myBlock;

    // Returns at once; myBlock runs later on the main thread, exactly once. The
    // parameters, if any, go as a JSON body. A second call is a programming error.
    void sendRequest(HttpMethod method, const std::string& url,
                     const std::optional<Headers>& headers = std::nullopt,
                     const std::optional<nlohmann::json>& parameters = std::nullopt);

  private:
    struct Passkey {};

  public:
    HttpRequest(Passkey, HttpTransport& transport, Console& console);

  private:
    void handleResponse(JsonReply reply);

    HttpTransport& transport_;
    Console& console_;
    bool sent_ = false;
};

}  // namespace twl
