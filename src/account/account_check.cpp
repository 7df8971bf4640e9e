#include "account/account_check.h"

#include <utility>

#include "account/query_escaping.h"
#include "app/app_context.h"

namespace twl {

std::string accountCheckUrl(const std::string& baseUrl, const std::string& userName,
                            const std::string& password) {
    return baseUrl +
           "/publicapi?method=get_user&username=" + percentEncodeKeepingEscapes(userName) +
           "&password=" + percentEncodeAll(password);
}

void checkAccount(const AppContext& context, const std::string& userName,
                  const std::string& password, AccountCompletion completion) {
    auto request = HttpRequest::create(context);
    request->myBlock = std::move(completion);
    request->sendRequest(HttpMethod::get,
                         accountCheckUrl(context.endpoints().accountApiBaseUrl, userName, password),
                         HttpRequest::Headers{{"Content-Type", "application/json"}});
}

}  // namespace twl
