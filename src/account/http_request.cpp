#include "account/http_request.h"

#include <stdexcept>
#include <utility>

#include "app/app_context.h"
#include "platform/console.h"

namespace twl {
namespace {

const char* methodName(HttpMethod method) {
    switch (method) {
        case HttpMethod::get:
            return "GET";
        case HttpMethod::post:
            return "POST";
    }
    return "GET";
}

}  // namespace

std::shared_ptr<HttpRequest> HttpRequest::create(const AppContext& context) {
    return std::make_shared<HttpRequest>(Passkey{}, context.http(), context.console());
}

HttpRequest::HttpRequest(Passkey, HttpTransport& transport, Console& console)
    : transport_(transport), console_(console) {}

void HttpRequest::sendRequest(HttpMethod method, const std::string& url,
                              const std::optional<Headers>& headers,
                              const std::optional<nlohmann::json>& parameters) {
    if (sent_) {
        throw std::logic_error("an HttpRequest carries one request only");
    }
    sent_ = true;
    HttpRequestParts request;
    request.method = methodName(method);
    request.url = url;
    if (headers) {
        request.headers.assign(headers->begin(), headers->end());
    }
    request.jsonBody = parameters;
    // The pending reply keeps this object, and so myBlock, alive until it has run.
    transport_.sendJson(std::move(request), [self = shared_from_this()](JsonReply reply) {
        self->handleResponse(std::move(reply));
    });
}

void HttpRequest::handleResponse(JsonReply reply) {
    // Released once this returns, whatever the block does.
    const Block block = std::exchange(myBlock, nullptr);
    if (reply.value) {
        if (block) {
            block(std::move(reply.value), std::nullopt);
        }
        return;
    }
    std::string error = reply.error.value_or("the request failed");
    console_.writeLine("Error message:" + error);
    if (block) {
        block(std::nullopt, std::move(error));
    }
}

}  // namespace twl
