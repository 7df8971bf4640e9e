#pragma once

#include <string>

#include "account/http_request.h"

namespace twl {

class AppContext;

// What the account check hands back: what HttpRequest's block receives. Sort
// it with sortAccountReply (account/account_reply.h).
using AccountCompletion = HttpRequest::Block;

// The get_user URL of the account web API at `baseUrl` (scheme and host). The
// password is percent-encoded whole; the user name likewise, except for the
// %HH escapes it already carries (the login screen's "%20"), so that the
// server decodes exactly what was typed.
std::string accountCheckUrl(const std::string& baseUrl, const std::string& userName,
                            const std::string& password);

// Asks the account web API about the account: one GET with the single header
// "Content-Type: application/json" and no body. Returns at once; the
// completion runs later on the main thread. The caller keeps the user name and
// password it passed: an accepted reply stores exactly those.
void checkAccount(const AppContext& context, const std::string& userName,
                  const std::string& password, AccountCompletion completion);

}  // namespace twl
