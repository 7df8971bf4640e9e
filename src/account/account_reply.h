#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace twl {

enum class AccountOutcome { accepted, refused, notPaid, networkError };

// The texts the login screen shows for an outcome.
namespace accountMessages {
inline constexpr const char* networkError = "Network error!";
inline constexpr const char* refused = "Username or password is incorrect.";
}  // namespace accountMessages

struct SortedAccountReply {
    AccountOutcome outcome = AccountOutcome::networkError;
    std::string message;  // what to show: empty for accepted, the reply's text for not paid
};

// Sorts the account check's reply. "response" decides accepted or not, then
// "status" paid or not, then "message" is the reason; each is read only when
// the earlier ones ask for it, and compared exactly. A reply that is not an
// object, lacks a member that is read, or holds a non-string there, counts as
// a network error: the check said nothing usable.
SortedAccountReply sortAccountReply(const std::optional<nlohmann::json>& value,
                                    const std::optional<std::string>& error);

}  // namespace twl
