#include "vpn/public_ip.h"

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/http_transport.h"
#include "platform/utf8_text.h"

namespace twl {
namespace {

// Blanks and tabs only: a trailing line break is part of what the user sees.
std::string trimBlanksAndTabs(const std::string& text) {
    constexpr const char* blanks = " \t";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string shownAddress(AppContext& ctx, const TextReply& reply) {
    if (!reply.text) {
        ctx.console().writeLine("Error: " + reply.error.value_or("no reply"));
        return "";
    }
    if (!isValidUtf8(*reply.text)) {
        ctx.console().writeLine("Error: the reply is not UTF-8 text");
        return "";
    }
    return trimBlanksAndTabs(*reply.text);
}

}  // namespace

void lookUpPublicIp(AppContext& ctx, PublicIpCompletion completion) {
    const std::string url = ctx.endpoints().publicIpBaseUrl + std::string(publicIpPath);
    ctx.http().fetchText(url, publicIpBound,
                         [&ctx, completion = std::move(completion)](const TextReply& reply) {
                             completion(shownAddress(ctx, reply));
                         });
}

}  // namespace twl
