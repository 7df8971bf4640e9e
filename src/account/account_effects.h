#pragma once

#include <string>

#include "account/account_reply.h"

namespace twl {

class AppContext;

// What an outcome of the account check changes outside the login screen.
// Accepted: accountUserName and accountPassword take the user name and password
// that were sent, then "vpnUserName" and "vpnUserPassword" are written from
// them (the password only when it changed). Refused: "AutoLogin" is switched
// off, so a refused account is not tried again at the next launch. Not paid
// and network error change nothing.
void applyAccountOutcome(AppContext& context, AccountOutcome outcome, const std::string& userName,
                         const std::string& password);

// The remember-me step of an accepted sign-in, which the login screen takes
// after ending its busy state: with the choice on, automatic sign-in is
// switched on; with it off, "AutoLogin" stays as it was.
void rememberAcceptedAccount(AppContext& context, bool isRemeber);

}  // namespace twl
